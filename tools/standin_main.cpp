// Runs the BaseLinker stand-in on loopback until stopped.
#include "StandInServer.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QFile>
#include <QJsonDocument>

#include <csignal>
#include <cstdio>

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCommandLineParser cli;
    cli.setApplicationDescription("BaseLinker API stand-in on 127.0.0.1");
    cli.addHelpOption();
    cli.addOption({"port", "Port to listen on (0 for a free one).", "port", "0"});
    cli.addOption({"token", "The API token it accepts.", "token", "demo-token"});
    cli.addOption({"seed", "Seed of the generated data.", "seed", "1"});
    cli.addOption({"invoices", "Number of invoices to generate.", "n", "300"});
    cli.addOption({"days", "Days the invoices span, ending now.", "d", "60"});
    cli.addOption({"busy-day", "Days back of a day with many invoices.", "d", "-1"});
    cli.addOption({"busy-count", "Invoices on that day.", "n", "0"});
    cli.addOption({"data", "Serve the data of this JSON file instead.", "file"});
    cli.addOption({"export", "Write the data to this JSON file and exit.", "file"});
    cli.addOption({"limit", "Requests per minute before the token is blocked (0: off).", "n", "0"});
    cli.process(app);

    StandInData data;
    if (cli.isSet("data")) {
        QFile f(cli.value("data"));
        if (!f.open(QIODevice::ReadOnly)) {
            std::fprintf(stderr, "cannot read %s\n", qPrintable(cli.value("data")));
            return 1;
        }
        data = StandInData::fromJson(QJsonDocument::fromJson(f.readAll()).object());
    } else {
        data = StandInData::generate(cli.value("seed").toUInt(), cli.value("invoices").toInt(), cli.value("days").toInt(),
                                     cli.value("busy-day").toInt(), cli.value("busy-count").toInt());
    }
    if (cli.isSet("export")) {
        QFile f(cli.value("export"));
        if (!f.open(QIODevice::WriteOnly) || f.write(QJsonDocument(data.toJson()).toJson(QJsonDocument::Compact)) < 0) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(cli.value("export")));
            return 1;
        }
        return 0;
    }
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
    StandInServer server(data, cli.value("token"));
    if (cli.value("limit").toInt() > 0)
        server.setRateLimit(cli.value("limit").toInt(), 60'000);
    if (server.start(cli.value("port").toInt()) <= 0) {
        std::fprintf(stderr, "cannot listen on port %s\n", qPrintable(cli.value("port")));
        return 1;
    }
    std::printf("%s\n", qPrintable(server.url()));
    std::fflush(stdout);
    int sig = 0;
    sigwait(&set, &sig);
    server.stop();
    return 0;
}
