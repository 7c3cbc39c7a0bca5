// Login against the registry and the company database, the remembered-login
// file, and the main window's two states.
#include "TestSupport.h"

#include "app/u_fMenuNolvex.h"
#include "data/EAppError.h"
#include "data/RememberedLogin.h"
#include "data/u_dmCon.h"
#include "login/u_frmLogin.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QtTest>

class TestLogin : public QObject
{
    Q_OBJECT

    struct Dialog
    {
        explicit Dialog(const InstallSettings &s) : dm(s), login(&dm) {}
        TdmCon dm;
        TfrmLogin login;
        QLineEdit *edit(const char *name) { return login.findChild<QLineEdit *>(name); }
        void type(const QString &company, const QString &user, const QString &pass)
        {
            edit("Edit1")->setText(company);
            edit("Edit2")->setText(user);
            edit("Edit3")->setText(pass);
        }
        // Presses Login as the operator would; returns the error box's text.
        QString press()
        {
            return ts::messageBoxText([this] { QTest::mouseClick(login.findChild<QPushButton *>("Button1"), Qt::LeftButton); });
        }
    };

private slots:
    void init() { m_home = std::make_unique<ts::HomeDataFolder>(); }

    void successfulLoginFillsSession()
    {
        ts::Company c;
        Dialog d(c.settings());
        d.login.show();
        d.type(c.name, c.user, c.pass);
        QCOMPARE(d.press(), QString());
        QCOMPARE(d.login.result(), int(QDialog::Accepted));
        QCOMPARE(d.dm.glNumeFirma, c.name);
        QCOMPARE(d.dm.glUser, c.user);
        QCOMPARE(d.dm.glUserPass, c.pass);
        QCOMPARE(d.dm.glDataBase, c.company.name());
        QCOMPARE(d.dm.glUserRol, QStringLiteral("operator"));
        QCOMPARE(d.dm.glEuPL, QStringLiteral("PL1"));
        QCOMPARE(d.dm.glJasIP, QStringLiteral("10.0.0.5:8080"));
        QCOMPARE(d.dm.glJasProtocol, QStringLiteral("http"));
        QCOMPARE(d.edit("Edit3")->text(), QString());
        QCOMPARE(d.dm.conTresk.databaseName(), c.company.name());
        QCOMPARE(d.dm.conTresk.sslMode(), QStringLiteral("prefer"));
        QCOMPARE(d.dm.conTreskMob.sslMode(), QStringLiteral("require"));
        QCOMPARE(d.dm.conTresk.connectTimeout(), 15);
        // The guard closed the queries it owns.
        QVERIFY(!d.login.dsTreskMobil.isOpen());
        QVERIFY(!d.dm.dsEmitent.isOpen());
        QVERIFY(!d.dm.dsAplicatieMob.isOpen());
    }

    void refusals_data()
    {
        QTest::addColumn<QString>("hashType");
        QTest::addColumn<QString>("storedPassword");   // as kept in emitent
        QTest::addColumn<QString>("typedCompany");
        QTest::addColumn<QString>("typedPassword");
        QTest::addColumn<QString>("message");
        const QString sha = TfrmLogin::sha256Hex(QStringLiteral("Parola1!"));
        QTest::newRow("unknown company") << "HashSHA2" << sha << "Alta firma" << "Parola1!" << "Companie inexistenta";
        QTest::newRow("empty company") << "HashSHA2" << sha << "" << "Parola1!" << "Companie inexistenta";
        QTest::newRow("company differs in case") << "HashSHA2" << sha << "firma test" << "Parola1!" << "Companie inexistenta";
        QTest::newRow("hashed, wrong password") << "HashSHA2" << sha << "Firma Test" << "parola1!" << "User, Password eronate";
        QTest::newRow("hashed, plain text typed against digest") << "HashSHA2" << sha << "Firma Test" << sha << "User, Password eronate";
        QTest::newRow("plain, wrong password") << "" << "Parola1!" << "Firma Test" << "Parola2!" << "User, Password eronate";
        QTest::newRow("hashsha2 in other case compares plainly") << "hashsha2" << sha << "Firma Test" << "Parola1!" << "User, Password eronate";
        QTest::newRow("other digest compares plainly") << "HashSHA512" << sha << "Firma Test" << "Parola1!" << "User, Password eronate";
        QTest::newRow("hashed, accepted") << "HashSHA2" << sha << "Firma Test" << "Parola1!" << "";
        QTest::newRow("other case, plain accepted") << "hashsha2" << "Parola1!" << "Firma Test" << "Parola1!" << "";
        QTest::newRow("non-ASCII under SHA-256") << "HashSHA2" << TfrmLogin::sha256Hex(QStringLiteral("Țară șî ăâî €")) << "Firma Test" << "Țară șî ăâî €" << "";
        QTest::newRow("empty password under SHA-256") << "HashSHA2"
            << "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855" << "Firma Test" << "" << "";
        QTest::newRow("quotes and SQL in password") << "" << "x' or '1'='1" << "Firma Test" << "y' or '1'='1" << "User, Password eronate";
    }

