// The retrieval run: invoices, then the missing orders, with the journal.
#include "TestSupport.h"

#include "StandInServer.h"
#include "baselinker/RequestLimiter.h"
#include "baselinker/UnixTime.h"
#include "baselinker/u_fProc_Baselinker.h"
#include "data/u_dmCon.h"
#include "invoices/InvoiceFilterProxy.h"
#include "invoices/u_fNolvex_ImportFactCI.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QtTest>

class TestRetrieval : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        explicit Fixture(StandInData data = StandInData::generate(21, 300, 60))
            : server(data), dm(ts::settings()), bl(&dm), limiter(0, 1000), w(&dm, &bl), data(std::move(data))
        {
            dm.conTresk.setDatabase(db.name());
            server.start();
            bl.setLimiter(&limiter);
            w.show();
        }
        QString run() { return ts::messageBoxText([&] { QTest::mouseClick(w.button("ButtonPreluareFactBaseLinker"), Qt::LeftButton); }); }
        QStringList journal() { return w.journal()->toPlainText().split('\n', Qt::SkipEmptyParts); }
        int count(const char *sql) { return ts::scalar(db.db(), QString::fromLatin1(sql)).toInt(); }
        ts::TempDb db{QStringLiteral("nolvex_tpl_company")};
        StandInServer server;
        TdmCon dm;
        TfProc_Baselinker bl;
        RequestLimiter limiter;
        TfNolvex_ImportFactCI w;
        StandInData data;
    };

    static void configure(Fixture &f)
    {
        TS_EXEC(f.db.db(), "insert into config_baselinker (base_url, token) values (?, 'demo-token')", {f.server.url()});
    }

