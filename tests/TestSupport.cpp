#include "TestSupport.h"

#include "app/NolvexApplication.h"
#include "data/EAppError.h"

#include <QAtomicInt>
#include <QCryptographicHash>
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QProcess>
#include <QSqlError>
#include <QSqlQuery>
#include <QStandardPaths>
#include <QTest>
#include <QTimer>

namespace ts {

static QString env(const char *name)
{
    const QString v = qEnvironmentVariable(name);
    if (v.isEmpty())
        qFatal("%s is not set: run the tests through scripts/test, which starts their PostgreSQL cluster", name);
    return v;
}

QString host() { return env("NOLVEX_TEST_PGHOST"); }
int port() { return env("NOLVEX_TEST_PGPORT").toInt(); }
int plainPort() { return env("NOLVEX_TEST_PGPORT_NOSSL").toInt(); }
QString password() { return env("NOLVEX_TEST_PGPASSWORD"); }

InstallSettings settings()
{
    InstallSettings s;
    s.company = {host(), port(), password()};
    s.registry = {host(), port(), password()};
    s.requestsPerMinute = 0;
    return s;
}

bool exec(QSqlDatabase db, const QString &sql, const QVariantList &params, QString *error)
{
    QSqlQuery q(db);
    bool ok = params.isEmpty() ? q.exec(sql) : q.prepare(sql);
    if (ok && !params.isEmpty()) {
        for (int i = 0; i < params.size(); ++i)
            q.bindValue(i, params[i]);
        ok = q.exec();
    }
    if (!ok && error)
        *error = QStringLiteral("%1\n  in: %2").arg(q.lastError().text(), sql.left(300));
    return ok;
}

QVariant scalar(QSqlDatabase db, const QString &sql, const QVariantList &params)
{
    QSqlQuery q(db);
    q.prepare(sql);
    for (int i = 0; i < params.size(); ++i)
        q.bindValue(i, params[i]);
    if (!q.exec())
        qFatal("%s\n  in: %s", qPrintable(q.lastError().text()), qPrintable(sql));
    return q.next() ? q.value(0) : QVariant();
}

static QSqlDatabase connect(const QString &connection, const QString &database, int p)
{
    QSqlDatabase db = QSqlDatabase::contains(connection) ? QSqlDatabase::database(connection, false)
                                                         : QSqlDatabase::addDatabase(QStringLiteral("QPSQL"), connection);
    db.setHostName(host());
    db.setPort(p);
    db.setDatabaseName(database);
    db.setUserName(QStringLiteral("tresk"));
    db.setPassword(password());
    if (!db.isOpen() && !db.open())
        qFatal("Cannot reach the test cluster at %s:%d: %s", qPrintable(host()), p, qPrintable(db.lastError().text()));
    return db;
}

TempDb::TempDb(const QString &templateName, int p) : m_port(p ? p : port())
{
    static QAtomicInt counter;
    m_name = QStringLiteral("t_%1_%2").arg(QCoreApplication::applicationPid()).arg(counter.fetchAndAddRelaxed(1));
    m_connection = QStringLiteral("ts_") + m_name;
    QSqlDatabase admin = connect(QStringLiteral("ts_admin_%1").arg(m_port), QStringLiteral("postgres"), m_port);
    QString error;
    const QString sql = templateName.isEmpty() ? QStringLiteral("create database %1").arg(m_name)
                                               : QStringLiteral("create database %1 template %2").arg(m_name, templateName);
    if (!exec(admin, sql, {}, &error))
        qFatal("%s", qPrintable(error));
}

TempDb::~TempDb()
{
    {
        QSqlDatabase db = QSqlDatabase::database(m_connection, false);
        db.close();
    }
    QSqlDatabase::removeDatabase(m_connection);
    QSqlDatabase admin = connect(QStringLiteral("ts_admin_%1").arg(m_port), QStringLiteral("postgres"), m_port);
    exec(admin, QStringLiteral("drop database if exists %1 with (force)").arg(m_name));
}

QSqlDatabase TempDb::db() const { return connect(m_connection, m_name, m_port); }

Company::Company(const QString &companyName, const QString &hashType) : name(companyName)
{
    title = QCoreApplication::applicationFilePath().section(QLatin1Char('/'), -1).section(QLatin1Char('.'), 0, 0);
    title = title.left(1) + title.mid(1).toLower();
    const QString stored = hashType == QLatin1String("HashSHA2")
        ? QString::fromLatin1(QCryptographicHash::hash(pass.toUtf8(), QCryptographicHash::Sha256).toHex())
        : pass;
    QString e;
    auto must = [&](QSqlDatabase db, const QString &sql, const QVariantList &p) {
        if (!exec(db, sql, p, &e))
            qFatal("%s", qPrintable(e));
    };
    must(registry.db(), QStringLiteral("insert into m_firma (nume_firma, ip, port, db_name, pw_hash_type) values (?, ?, ?, ?, ?)"),
         {name, host(), port(), company.name(), hashType});
    must(company.db(), QStringLiteral("insert into emitent (emitent, operator_parola, eu_punct_lucru) values (?, ?, 'PL1')"), {user, stored});
    must(company.db(), QStringLiteral("insert into aplicatie_mob (aplicatie_mob, activ) values (?, true)"), {title.toUpper()});
    must(company.db(), QStringLiteral("insert into aplicatie_mob_emitent (aplicatie_mob, emitent, rol) values (?, ?, 'operator')"), {title, user});
    must(company.db(), QStringLiteral("insert into eu (denumire, cod_cci, jas_ip) values ('Firma Test SRL', 'RO 123-45', '10.0.0.5:8080')"), {});
}

InstallSettings Company::settings() const
{
    InstallSettings s = ts::settings();
    s.registry.database = registry.name();
    return s;
}

HomeDataFolder::HomeDataFolder()
{
    qputenv("XDG_DATA_HOME", m_dir.path().toUtf8());
}

QString HomeDataFolder::path() const
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString messageBoxText(const std::function<void()> &action, int timeoutMs)
{
    QString text;
    QTimer poll;
    poll.setInterval(20);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget *w : QApplication::topLevelWidgets()) {
            if (auto *box = qobject_cast<QMessageBox *>(w); box && box->isVisible()) {
                text = box->text();
                box->done(QMessageBox::Ok);
                poll.stop();
                return;
            }
        }
    });
    poll.start();
    QTimer::singleShot(timeoutMs, &poll, &QTimer::stop);
    action();
    poll.stop();
    return text;
}

QString errorOf(const std::function<void()> &handler)
{
    return messageBoxText([&] { NolvexApplication::runHandler(handler); });
}

void pgctl(const QString &what)
{
    const int rc = QProcess::execute(qEnvironmentVariable("NOLVEX_TEST_PGCTL"), {what});
    if (rc != 0)
        qFatal("pg_ctl %s failed (%d)", qPrintable(what), rc);
}

} // namespace ts
