// Import into the ERP: the current invoice, and every listed one.
#include "TestSupport.h"

#include "baselinker/u_fProc_Baselinker.h"
#include "data/u_dmCon.h"
#include "invoices/FilterTableHeader.h"
#include "invoices/InvoiceFilterProxy.h"
#include "invoices/InvoiceListModel.h"
#include "invoices/u_fNolvex_ImportFactCI.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using M = InvoiceListModel;

class TestImport : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        Fixture() : dm(ts::settings()), bl(&dm), w(&dm, &bl)
        {
            dm.conTresk.setDatabase(c.company.name());
            dm.glUser = c.user;
            w.show();
        }
        void invoice(qint64 id, int elements = 1, const QString &buyer = QStringLiteral("Ana Pop"))
        {
            QStringList orders;
            for (int i = 0; i < elements; ++i)
                orders << QStringLiteral("{\"order_source\":\"personal\",\"external_order_id\":\"%1\"}").arg(i);
            const QString cmd = QStringLiteral("{\"status\":\"SUCCESS\",\"orders\":[%1]}").arg(orders.join(','));
            QString e;
            QVERIFY2(ts::exec(c.company.db(), QStringLiteral("insert into log_baselinker_fact (id_doc, json_doc, json_doc_date, json_doc_tip, json_doc_nr, json_cmd_c) "
                                                             "values (?, ?, current_date, 'FactCI', ?, ?)"),
                              {id, QStringLiteral("{\"invoice_fullname\":\"%1\"}").arg(buyer), QStringLiteral("FV %1").arg(id), cmd}, &e), qPrintable(e));
        }
        QString click(const char *b) { return ts::messageBoxText([&] { QTest::mouseClick(w.button(b), Qt::LeftButton); }); }
        void select(qint64 id)
        {
            for (int r = 0; r < w.filterProxy()->rowCount(); ++r)
                if (w.listModel()->idDoc(w.filterProxy()->mapToSource(w.filterProxy()->index(r, 0)).row()) == id)
                    w.grid()->setCurrentIndex(w.filterProxy()->index(r, 0));
        }
        QVariant err(qint64 id) { return ts::scalar(c.company.db(), QStringLiteral("select err_ins_tresk from log_baselinker_fact where id_doc = ?"), {id}); }
        int docs() { return ts::scalar(c.company.db(), QStringLiteral("select count(*) from doc")).toInt(); }
        ts::Company c;
        TdmCon dm;
        TfProc_Baselinker bl;
        TfNolvex_ImportFactCI w;
    };

