// The invoice window: the list with its joins, the grid's filter row and
// navigator, and the JSON viewer files.
#include "TestSupport.h"

#include "baselinker/u_fProc_Baselinker.h"
#include "data/u_dmCon.h"
#include "invoices/FilterTableHeader.h"
#include "invoices/InvoiceFilterProxy.h"
#include "invoices/InvoiceListModel.h"
#include "invoices/RecordNavigator.h"
#include "invoices/u_fNolvex_ImportFactCI.h"

#include <QDateEdit>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QtTest>

using M = InvoiceListModel;

class TestInvoiceWindow : public QObject
{
    Q_OBJECT

    struct Fixture
    {
        Fixture() : dm(ts::settings()), bl(&dm), w(&dm, &bl)
        {
            dm.conTresk.setDatabase(db.name());
            w.setFileOpener([this](const QString &p) { opened << p; });
            w.show();
        }
        void invoice(qint64 id, const QDate &date, const QString &nr, const QString &orders, const QString &orderId = QStringLiteral("7"))
        {
            const QString json = QStringLiteral("{\"invoice_id\":%1,\"order_id\":%2,\"number\":\"%3\"}").arg(id).arg(orderId, nr);
            QString e;
            QVERIFY2(ts::exec(db.db(), QStringLiteral("insert into log_baselinker_fact (id_doc, json_doc, json_doc_date, json_doc_tip, json_doc_nr, json_cmd_c) values (?, ?, ?, 'FactCI', ?, ?)"),
                              {id, json, date, nr, orders.isNull() ? QVariant(QMetaType(QMetaType::QString)) : QVariant(orders)}, &e), qPrintable(e));
        }
        QString cell(int row, int column) { return w.listModel()->text(w.filterProxy()->mapToSource(w.filterProxy()->index(row, 0)).row(), column); }
        int rows() { return w.filterProxy()->rowCount(); }
        QString click(const char *button) { return ts::messageBoxText([&] { QTest::mouseClick(w.button(button), Qt::LeftButton); }); }
        ts::TempDb db{QStringLiteral("nolvex_tpl_company")};
        TdmCon dm;
        TfProc_Baselinker bl;
        TfNolvex_ImportFactCI w;
        QStringList opened;
    };

    static QString order(const QString &source, const QString &external, const QString &extra, const QString &comments)
    {
        return QStringLiteral("{\"order_source\":\"%1\",\"external_order_id\":\"%2\",\"custom_extra_fields\":%3,\"admin_comments\":\"%4\"}")
            .arg(source, external, extra.isEmpty() ? QStringLiteral("[]") : QStringLiteral("{\"24491\":\"%1\"}").arg(extra), comments);
    }
    static QString reply(const QStringList &orders) { return QStringLiteral("{\"status\":\"SUCCESS\",\"orders\":[%1]}").arg(orders.join(',')); }

private slots:
    void init() { m_home = std::make_unique<ts::HomeDataFolder>(); }

    void startsClosedWithDateThirtyDaysBack()
    {
        Fixture f;
        QCOMPARE(f.w.dateBox()->date(), QDate::currentDate().addDays(-30));
        QVERIFY(!f.w.listOpen());
        QCOMPARE(f.click("ButtonJsonFact"), QStringLiteral("Nu aveti inregistrari."));
        QCOMPARE(f.click("ButtonJsonCmd"), QStringLiteral("Nu aveti inregistrari."));
        QCOMPARE(f.w.size(), QSize(1284, 711));
        f.w.resize(1484, 811);
        QCOMPARE(f.w.findChild<QWidget *>("cxGrid1")->geometry(), QRect(8, 78, 1468, 607));
        QCOMPARE(f.w.findChild<QWidget *>("Memo1")->geometry(), QRect(91, 728, 1385, 75));
    }

