// The BaseLinker client against the stand-in and the company database's
// logging functions: paging, every error text, the request limiter.
#include "TestSupport.h"

#include "StandInServer.h"
#include "baselinker/RequestLimiter.h"
#include "baselinker/UnixTime.h"
#include "baselinker/u_fProc_Baselinker.h"
#include "data/EAppError.h"
#include "data/u_dmCon.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTcpServer>
#include <QtTest>

class TestBaseLinker : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        explicit Fixture(StandInData data = StandInData::generate(3, 30, 20))
            : server(std::move(data)), dm(ts::settings()), bl(&dm), limiter(0, 1000)
        {
            dm.conTresk.setDatabase(db.name());
            server.start();
            bl.setLimiter(&limiter);
        }
        int logged() { return ts::scalar(db.db(), QStringLiteral("select count(*) from log_baselinker_fact")).toInt(); }
        QString error(const std::function<void()> &f)
        {
            try { f(); } catch (const EAppError &e) { return e.message(); }
            return {};
        }
        ts::TempDb db{QStringLiteral("nolvex_tpl_company")};
        StandInServer server;
        TdmCon dm;
        TfProc_Baselinker bl;
        RequestLimiter limiter;
        const QString token = QStringLiteral("demo-token");
    };

private slots:
    void requestForm()
    {
        Fixture f;
        f.bl.getInvoices(QStringLiteral("1700000000"), f.server.url(), f.token);
        QString json;
        const auto order = StandInData::generate(3, 30, 20).orders.firstKey();
        f.bl.getOrder(QString::number(order), f.server.url(), f.token, json);
        const auto reqs = f.server.requests();
        QCOMPARE(reqs.size(), std::size_t(2));
        QCOMPARE(reqs[0].method, QStringLiteral("getInvoices"));
        QCOMPARE(reqs[0].parameters, QStringLiteral("{\"date_from\": 1700000000,\"get_external_invoices\": false}"));
        QCOMPARE(reqs[0].token, f.token);
        QCOMPARE(reqs[1].method, QStringLiteral("getOrders"));
        QCOMPARE(reqs[1].parameters, QStringLiteral("{\"order_id\": %1, \"include_custom_extra_fields\": true}").arg(order));
        QVERIFY(json.contains(QStringLiteral("\"order_id\":%1").arg(order)));
        QCOMPARE(f.logged(), 30);
    }

    void firstPageAddingNothingMakesOneCall()
    {
        Fixture f;
        f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token);
        f.server.clearRequests();
        f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token);
        QCOMPARE(f.server.callCount(QStringLiteral("getInvoices")), 1);
        QCOMPARE(f.logged(), 30);
    }

    void busyDayIsTakenOverWhole()
    {
        // 2,000 invoices over a year, 250 of them on one day.
        Fixture f(StandInData::generate(11, 2000, 365, 40, 250));
        f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token);
        QCOMPARE(f.logged(), 2000);
        QCOMPARE(f.server.callCount(QStringLiteral("getInvoices")), 20 + 1);
        const auto reqs = f.server.requests();
        QVERIFY2(reqs[1].parameters.startsWith(QStringLiteral("{\"date_from\": 0,\"id_from\": ")), qPrintable(reqs[1].parameters));
        // A second call over a fully logged store pages through and adds nothing.
        f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token);
        QCOMPARE(f.logged(), 2000);
        QCOMPARE(ts::scalar(f.db.db(), QStringLiteral("select count(distinct id_doc) from log_baselinker_fact")).toInt(), 2000);
    }

    void getOrdersPagesAndLogs()
    {
        Fixture f(StandInData::generate(5, 260, 30));
        QStringList messages;
        connect(&f.bl, &TfProc_Baselinker::informationMessage, this, [&](const QString &m) { messages << m; });
        f.bl.getOrders(QStringLiteral("0"), f.server.url(), f.token);
        QCOMPARE(ts::scalar(f.db.db(), QStringLiteral("select count(*) from log_baselinker")).toInt(),
                 StandInData::generate(5, 260, 30).orders.size());
        QCOMPARE(messages, QStringList{QStringLiteral("Sfarsit preluare comenzi")});
        QVERIFY(f.server.requests()[0].parameters
                == QStringLiteral("{\"date_confirmed_from\": 0,\"get_unconfirmed_orders\": false,\"include_custom_extra_fields\": true}"));
        QVERIFY(!ts::scalar(f.db.db(), QStringLiteral("select max(data_confirmare_cmd_c) from log_baselinker")).isNull());
    }

    void errorTexts_data()
    {
        QTest::addColumn<QString>("op");
        QTest::addColumn<int>("fault");
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("reason");
        QTest::addColumn<QString>("message");   // exact, or prefix when ending in "…"
        using F = StandInServer::Fault;
        QTest::newRow("502") << "getInvoices" << int(F::Status) << 502 << "Bad Gateway" << "HTTP/1.1 502 Bad Gateway";
        QTest::newRow("500") << "getOrder" << int(F::Status) << 500 << "Internal Server Error" << "HTTP/1.1 500 Internal Server Error";
        QTest::newRow("404") << "getInvoices" << int(F::Status) << 404 << "Not Found"
                             << "(getInvoices) EROARE! StatusCode = 404, Content = <html><body>Not Found</body></html>";
        QTest::newRow("201") << "getOrder" << int(F::Status) << 201 << "Created"
                             << "(getOrder) EROARE! StatusCode = 201, Content = <html><body>Created</body></html>";
        QTest::newRow("html") << "getInvoices" << int(F::Html) << 0 << "" << "(getInvoices) Eroare la parsare Json";
        QTest::newRow("html order") << "getOrder" << int(F::Html) << 0 << "" << "(getOrder) Eroare la parsare Json";
        QTest::newRow("array") << "getInvoices" << int(F::JsonArray) << 0 << "" << "Invalid class typecast";
        QTest::newRow("invalid utf-8") << "getOrder" << int(F::InvalidUtf8) << 0 << "" << "(getOrder) Eroare la parsare Json";
        QTest::newRow("deep nesting") << "getInvoices" << int(F::Deep) << 0 << "" << "(getInvoices) Eroare la parsare Json";
        QTest::newRow("error status, invoices") << "getInvoices" << int(F::Error) << 0 << ""
            << "(getInvoices) EROARE! Content = {\"error_code\":\"ERROR_UNKNOWN\",\"error_message\":\"Internal error, try again later\",\"status\":\"ERROR\"}";
        QTest::newRow("error status, order") << "getOrder" << int(F::Error) << 0 << ""
            << "(getOrder) EROARE! Content = {\"error_code\":\"ERROR_UNKNOWN\",\"error_message\":\"Internal error, try again later\",\"status\":\"ERROR\"}";
    }

    void errorTexts()
    {
        QFETCH(QString, op);
        QFETCH(int, fault);
        QFETCH(int, status);
        QFETCH(QString, reason);
        QFETCH(QString, message);
        Fixture f;
        const QString method = op == QLatin1String("getOrder") ? QStringLiteral("getOrders") : op;
        f.server.addFault({method, 1, StandInServer::Fault(fault), status, reason, 0});
        const QString got = f.error([&] {
            QString json = QStringLiteral("stale");
            if (op == QLatin1String("getOrder")) {
                f.bl.getOrder(QStringLiteral("41000001"), f.server.url(), f.token, json);
            } else {
                f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token);
            }
        });
        QCOMPARE(got, message);
        QCOMPARE(f.logged(), 0);
    }

    void badTokenIsAnErrorNotSuccess()
    {
        Fixture f;
        const QString got = f.error([&] { f.bl.getInvoices(QStringLiteral("0"), f.server.url(), QStringLiteral("gresit")); });
        QVERIFY2(got.startsWith(QStringLiteral("(getInvoices) EROARE! Content = ")), qPrintable(got));
        QVERIFY(got.contains(QStringLiteral("ERROR_BAD_TOKEN")));
        QVERIFY(!got.contains(QStringLiteral("gresit")));   // the token itself is never shown

        // A token that would break the request's header is refused before sending.
        f.server.clearRequests();
        QCOMPARE(f.error([&] { f.bl.getInvoices(QStringLiteral("0"), f.server.url(), QStringLiteral("abc\r\nX-Evil: 1")); }),
                 QStringLiteral("Tokenul din config_baselinker contine caractere nepermise."));
        QCOMPARE(f.server.requests().size(), std::size_t(0));
    }

    void orderIdMustBeDigits_data()
    {
        QTest::addColumn<QString>("orderId");
        QTest::newRow("json injection") << "1, \"order_id\": 2";
        QTest::newRow("negative") << "-5";
        QTest::newRow("empty") << "";
        QTest::newRow("text") << "abc";
        QTest::newRow("fraction") << "12.5";
    }
    void orderIdMustBeDigits()
    {
        QFETCH(QString, orderId);
        Fixture f;
        QString json = QStringLiteral("stale");
        const QString got = f.error([&] { f.bl.getOrder(orderId, f.server.url(), f.token, json); });
        QVERIFY2(got.startsWith(QStringLiteral("(getOrder) order_id nu este un numar")), qPrintable(got));
        QCOMPARE(json, QString());
        QCOMPARE(f.server.requests().size(), std::size_t(0));
    }

    void earlierPagesStayLoggedWhenALaterOneFails()
    {
        Fixture f(StandInData::generate(9, 350, 30));
        f.server.addFault({QStringLiteral("getInvoices"), 3, StandInServer::Fault::Status, 503, QStringLiteral("Service Unavailable")});
        QCOMPARE(f.error([&] { f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token); }),
                 QStringLiteral("HTTP/1.1 503 Service Unavailable"));
        QCOMPARE(f.logged(), 200);
        f.server.clearFaults();
        f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token);
        QCOMPARE(f.logged(), 350);
    }

    void timeoutAndRefusedConnection()
    {
        Fixture f;
        f.bl.setTimeoutMs(300);
        f.server.addFault({QStringLiteral("getInvoices"), 1, StandInServer::Fault::Delay, 0, {}, 1500});
        const QString timedOut = f.error([&] { f.bl.getInvoices(QStringLiteral("0"), f.server.url(), f.token); });
        QVERIFY2(timedOut.startsWith(QStringLiteral("BaseLinker nu a raspuns in 0.3 secunde")), qPrintable(timedOut));

        QTcpServer probe;
        QVERIFY(probe.listen(QHostAddress::LocalHost));
        const quint16 closedPort = probe.serverPort();
        probe.close();
        const QString refused = f.error([&] {
            f.bl.getInvoices(QStringLiteral("0"), QStringLiteral("http://127.0.0.1:%1/connector.php").arg(closedPort), f.token);
        });
        QVERIFY2(refused.contains(QStringLiteral("refused"), Qt::CaseInsensitive), qPrintable(refused));

        f.server.addFault({QStringLiteral("getOrders"), 1, StandInServer::Fault::Truncated});
        QString json;
        const QString truncated = f.error([&] { f.bl.getOrder(QStringLiteral("41000001"), f.server.url(), f.token, json); });
        QVERIFY2(!truncated.isEmpty() && !truncated.startsWith(QStringLiteral("(getOrder) EROARE")), qPrintable(truncated));
    }

    void limiterKeepsBurstUnderTheServersLimit()
    {
        // The real limit is 100 a minute; here both sides use 100 per 1.5 s.
        Fixture f;
        f.server.setRateLimit(100, 1500, 60'000);
        f.limiter.setLimit(100, 1500);
        QString json;
        const qint64 order = StandInData::generate(3, 30, 20).orders.firstKey();
        for (int i = 0; i < 150; ++i)
            f.bl.getOrder(QString::number(order), f.server.url(), f.token, json);
        QVERIFY(!f.server.wasBlocked());
    }

    void limiterCountsAWindow()
    {
        qint64 now = 0;
        QList<qint64> waits;
        RequestLimiter limiter(3, 1000, [&] { return now; }, [&](qint64 ms) { waits << ms; now += ms; });
        for (int i = 0; i < 7; ++i)
            limiter.acquire();
        QCOMPARE(waits, (QList<qint64>{1001, 1001}));
    }

    void unixTimeAcrossDaylightSaving()
    {
        // Run with TZ=Europe/Bucharest: summer time starts 2026-03-29 03:00.
        QCOMPARE(unixTimeText(QDate(2026, 3, 29)), QStringLiteral("1774735200"));   // 2026-03-28 22:00 UTC
        QCOMPARE(unixTimeText(QDate(2026, 3, 30)), QStringLiteral("1774818000"));   // 2026-03-29 21:00 UTC
        // Noon to noon across the autumn change is 25 hours.
        QCOMPARE(unixTimeText(QDateTime(QDate(2026, 10, 24), QTime(12, 0))), QStringLiteral("1792832400"));
        QCOMPARE(unixTimeText(QDateTime(QDate(2026, 10, 25), QTime(12, 0))), QStringLiteral("1792922400"));
    }

    void loggingFunctionsRules()
    {
        ts::TempDb db(QStringLiteral("nolvex_tpl_company"));
        auto logIns = [&](const QString &json) {
            return ts::scalar(db.db(), QStringLiteral("select o_baselinker_fact_log_ins(?)"), {json}).toInt();
        };
        QCOMPARE(logIns(QStringLiteral("{\"status\":\"ERROR\",\"error_code\":\"ERROR_BAD_TOKEN\"}")), 0);
        const QString reply = QStringLiteral(
            "{\"status\":\"SUCCESS\",\"invoices\":[{\"invoice_id\":\"15\",\"order_id\":7,\"number\":\"FV 1/2026\",\"date_add\":\"1774735200\"},"
            "{\"invoice_id\":16,\"number\":\"FV 2/2026 lung de tot peste 15\",\"date_add\":1774818000}]}");
        QCOMPARE(logIns(reply), 2);
        QCOMPARE(logIns(reply), 0);
        QCOMPARE(ts::scalar(db.db(), QStringLiteral("select json_doc_tip || '|' || json_doc_nr from log_baselinker_fact where id_doc = 15")).toString(),
                 QStringLiteral("FactCI|FV 1/2026"));
        QCOMPARE(ts::scalar(db.db(), QStringLiteral("select json_doc::json->>'order_id' from log_baselinker_fact where id_doc = 15")).toString(),
                 QStringLiteral("7"));
    }

    void treskInsRefusals()
    {
        ts::Company c;
        QSqlDatabase db = c.company.db();
        TS_EXEC(db, "insert into log_baselinker_fact (id_doc, json_doc, json_doc_date, json_doc_tip, json_doc_nr) values "
                    "(1, '{\"invoice_fullname\":\"Ana Pop\"}', '2026-04-02', 'FactCI', 'FV 1'),"
                    "(2, '{\"invoice_fullname\":\"Ana Pop\",\"invoice_company\":\"Alfa SRL\"}', '2026-04-02', 'FactCI', 'FV 2')");
        TS_EXEC(db, "update log_baselinker_fact set json_cmd_c = '{\"status\":\"SUCCESS\",\"orders\":[{\"order_source\":\"personal\"}]}' where id_doc = 2");
        auto refusal = [&](qint64 id, const QString &op) {
            QString e;
            ts::exec(db, QStringLiteral("select * from o_baselinker_fact_tresk_ins(?, ?)"), {id, op}, &e);
            return e;
        };
        QVERIFY(refusal(99, c.user).contains(QStringLiteral("nu exista in log_baselinker_fact")));
        QVERIFY(refusal(1, c.user).contains(QStringLiteral("nu are comanda preluata")));
        QVERIFY(refusal(2, QStringLiteral("nimeni")).contains(QStringLiteral("Operatorul nimeni nu exista")));
        QCOMPARE(refusal(2, c.user), QString());
        QCOMPARE(ts::scalar(db, QStringLiteral("select partener || '|' || emitent from doc")).toString(), QStringLiteral("Alfa SRL|") + c.user);
        QVERIFY(refusal(2, c.user).contains(QStringLiteral("exista deja in TRESK")));
    }
};

QTEST_MAIN(TestBaseLinker)
#include "tst_baselinker.moc"
