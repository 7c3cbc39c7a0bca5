// Disconnected mode: a connection the server dropped between two uses is
// made afresh; reads are retried once, writes never sent twice.
#include "TestSupport.h"

#include "data/EAppError.h"
#include "data/u_dmCon.h"
#include "login/u_frmLogin.h"

#include <QLineEdit>
#include <QPushButton>
#include <QSqlQuery>
#include <QtTest>

class TestConnection : public QObject
{
    Q_OBJECT

    static void pointAt(TdmCon &dm, const ts::TempDb &db)
    {
        dm.conTresk.setServer(ts::host());
        dm.conTresk.setPort(ts::port());
        dm.conTresk.setDatabase(db.name());
    }

private slots:
    void settingsOfBothConnections()
    {
        TdmCon dm(ts::settings());
        QCOMPARE(dm.conTresk.sslMode(), QStringLiteral("require"));
        QCOMPARE(dm.conTreskMob.sslMode(), QStringLiteral("require"));
        QCOMPARE(dm.conTresk.connectTimeout(), 15);
        QCOMPARE(dm.conTreskMob.connectTimeout(), 15);
        QCOMPARE(InstallSettings::builtIn().company.database, QStringLiteral("tresk1"));
        QCOMPARE(InstallSettings::builtIn().registry.database, QStringLiteral("tresk_mob"));
        QVERIFY(InstallSettings::builtIn().company.password.isEmpty());
        QVERIFY(!dm.conTresk.isConnected());   // nothing connects before first use
    }

    void installationSettingsOverrideDefaults()
    {
        QTemporaryDir dir;
        const QString ini = dir.filePath(QStringLiteral("Nolvex.ini"));
        QFile f(ini);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("[Company]\nHost=db.firma.ro\nPort=6432\n[Registry]\nHost=registru.firma.ro\n"
                "[Database]\nPassFile=/etc/nolvex/pgpass\n[BaseLinker]\nRequestsPerMinute=60\n");
        f.close();
        const InstallSettings s = InstallSettings::load(ini);
        QCOMPARE(s.company.host, QStringLiteral("db.firma.ro"));
        QCOMPARE(s.company.port, 6432);
        QCOMPARE(s.registry.host, QStringLiteral("registru.firma.ro"));
        QCOMPARE(s.registry.port, 5432);
        QCOMPARE(s.passFile, QStringLiteral("/etc/nolvex/pgpass"));
        QCOMPARE(s.requestsPerMinute, 60);
        QVERIFY(s.company.password.isEmpty());
    }

    void readReconnectsAfterRestart()
    {
        ts::TempDb db(QStringLiteral("nolvex_tpl_company"));
        TdmCon dm(ts::settings());
        pointAt(dm, db);
        dm.dsEu.open();
        QVERIFY(dm.conTresk.isConnected());
        ts::pgctl(QStringLiteral("restart"));
        dm.dsEu.refresh();   // retried once on a fresh connection
        QVERIFY(dm.dsEu.isOpen());
        QVERIFY(dm.conTresk.isConnected());
    }

    void writeIsNeverSentTwice()
    {
        ts::TempDb db(QStringLiteral("nolvex_tpl_company"));
        TdmCon dm(ts::settings());
        pointAt(dm, db);
        const QString insert = QStringLiteral("insert into aplicatie_mob (aplicatie_mob) values (:n)");
        dm.conTresk.write(insert, {QStringLiteral("a")});
        ts::pgctl(QStringLiteral("restart"));
        bool failed = false;
        try {
            dm.conTresk.write(insert, {QStringLiteral("b")});
        } catch (const EAppError &e) {
            failed = true;
            QVERIFY2(!e.message().isEmpty(), "the lost connection is reported");
        }
        if (failed)
            QCOMPARE(ts::scalar(db.db(), QStringLiteral("select count(*) from aplicatie_mob where aplicatie_mob = 'b'")).toInt(), 0);
        // The next action finds a fresh connection.
        dm.conTresk.write(insert, {QStringLiteral("c")});
        QCOMPARE(ts::scalar(db.db(), QStringLiteral("select count(*) from aplicatie_mob where aplicatie_mob = 'c'")).toInt(), 1);
    }

    void databaseErrorIsNotRetried()
    {
        ts::TempDb db(QStringLiteral("nolvex_tpl_company"));
        TdmCon dm(ts::settings());
        pointAt(dm, db);
        dm.dsEu.open();
        try {
            dm.conTresk.read(QStringLiteral("select * from tabela_lipsa"), {});
            QFAIL("no error");
        } catch (const EAppError &e) {
            QVERIFY2(e.message().contains(QStringLiteral("tabela_lipsa")), qPrintable(e.message()));
        }
        QVERIFY(dm.conTresk.isConnected());
    }

    void loginAfterRestart()
    {
        ts::HomeDataFolder home;
        ts::Company c;
        TdmCon dm(c.settings());
        TfrmLogin login(&dm);
        auto attempt = [&] {
            login.show();
            login.findChild<QLineEdit *>("Edit1")->setText(c.name);
            login.findChild<QLineEdit *>("Edit2")->setText(c.user);
            login.findChild<QLineEdit *>("Edit3")->setText(c.pass);
            return ts::messageBoxText([&] { QTest::mouseClick(login.findChild<QPushButton *>("Button1"), Qt::LeftButton); });
        };
        QCOMPARE(attempt(), QString());
        ts::pgctl(QStringLiteral("restart"));
        QCOMPARE(attempt(), QString());
        QCOMPARE(dm.glUser, c.user);
    }
};

QTEST_MAIN(TestConnection)
#include "tst_connection.moc"