    void listRowsAndJoins()
    {
        Fixture f;
        const QDate today = QDate::currentDate();
        f.invoice(10, today.addDays(-2), QStringLiteral("FV 10"), reply({order("personal", "", "CMD-10", "Livrare luni")}));
        f.invoice(11, today.addDays(-2), QStringLiteral("FV 11"), reply({order("eMagRO", "E-1", "", ""), order("eMagRO", "E-2", "", "")}));
        f.invoice(12, today.addDays(-1), QStringLiteral("FV 12"), QString());     // order not fetched yet: not listed
        f.invoice(13, today.addDays(-40), QStringLiteral("FV 13"), reply({order("eMagHU", "H", "", "")}));   // before the date
        f.invoice(14, today, QStringLiteral("SERIE LUNGA 0000014"), reply({order("eMagHU", "H-14", "", "")}));
        TS_EXEC(f.db.db(), "insert into doc (data_doc, tip_doc, nr_doc, partener, data_stoc, da_nu_scazut_total_stoc, magazie_sursa) values "
                           "(current_date - 2, 'FactCI', 'FV 10', 'Ana Pop', '2026-01-02 03:04:05', true, 'M1'),"
                           "(current_date, 'FactCI', 'E LUNGA 0000014', 'Nagy', null, false, 'EMAG')");
        TS_EXEC(f.db.db(), "insert into anaf_e_fact_msg_toate (data_doc_xml, nr_doc_xml, msg_id, msg_index_incarcare, msg_tip, msg_data_creare) values "
                           "(current_date - 2, 'FV 10', '1', 'IDX-OLD', 'FACTURA TRIMISA', now() - interval '1 day'),"
                           "(current_date - 2, 'FV 10', '2', 'IDX-NEW', 'FACTURA TRIMISA', now()),"
                           "(current_date - 2, 'FV 10', '3', 'ERR', 'ERORI FACTURA', now() + interval '1 day')");
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.rows(), 4);
        QCOMPARE(f.cell(0, M::id_doc), QStringLiteral("14"));
        QCOMPARE(f.cell(0, M::nr_doc_tresk), QStringLiteral("E LUNGA 0000014"));   // the last 15 characters
        QCOMPARE(f.cell(0, M::msg_tip), QString());
        QCOMPARE(f.cell(1, M::id_doc), QStringLiteral("11"));
        QCOMPARE(f.cell(2, M::id_doc), QStringLiteral("11"));
        QCOMPARE(f.cell(1, M::id_doc_extern_cmd), QStringLiteral("E-1"));
        QCOMPARE(f.cell(2, M::id_doc_extern_cmd), QStringLiteral("E-2"));
        QCOMPARE(f.cell(1, M::id_doc_extra_fields_cmd), QString());
        QCOMPARE(f.cell(3, M::id_doc), QStringLiteral("10"));
        QCOMPARE(f.cell(3, M::sursa_cmd), QStringLiteral("personal"));
        QCOMPARE(f.cell(3, M::id_doc_extra_fields_cmd), QStringLiteral("CMD-10"));
        QCOMPARE(f.cell(3, M::admin_comments_cmd), QStringLiteral("Livrare luni"));
        QCOMPARE(f.cell(3, M::partener), QStringLiteral("Ana Pop"));
        QCOMPARE(f.cell(3, M::data_stoc), QStringLiteral("2026-01-02 03:04:05"));
        QCOMPARE(f.cell(3, M::da_nu_scazut_total_stoc), QStringLiteral("True"));
        QCOMPARE(f.cell(3, M::msg_tip), QStringLiteral("FACTURA TRIMISA"));
        QCOMPARE(f.cell(3, M::msg_index_incarcare), QStringLiteral("IDX-NEW"));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{4}-\\d\\d-\\d\\d \\d\\d:\\d\\d:\\d\\d$")).match(f.cell(3, M::data_log)).hasMatch());
        QCOMPARE(f.w.grid()->model()->headerData(M::msg_tip, Qt::Horizontal).toString(), QStringLiteral("msg_tip_efact"));
        QCOMPARE(f.w.grid()->columnWidth(M::partener), 208);