    void refusals()
    {
        QFETCH(QString, hashType);
        QFETCH(QString, storedPassword);
        QFETCH(QString, typedCompany);
        QFETCH(QString, typedPassword);
        QFETCH(QString, message);
        ts::Company c(QStringLiteral("Firma Test"), hashType);
        TS_EXEC(c.company.db(), "update emitent set operator_parola = ?", {storedPassword});
        Dialog d(c.settings());
        d.login.show();
        d.type(typedCompany, c.user, typedPassword);
        QCOMPARE(d.press(), message);
        QCOMPARE(d.login.result() == QDialog::Accepted, message.isEmpty());
        QCOMPARE(d.dm.glNumeFirma, typedCompany);
        if (!message.isEmpty()) {
            QVERIFY(d.login.isVisible());
            QCOMPARE(d.dm.glUser, QString());
            QCOMPARE(d.edit("Edit3")->text(), typedPassword);
        }
    }

    void applicationRights()
    {
        ts::Company c;
        Dialog d(c.settings());
        d.login.show();
        TS_EXEC(c.company.db(), "update aplicatie_mob set activ = false");
        d.type(c.name, c.user, c.pass);
        QCOMPARE(d.press(), QStringLiteral("Aplicatia ") + c.title + QStringLiteral(" nu este inregistrata"));
        TS_EXEC(c.company.db(), "update aplicatie_mob set activ = true");
        TS_EXEC(c.company.db(), "delete from aplicatie_mob_emitent");
        QCOMPARE(d.press(), QStringLiteral("User fara drept pe aplicatia ") + c.title);
        QCOMPARE(d.dm.glUser, QString());
    }

