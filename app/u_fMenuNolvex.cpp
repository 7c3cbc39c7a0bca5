#include "u_fMenuNolvex.h"
#include "ui_u_fMenuNolvex.h"

#include "NolvexApplication.h"
#include "data/u_dmCon.h"
#include "login/u_frmLogin.h"

#include <QResizeEvent>

TfMenuNolvex *fMenuNolvex = nullptr;

TfMenuNolvex::TfMenuNolvex(QWidget *parent) : QWidget(parent), ui(std::make_unique<Ui::TfMenuNolvex>())
{
    ui->setupUi(this);
    const QString version = QStringLiteral("Nolvex v. ") + QStringLiteral(NOLVEX_VERSION);
    ui->Label1->setText(version);
    ui->Label2->setText(version);
    connectHandler(ui->ButtonLogin, this, &TfMenuNolvex::ButtonLoginClick);
    connectHandler(ui->ButtonImportBonuriFiscale, this, &TfMenuNolvex::ButtonImportBonuriFiscaleClick);
    FormCreate();
}

TfMenuNolvex::~TfMenuNolvex() = default;

void TfMenuNolvex::attach(TdmCon *dm, TfrmLogin *login, QWidget *importWindow)
{
    m_dm = dm;
    m_login = login;
    m_importWindow = importWindow;
}

void TfMenuNolvex::FormCreate()
{
    ui->PanelMenu->hide();
}

void TfMenuNolvex::ButtonLoginClick()
{
    if (m_login->exec() != QDialog::Accepted)
        return;
    ui->PanelLogin->hide();
    ui->PanelMenu->show();
    ui->LabelDataBase->setText(m_dm->glDataBase);
    ui->LabelUser->setText(QStringLiteral("User ") + m_dm->glUser);
}

void TfMenuNolvex::ButtonImportBonuriFiscaleClick()
{
    m_importWindow->show();
    m_importWindow->raise();
    m_importWindow->activateWindow();
}

void TfMenuNolvex::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    // The version labels keep their distance to the right edge; the line spans the panel.
    const int right = width() - (421 - 240);
    ui->Label1->move(right, ui->Label1->y());
    ui->Label2->move(right, ui->Label2->y());
    ui->Shape1->setGeometry(0, 44, width(), 1);
}
