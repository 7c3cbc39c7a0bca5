#pragma once

#include "GridStyleSheet.h"
#include "InstallSettings.h"
#include "PgConnection.h"
#include "TPgQuery.h"

#include <QObject>
#include <QString>

// The shared store: both database connections, the login queries, the grid's
// style sheet and the session state filled by the login.
class TdmCon : public QObject
{
    Q_OBJECT
public:
    explicit TdmCon(const InstallSettings &settings, QObject *parent = nullptr);

    PgConnection conTresk;      // company database
    PgConnection conTreskMob;   // company registry

    TPgQuery dsEmitent;
    TPgQuery dsAplicatieMob;
    TPgQuery dsAplicatieMobEmitent;
    TPgQuery dsEu;

    GridStyleSheet GridTableViewStyleSheetDevExpress;

    QString glNumeFirma;
    QString glUser;
    QString glUserPass;
    QString glDataBase;
    QString glUserRol;
    QString glEuPL;
    QString glJasIP;
    QString glJasProtocol;

    const InstallSettings &settings() const { return m_settings; }

private:
    InstallSettings m_settings;
};

extern TdmCon *dmCon;