        // e-Factura columns are for "FactCI" documents only.
        TS_EXEC(f.db.db(), "update log_baselinker_fact set json_doc_tip = 'FactX' where id_doc = 10");
        TS_EXEC(f.db.db(), "update doc set tip_doc = 'FactX' where nr_doc = 'FV 10'");
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.cell(3, M::nr_doc_tresk), QStringLiteral("FV 10"));
        QCOMPARE(f.cell(3, M::msg_tip), QString());

        // A start date after today lists nothing.
        f.w.dateBox()->setDate(QDate::currentDate().addDays(1));
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.rows(), 0);
        QCOMPARE(f.click("ButtonJsonFact"), QStringLiteral("Nu aveti inregistrari."));
    }

    void filterRowNavigatorAndCauta()
    {
        Fixture f;
        for (int i = 1; i <= 6; ++i)
            f.invoice(i, QDate::currentDate(), QStringLiteral("FV %1").arg(i),
                      reply({order(i % 2 ? "eMagRO" : "personal", QString::number(i), "", "")}));
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.w.navigator()->infoText(), QStringLiteral("Record 1 of 6"));
        f.w.navigator()->last();
        QCOMPARE(f.w.navigator()->infoText(), QStringLiteral("Record 6 of 6"));
        QLineEdit *sursa = f.w.filterHeader()->editor(M::sursa_cmd);
        QTest::keyClicks(sursa, QStringLiteral("PERS"));      // case-insensitive, applied at once
        QCOMPARE(f.rows(), 3);
        QTest::keyClicks(f.w.filterHeader()->editor(M::json_doc_nr), QStringLiteral("' or 1=1 --"));
        QCOMPARE(f.rows(), 0);
        f.w.filterHeader()->editor(M::json_doc_nr)->clear();
        f.invoice(7, QDate::currentDate(), QStringLiteral("FV 7"), reply({order("personal", "", "", "")}));
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(sursa->text(), QStringLiteral("PERS"));
        QCOMPARE(f.rows(), 4);
        // Enter moves to the next cell.
        f.w.grid()->setFocus();
        f.w.grid()->setCurrentIndex(f.w.filterProxy()->index(0, 0));
        QTest::keyClick(f.w.grid(), Qt::Key_Return);
        QCOMPARE(f.w.grid()->currentIndex().column(), 1);
    }

    void viewerFiles()
    {
        Fixture f;
        const QString orders = reply({order("personal", "", "X", "ăîșț")});
        f.invoice(17, QDate(2026, 4, 2), QStringLiteral("FV 17"), orders, QStringLiteral("5501"));
        f.w.dateBox()->setDate(QDate(2026, 4, 1));
        QCOMPARE(f.click("ButtonCauta"), QString());
        QCOMPARE(f.click("ButtonJsonFact"), QString());
        const QString factPath = QDir(m_home->path()).filePath(QStringLiteral("2026-04-02_id_doc_17.json"));
        QCOMPARE(f.opened, QStringList{factPath});
        QFile fact(factPath);
        QVERIFY(fact.open(QIODevice::ReadOnly));
        QCOMPARE(fact.readAll(), QByteArray("\xEF\xBB\xBF{\"invoice_id\":17,\"order_id\":5501,\"number\":\"FV 17\"}\n"));
        QCOMPARE(fact.permissions() & QFile::ReadOther, QFile::Permissions());
        QCOMPARE(f.click("ButtonJsonCmd"), QString());
        QFile cmd(QDir(m_home->path()).filePath(QStringLiteral("2026-04-02_order_id_5501.json")));
        QVERIFY(cmd.open(QIODevice::ReadOnly));
        QCOMPARE(cmd.readAll(), QByteArray("\xEF\xBB\xBF") + orders.toUtf8() + "\n");
        QVERIFY(!f.w.dsLogDazevezezaVozeUnu.isOpen());

        // A folder that cannot be written: the file system's message, nothing opened.
        QTemporaryFile blocker;
        QVERIFY(blocker.open());
        qputenv("XDG_DATA_HOME", (blocker.fileName() + QStringLiteral("/sub")).toUtf8());
        f.opened.clear();
        QVERIFY(f.click("ButtonJsonFact").startsWith(QStringLiteral("Cannot create folder")));
        QVERIFY(f.opened.isEmpty());
    }

    void queryErrorLeavesListAsItWas()
    {
        Fixture f;
        f.invoice(1, QDate::currentDate(), QStringLiteral("FV 1"), reply({order("personal", "", "", "")}));
        QCOMPARE(f.click("ButtonCauta"), QString());
        TS_EXEC(f.db.db(), "drop table anaf_e_fact_msg_toate");
        const QString message = f.click("ButtonCauta");
        QVERIFY2(message.contains(QStringLiteral("anaf_e_fact_msg_toate")), qPrintable(message));
        QCOMPARE(f.rows(), 1);
    }

private:
    std::unique_ptr<ts::HomeDataFolder> m_home;
};

QTEST_MAIN(TestInvoiceWindow)
#include "tst_invoicewindow.moc"