    void applicationTitle_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("title");
        QTest::newRow("plain") << "/opt/nolvex/bin/Nolvex" << "Nolvex";
        QTest::newRow("windows") << "C:/Program Files/Nolvex/NOLVEX.EXE" << "Nolvex";
        QTest::newRow("two dots") << "/x/nolVEX.old.exe" << "nolvex";
    }
    void applicationTitle()
    {
        QFETCH(QString, path);
        QFETCH(QString, title);
        QCOMPARE(TfrmLogin::applicationTitle(path), title);
    }

    void jasProtocol_data()
    {
        QTest::addColumn<QString>("jasIp");
        QTest::addColumn<QString>("protocol");
        QTest::newRow("port 8080") << "10.1.1.1:8080" << "http";
        QTest::newRow("8080 inside") << "srv8080.local" << "http";
        QTest::newRow("other") << "reports.example.ro" << "https";
        QTest::newRow("empty") << "" << "https";
    }
    void jasProtocol()
    {
        QFETCH(QString, jasIp);
        QFETCH(QString, protocol);
        ts::Company c;
        TS_EXEC(c.company.db(), "update eu set jas_ip = ?", {jasIp});
        Dialog d(c.settings());
        d.login.show();
        d.type(c.name, c.user, c.pass);
        QCOMPARE(d.press(), QString());
        QCOMPARE(d.dm.glJasProtocol, protocol);
    }

    void failedThenSuccessfulForAnotherCompany()
    {
        ts::Company first(QStringLiteral("Prima"));
        ts::Company second(QStringLiteral("A doua"));
        // Both companies in one registry: the first's registry serves.
        TS_EXEC(first.registry.db(), "insert into m_firma (nume_firma, ip, port, db_name, pw_hash_type) values (?, ?, ?, ?, 'HashSHA2')",
                {second.name, ts::host(), ts::port(), second.company.name()});
        TS_EXEC(second.company.db(), "update eu set jas_ip = 'rapoarte.ro'");
        Dialog d(first.settings());
        d.login.show();
        d.type(first.name, first.user, QStringLiteral("gresita"));
        QCOMPARE(d.press(), QStringLiteral("User, Password eronate"));
        QCOMPARE(d.dm.conTresk.databaseName(), first.company.name());
        d.type(second.name, second.user, second.pass);
        QCOMPARE(d.press(), QString());
        QCOMPARE(d.dm.conTresk.databaseName(), second.company.name());
        QCOMPARE(d.dm.glNumeFirma, second.name);
        QCOMPARE(d.dm.glDataBase, second.company.name());
        QCOMPARE(d.dm.glJasProtocol, QStringLiteral("https"));
    }

    void rememberedLoginWrittenBeforeChecksAndReloaded()
    {
        ts::Company c;
        {
            Dialog d(c.settings());
            d.login.show();
            d.type(QStringLiteral("Firma „Nouă” 'x'"), QStringLiteral("ana"), QStringLiteral("secret-never-stored"));
            QCOMPARE(d.press(), QStringLiteral("Companie inexistenta"));
        }
        QFile f(RememberedLogin::filePath());
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(!bytes.contains("secret-never-stored"));
        const QJsonObject o = QJsonDocument::fromJson(bytes).object();
        QCOMPARE(o.value("company").toString(), QStringLiteral("Firma „Nouă” 'x'"));
        QCOMPARE(o.value("username").toString(), QStringLiteral("ana"));
        QCOMPARE(f.permissions() & (QFile::ReadOther | QFile::ReadGroup), QFile::Permissions());

        Dialog again(c.settings());
        again.login.show();
        QCOMPARE(again.edit("Edit1")->text(), QStringLiteral("Firma „Nouă” 'x'"));
        QCOMPARE(again.edit("Edit2")->text(), QStringLiteral("ana"));
        QVERIFY(again.edit("Edit3")->text().isEmpty());
    }

    void badRememberedFiles_data()
    {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("empty") << QByteArray();
        QTest::newRow("not JSON") << QByteArray("company=Demo");
        QTest::newRow("array") << QByteArray("[\"Demo\"]");
        QTest::newRow("numbers") << QByteArray("{\"company\": 12, \"username\": true}");
    }
    void badRememberedFiles()
    {
        QFETCH(QByteArray, content);
        ts::Company c;
        QDir().mkpath(m_home->path());
        QFile f(RememberedLogin::filePath());
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(content);
        f.close();
        Dialog d(c.settings());
        const QString shown = ts::messageBoxText([&] { d.login.show(); });
        QVERIFY2(shown.contains(QStringLiteral("TreskVelun.json")), qPrintable(shown));
        // The dialog still works, and the next login replaces the bad file.
        d.type(c.name, c.user, c.pass);
        QCOMPARE(d.press(), QString());
        QCOMPARE(RememberedLogin::load(RememberedLogin::filePath()).company, c.name);
    }

    void unwritableHomeFolderStopsTheLogin()
    {
        ts::Company c;
        // A home data folder below a plain file cannot be made, even by root.
        QTemporaryFile blocker;
        QVERIFY(blocker.open());
        qputenv("XDG_DATA_HOME", (blocker.fileName() + QStringLiteral("/sub")).toUtf8());
        Dialog d(c.settings());
        d.login.show();
        d.type(c.name, c.user, c.pass);
        const QString message = d.press();
        QVERIFY2(message.startsWith(QStringLiteral("Cannot create")), qPrintable(message));
        QCOMPARE(d.dm.glNumeFirma, QString());
        QVERIFY(d.login.result() != QDialog::Accepted);
    }

    void unreachableServerGivesDatabaseMessage()
    {
        InstallSettings s = ts::settings();
        s.registry.port = 1;   // nothing listens there
        Dialog d(s);
        d.login.show();
        d.type(QStringLiteral("X"), QStringLiteral("u"), QStringLiteral("p"));
        const QString message = d.press();
        QVERIFY2(message.contains(QStringLiteral("127.0.0.1")) || message.contains(QStringLiteral("refused")), qPrintable(message));
        QVERIFY(d.login.isVisible());
    }

    void registryRequiresSsl()
    {
        // The registry connection asks for SSL: the SSL cluster serves it,
        // a server without SSL refuses with the database's own message.
        ts::Company c;
        InstallSettings s = c.settings();
        s.registry.port = ts::plainPort();
        s.registry.database = QStringLiteral("tresk_mob");
        Dialog d(s);
        d.login.show();
        d.type(c.name, c.user, c.pass);
        const QString message = d.press();
        QVERIFY2(message.contains(QStringLiteral("SSL")), qPrintable(message));
    }

    void mainWindowStates()
    {
        ts::Company c;
        TdmCon dm(c.settings());
        TfrmLogin login(&dm);
        TfMenuNolvex menu;
        QWidget importWindow;
        menu.attach(&dm, &login, &importWindow);
        menu.show();
        auto *panelMenu = menu.findChild<QWidget *>("PanelMenu");
        auto *panelLogin = menu.findChild<QWidget *>("PanelLogin");
        QVERIFY(!panelMenu->isVisible());
        QCOMPARE(menu.findChild<QLabel *>("Label1")->text(), QStringLiteral("Nolvex v. 2026.04.28"));

        // Closing the dialog without logging in changes nothing.
        QTimer::singleShot(50, &login, [&] { login.reject(); });
        QTest::mouseClick(menu.findChild<QPushButton *>("ButtonLogin"), Qt::LeftButton);
        QVERIFY(!panelMenu->isVisible());
        QVERIFY(panelLogin->isVisible());

        // A user name with spaces and capitals is shown exactly as typed.
        TS_EXEC(c.company.db(), "insert into emitent (emitent, operator_parola, eu_punct_lucru) select ' Ion.POP ', operator_parola, 'PL2' from emitent");
        TS_EXEC(c.company.db(), "insert into aplicatie_mob_emitent (aplicatie_mob, emitent, rol) values (?, ' Ion.POP ', 'r')", {c.title});
        QTimer::singleShot(50, &login, [&] {
            login.findChild<QLineEdit *>("Edit1")->setText(c.name);
            login.findChild<QLineEdit *>("Edit2")->setText(QStringLiteral(" Ion.POP "));
            login.findChild<QLineEdit *>("Edit3")->setText(c.pass);
            QTest::mouseClick(login.findChild<QPushButton *>("Button1"), Qt::LeftButton);
        });
        QTest::mouseClick(menu.findChild<QPushButton *>("ButtonLogin"), Qt::LeftButton);
        QVERIFY(panelMenu->isVisible());
        QVERIFY(!panelLogin->isVisible());
        QCOMPARE(menu.findChild<QLabel *>("LabelUser")->text(), QStringLiteral("User  Ion.POP "));
        QCOMPARE(menu.findChild<QLabel *>("LabelDataBase")->text(), c.company.name());

        // The import window opens without blocking, the same one each time.
        QTest::mouseClick(menu.findChild<QPushButton *>("ButtonImportBonuriFiscale"), Qt::LeftButton);
        QVERIFY(importWindow.isVisible());
        importWindow.hide();
        QTest::mouseClick(menu.findChild<QPushButton *>("ButtonImportBonuriFiscale"), Qt::LeftButton);
        QVERIFY(importWindow.isVisible());
    }

    void escapedErrorShowsInErrorBox()
    {
        const QString shown = ts::errorOf([] { throw EAppError(QStringLiteral("Mesaj exact, cu \"ghilimele\"")); });
        QCOMPARE(shown, QStringLiteral("Mesaj exact, cu \"ghilimele\""));
    }

private:
    std::unique_ptr<ts::HomeDataFolder> m_home;
};

QTEST_MAIN(TestLogin)
#include "tst_login.moc"
