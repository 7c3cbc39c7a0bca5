#include "u_frmLogin.h"
#include "ui_u_frmLogin.h"

#include "app/NolvexApplication.h"
#include "data/EAppError.h"
#include "data/u_dmCon.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFileInfo>
#include <QScopeGuard>
#include <QTimer>

TfrmLogin *frmLogin = nullptr;

TfrmLogin::TfrmLogin(TdmCon *dm, QWidget *parent)
    : QDialog(parent),
      dsTreskMobil(dm->conTreskMob, QStringLiteral("select *\n"
                                                   "from m_firma\n"
                                                   "where nume_firma = :pNumeFirma ;")),
      ui(std::make_unique<Ui::TfrmLogin>()),
      m_dm(dm)
{
    ui->setupUi(this);
    ui->Edit3->setStyleSheet(QStringLiteral("lineedit-password-character: 42;"));
    // The entries track the remembered-login record as they are typed.
    connect(ui->Edit1, &QLineEdit::textChanged, this, [this](const QString &t) { dsLogin.company = t; });
    connect(ui->Edit2, &QLineEdit::textChanged, this, [this](const QString &t) { dsLogin.username = t; });
    connectHandler(ui->Button1, this, &TfrmLogin::Button1Click);
}

TfrmLogin::~TfrmLogin() = default;

QString TfrmLogin::applicationTitle(const QString &executablePath)
{
    QString name = QFileInfo(executablePath).fileName();
    const int dot = name.indexOf(QLatin1Char('.'));
    if (dot >= 0)
        name.truncate(dot);
    if (name.isEmpty())
        return name;
    return name.left(1) + name.mid(1).toLower();
}

QString TfrmLogin::sha256Hex(const QString &text)
{
    return QString::fromLatin1(QCryptographicHash::hash(text.toUtf8(), QCryptographicHash::Sha256).toHex());
}

void TfrmLogin::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    ui->Edit3->setFocus();
    NolvexApplication::runHandler([this] { FormShow(); });
}

void TfrmLogin::FormShow()
{
    // Entries typed so far stay as they are when the file cannot be read.
    const RememberedLogin loaded = RememberedLogin::load(RememberedLogin::filePath());
    ui->Edit1->setText(loaded.company);
    ui->Edit2->setText(loaded.username);
}

void TfrmLogin::rememberEntries()
{
    dsLogin.company = ui->Edit1->text();
    dsLogin.username = ui->Edit2->text();
    dsLogin.save(RememberedLogin::filePath());
}

void TfrmLogin::checkApplicationRights(const QString &title)
{
    m_dm->dsAplicatieMob.close();
    m_dm->dsAplicatieMob.setParam(QStringLiteral("pAplicatieMob"), title);
    m_dm->dsAplicatieMob.open();
    if (m_dm->dsAplicatieMob.isEmpty())
        throw EAppError(QStringLiteral("Aplicatia ") + title + QStringLiteral(" nu este inregistrata"));

    m_dm->dsAplicatieMobEmitent.close();
    m_dm->dsAplicatieMobEmitent.setParam(QStringLiteral("pEmitent"), ui->Edit2->text());
    m_dm->dsAplicatieMobEmitent.setParam(QStringLiteral("pAplicatieMob"), title);
    m_dm->dsAplicatieMobEmitent.open();
    if (m_dm->dsAplicatieMobEmitent.isEmpty())
        throw EAppError(QStringLiteral("User fara drept pe aplicatia ") + title);
}

void TfrmLogin::fillSession()
{
    m_dm->glUser = ui->Edit2->text();
    m_dm->glUserPass = ui->Edit3->text();
    m_dm->glDataBase = dsTreskMobil.field(QStringLiteral("db_name")).toString();
    m_dm->glUserRol = m_dm->dsAplicatieMobEmitent.field(QStringLiteral("rol")).toString();
    m_dm->glEuPL = m_dm->dsEmitent.field(QStringLiteral("eu_punct_lucru")).toString();
    m_dm->dsEu.refresh();
    m_dm->glJasIP = m_dm->dsEu.field(QStringLiteral("jas_ip")).toString();
    m_dm->glJasProtocol = m_dm->glJasIP.contains(QStringLiteral("8080")) ? QStringLiteral("http")
                                                                         : QStringLiteral("https");
}

void TfrmLogin::Button1Click()
{
    rememberEntries();
    m_dm->glNumeFirma = ui->Edit1->text();
    m_dm->conTreskMob.setSslMode(QStringLiteral("require"));

    dsTreskMobil.close();
    dsTreskMobil.setParam(QStringLiteral("pNumeFirma"), ui->Edit1->text());
    dsTreskMobil.open();
    const auto guard = qScopeGuard([this] {
        m_dm->dsAplicatieMob.close();
        m_dm->dsEmitent.close();
        dsTreskMobil.close();
    });
    if (dsTreskMobil.isEmpty())
        throw EAppError(QStringLiteral("Companie inexistenta"));

    m_dm->conTresk.setServer(dsTreskMobil.field(QStringLiteral("ip")).toString());
    m_dm->conTresk.setPort(dsTreskMobil.field(QStringLiteral("port")).toInt());
    m_dm->conTresk.setDatabase(dsTreskMobil.field(QStringLiteral("db_name")).toString());
    m_dm->conTresk.setSslMode(QStringLiteral("prefer"));

    m_dm->dsEmitent.close();
    m_dm->dsEmitent.setParam(QStringLiteral("pEmitent"), ui->Edit2->text());
    const bool hashed = dsTreskMobil.field(QStringLiteral("pw_hash_type")).toString() == QStringLiteral("HashSHA2");
    m_dm->dsEmitent.setParam(QStringLiteral("pP"), hashed ? sha256Hex(ui->Edit3->text()) : ui->Edit3->text());
    m_dm->dsEmitent.open();
    if (m_dm->dsEmitent.isEmpty())
        throw EAppError(QStringLiteral("User, Password eronate"));

    checkApplicationRights(applicationTitle(QCoreApplication::applicationFilePath()));
    fillSession();

    ui->Edit3->clear();
    accept();
}
