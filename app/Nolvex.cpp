#include "NolvexApplication.h"
#include "u_fMenuNolvex.h"

#include "baselinker/RequestLimiter.h"
#include "baselinker/u_fProc_Baselinker.h"
#include "data/InstallSettings.h"
#include "data/u_dmCon.h"
#include "invoices/u_fNolvex_ImportFactCI.h"
#include "login/u_frmLogin.h"

#include <QIcon>

int main(int argc, char *argv[])
{
    NolvexApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Nolvex"));
    QApplication::setApplicationDisplayName(QStringLiteral("Nolvex"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/nolvex.svg")));

    const InstallSettings settings = InstallSettings::load(InstallSettings::defaultIniPath());
    RequestLimiter::shared().setLimit(settings.requestsPerMinute, 60'000);

    // The program's objects, made once each in this order; all live until the end.
    TfMenuNolvex menu;
    fMenuNolvex = &menu;
    TdmCon dm(settings);
    dmCon = &dm;
    TfrmLogin login(&dm, &menu);
    frmLogin = &login;
    TfProc_Baselinker baselinker(&dm);
    fProc_Baselinker = &baselinker;
    TfNolvex_ImportFactCI importWindow(&dm, &baselinker);
    fNolvex_ImportFactCI = &importWindow;
    menu.attach(&dm, &login, &importWindow);
    // Closing the main window ends the program, whatever else is open.
    importWindow.setAttribute(Qt::WA_QuitOnClose, false);

    menu.show();
    const int rc = app.exec();
    return rc;
}