private slots:
    void noConfiguration()
    {
        Fixture f;
        QCOMPARE(f.run(), QStringLiteral("Nu aveti configurata tabela config_baselinker."));
        QCOMPARE(f.w.journal()->toPlainText(), QString());
        QCOMPARE(f.server.requests().size(), std::size_t(0));
    }

    void endToEndAndSecondRunAddsNothing()
    {
        Fixture f;
        configure(f);
        const qint64 before = QDateTime::currentSecsSinceEpoch() - 365 * 86400;
        QCOMPARE(f.run(), QString());
        const qint64 after = QDateTime::currentSecsSinceEpoch() - 365 * 86400;
        const QString first = f.server.requests().front().parameters;
        const qint64 dateFrom = first.section(QStringLiteral(": "), 1, 1).section(',', 0, 0).toLongLong();
        QVERIFY2(dateFrom >= before && dateFrom <= after, qPrintable(first));

        QCOMPARE(f.count("select count(*) from log_baselinker_fact"), 300);
        const int withOrder = int(std::count_if(f.data.invoices.begin(), f.data.invoices.end(), [](const QJsonObject &o) { return o.contains("order_id"); }));
        QVERIFY(withOrder < 300);
        QCOMPARE(f.count("select count(*) from log_baselinker_fact where json_cmd_c is not null"), withOrder);
        QCOMPARE(f.server.callCount(QStringLiteral("getOrders")), withOrder);   // invoices without order_id are never asked for
        const QStringList j = f.journal();
        QCOMPARE(j.size(), 4);
        QVERIFY(j[0].startsWith(QStringLiteral("Incepe preluarea facturilor ( ")) && j[0].endsWith(QStringLiteral(" )")));
        QVERIFY(j[1].startsWith(QStringLiteral("Sfarsit preluare facturi ( ")));
        QVERIFY(j[2].startsWith(QStringLiteral("Incepe preluarea comenzilor ( ")));
        QVERIFY(j[3].startsWith(QStringLiteral("Sfarsit preluare comenzi ( ")));
        QVERIFY(f.w.listOpen());
        // Before any "Cauta" the list starts at the date box's date, 30 days back.
        QCOMPARE(f.w.filterProxy()->rowCount(),
                 f.count("select count(*) from (select json_array_elements(json_cmd_c::json->'orders') from log_baselinker_fact "
                         "where json_doc_date between current_date - 30 and current_date) o"));
        QVERIFY(f.w.filterProxy()->rowCount() > 0);

        // The next run asks from the latest logged date, adds and fetches nothing.
        f.server.clearRequests();
        QCOMPARE(f.run(), QString());
        const QDate latest = ts::scalar(f.db.db(), QStringLiteral("select max(json_doc_date) from log_baselinker_fact")).toDate();
        QCOMPARE(f.server.requests().front().parameters,
                 QStringLiteral("{\"date_from\": %1,\"get_external_invoices\": false}").arg(unixTimeText(latest)));
        QCOMPARE(f.server.callCount(QStringLiteral("getOrders")), 0);
        QCOMPARE(f.count("select count(*) from log_baselinker_fact"), 300);
        QCOMPARE(f.journal().size(), 8);
    }

    void invoicePhaseErrorStopsTheRun()
    {
        Fixture f;
        configure(f);
        f.server.addFault({QStringLiteral("getInvoices"), 1, StandInServer::Fault::Html});
        QCOMPARE(f.run(), QStringLiteral("(getInvoices) Eroare la parsare Json"));
        QCOMPARE(f.journal().size(), 1);
        QVERIFY(!f.w.listOpen());
    }

    void failedOrdersAreJournalledAndTheRunGoesOn()
    {
        Fixture f(StandInData::generate(4, 20, 10));
        configure(f);
        f.server.addFault({QStringLiteral("getOrders"), 2, StandInServer::Fault::Error});
        // An invoice whose stored order_id is not a number.
        TS_EXEC(f.db.db(), "insert into log_baselinker_fact (id_doc, json_doc, json_doc_date, json_doc_tip, json_doc_nr) "
                           "values (1, '{\"order_id\":\"12a\"}', current_date - 400, 'FactCI', 'X')");
        QCOMPARE(f.run(), QString());
        const QStringList j = f.journal();
        QCOMPARE(j.size(), 6);
        QCOMPARE(j[3], QStringLiteral("Eroare preluare order_id 12a. (getOrder) order_id nu este un numar: \"12a\""));
        QVERIFY2(j[4].startsWith(QStringLiteral("Eroare preluare order_id ")) && j[4].contains(QStringLiteral(". (getOrder) EROARE! Content = ")), qPrintable(j[4]));
        QCOMPARE(f.count("select count(*) from log_baselinker_fact where json_cmd_c is null and json_doc::json->>'order_id' is not null"), 2);
        // The next run fetches the failed one again.
        QCOMPARE(f.run(), QString());
        QCOMPARE(f.count("select count(*) from log_baselinker_fact where json_cmd_c is null and json_doc::json->>'order_id' is not null"), 1);
    }

    void failedSaveIsJournalled()
    {
        Fixture f(StandInData::generate(4, 5, 10));
        configure(f);
        TS_EXEC(f.db.db(), "create function refuse() returns trigger language plpgsql as $$ begin "
                           "if new.json_cmd_c is not null then raise exception 'salvare refuzata'; end if; return new; end $$");
        TS_EXEC(f.db.db(), "create trigger refuse before update on log_baselinker_fact for each row execute function refuse()");
        QCOMPARE(f.run(), QString());
        const QStringList j = f.journal();
        QVERIFY(j.size() > 4);
        QVERIFY2(j[3].contains(QStringLiteral("salvare refuzata")), qPrintable(j[3]));
        QVERIFY(j.last().startsWith(QStringLiteral("Sfarsit preluare comenzi")));
    }

    void blockedTokenStopsTheOrdersPhase()
    {
        Fixture f(StandInData::generate(4, 20, 10));
        configure(f);
        f.server.addFault({QStringLiteral("getOrders"), 3, StandInServer::Fault::BlockedToken});
        QCOMPARE(f.run(), QString());
        QCOMPARE(f.server.callCount(QStringLiteral("getOrders")), 3);
        const QStringList j = f.journal();
        QVERIFY2(j[3].contains(QStringLiteral("ERROR_BLOCKED_TOKEN")), qPrintable(j[3]));
        QVERIFY2(j[4].startsWith(QStringLiteral("Token BaseLinker blocat")), qPrintable(j[4]));
        QVERIFY(j[5].startsWith(QStringLiteral("Sfarsit preluare comenzi")));
        QVERIFY(f.w.listOpen());
    }
};

QTEST_MAIN(TestRetrieval)
#include "tst_retrieval.moc"