private slots:
    void emptyList()
    {
        Fixture f;
        QCOMPARE(f.click("ButtonImportaFactCurentaTresk"), QStringLiteral("Nu aveti inregistrari."));
        QCOMPARE(f.click("ButtonImportaFactToateTresk"), QStringLiteral("Nu aveti inregistrari"));
    }

    void currentInvoice()
    {
        Fixture f;
        f.invoice(1, 1, QString());   // no buyer: refused by the ERP
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.click("ButtonImportaFactCurentaTresk"), QString());
        const QString refusal = f.err(1).toString();
        QVERIFY2(refusal.contains(QStringLiteral("nu are cumparator")), qPrintable(refusal));
        QCOMPARE(f.w.errorMemo()->toPlainText(), refusal);
        QCOMPARE(f.docs(), 0);

        TS_EXEC(f.c.company.db(), "update log_baselinker_fact set json_doc = '{\"invoice_fullname\":\"Ion\"}'");
        QCOMPARE(f.click("ButtonImportaFactCurentaTresk"), QString());
        QVERIFY(f.err(1).isNull());
        QCOMPARE(f.w.errorMemo()->toPlainText(), QString());
        QCOMPARE(f.docs(), 1);
        QCOMPARE(ts::scalar(f.c.company.db(), QStringLiteral("select emitent from doc")).toString(), f.c.user);
        QCOMPARE(f.w.currentText(M::nr_doc_tresk), QStringLiteral("FV 1"));
        QVERIFY(!f.w.dsLogDazevezezaVozeUnu.isOpen());

        // Already in the ERP: refused, nothing called.
        TS_EXEC(f.c.company.db(), "update log_baselinker_fact set err_ins_tresk = 'marker'");
        QCOMPARE(f.click("ButtonImportaFactCurentaTresk"), QStringLiteral("Factura exista in TRESK."));
        QCOMPARE(f.err(1).toString(), QStringLiteral("marker"));
        QCOMPARE(f.docs(), 1);
    }

    void importAllRespectsTheFilterAndImportsEachInvoiceOnce()
    {
        Fixture f;
        f.invoice(1);
        f.invoice(2, 2);               // listed twice
        f.invoice(3, 1, QString());    // refused
        f.invoice(4, 1, QStringLiteral("Filtrat Afara"));
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.w.filterProxy()->rowCount(), 5);
        QTest::keyClicks(f.w.filterHeader()->editor(M::json_doc_nr), QStringLiteral("fv "));
        QTest::keyClicks(f.w.filterHeader()->editor(M::id_doc), QStringLiteral("1"));
        f.w.filterHeader()->editor(M::id_doc)->clear();
        TS_EXEC(f.c.company.db(), "update log_baselinker_fact set json_doc_nr = 'ALTA 4' where id_doc = 4");
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.w.filterProxy()->rowCount(), 4);

        QList<qint64> steps;
        bool buttonsDisabled = true;
        f.w.setImportStepHook([&](qint64 id) {
            steps << id;
            buttonsDisabled = buttonsDisabled && !f.w.button("ButtonCauta")->isEnabled();
        });
        QCOMPARE(f.click("ButtonImportaFactToateTresk"), QString());
        QCOMPARE(steps, (QList<qint64>{3, 2, 1}));
        QVERIFY(buttonsDisabled);
        QVERIFY(f.w.button("ButtonCauta")->isEnabled());
        QCOMPARE(f.docs(), 2);
        QVERIFY(f.err(3).toString().contains(QStringLiteral("nu are cumparator")));
        QCOMPARE(ts::scalar(f.c.company.db(), QStringLiteral("select count(*) from doc where nr_doc = 'FV 4'")).toInt(), 0);
        QCOMPARE(ts::scalar(f.c.company.db(), QStringLiteral("select count(*) from doc where nr_doc = 'FV 2'")).toInt(), 1);

        // Over a fully imported list nothing is called.
        TS_EXEC(f.c.company.db(), "delete from log_baselinker_fact where id_doc = 3");
        QCOMPARE(f.click("ButtonCauta"), QString());
        TS_EXEC(f.c.company.db(), "update log_baselinker_fact set err_ins_tresk = 'marker'");
        QCOMPARE(f.click("ButtonImportaFactToateTresk"), QString());
        QCOMPARE(f.docs(), 2);
        QCOMPARE(f.err(1).toString(), QStringLiteral("marker"));
    }

    void invoiceImportedElsewhereDuringTheLoopIsSkipped()
    {
        Fixture f;
        f.invoice(1);
        f.invoice(2);
        QCOMPARE(f.click("ButtonCauta"), QString());
        f.w.setImportStepHook([&](qint64 id) {
            if (id == 2)   // another operator imports invoice 1 meanwhile
                ts::exec(f.c.company.db(), QStringLiteral("insert into doc (data_doc, tip_doc, nr_doc, partener) values (current_date, 'FactCI', 'FV 1', 'Altcineva')"));
        });
        QCOMPARE(f.click("ButtonImportaFactToateTresk"), QString());
        QCOMPARE(f.docs(), 2);
        QVERIFY(f.err(1).isNull());
        QCOMPARE(ts::scalar(f.c.company.db(), QStringLiteral("select partener from doc where nr_doc = 'FV 1'")).toString(), QStringLiteral("Altcineva"));
    }

    void failureToStoreTheErrorEndsTheLoop()
    {
        Fixture f;
        f.invoice(1, 1, QString());
        f.invoice(2, 1, QString());
        QCOMPARE(f.click("ButtonCauta"), QString());
        TS_EXEC(f.c.company.db(), "create function refuse() returns trigger language plpgsql as $$ begin "
                                  "if new.err_ins_tresk is not null then raise exception 'jurnal plin'; end if; return new; end $$");
        TS_EXEC(f.c.company.db(), "create trigger refuse before update on log_baselinker_fact for each row execute function refuse()");
        QList<qint64> steps;
        f.w.setImportStepHook([&](qint64 id) { steps << id; });
        const QString message = f.click("ButtonImportaFactToateTresk");
        QVERIFY2(message.contains(QStringLiteral("jurnal plin")), qPrintable(message));
        QVERIFY(steps.isEmpty());
        QVERIFY(f.w.button("ButtonImportaFactToateTresk")->isEnabled());
    }
};

QTEST_MAIN(TestImport)
#include "tst_import.moc"
