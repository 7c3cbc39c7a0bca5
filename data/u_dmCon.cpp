#include "u_dmCon.h"

#include <QAtomicInt>

TdmCon *dmCon = nullptr;

// Each instance gets connection names of its own, so that several data
// modules (one per test, say) never share a session.
static QString uniqueName(const char *base)
{
    static QAtomicInt counter;
    return QStringLiteral("%1_%2").arg(QLatin1String(base)).arg(counter.fetchAndAddRelaxed(1));
}

TdmCon::TdmCon(const InstallSettings &settings, QObject *parent)
    : QObject(parent),
      conTresk(uniqueName("conTresk"), QStringLiteral("tresk1"), QStringLiteral("tresk")),
      conTreskMob(uniqueName("conTreskMob"), QStringLiteral("tresk_mob"), QStringLiteral("tresk")),
      dsEmitent(conTresk, QStringLiteral("select *\n"
                                         "from emitent\n"
                                         "where emitent = :pEmitent\n"
                                         "  and operator_parola = :pP ;")),
      dsAplicatieMob(conTresk, QStringLiteral("select *\n"
                                              "from aplicatie_mob\n"
                                              "where lower(aplicatie_mob) = lower(:pAplicatieMob)\n"
                                              "  and activ ;")),
      dsAplicatieMobEmitent(conTresk, QStringLiteral("select *\n"
                                                     "from aplicatie_mob_emitent\n"
                                                     "where emitent = :pEmitent\n"
                                                     "  and lower(aplicatie_mob) = lower(:pAplicatieMob) ;")),
      dsEu(conTresk, QStringLiteral("select *, REGEXP_REPLACE(cod_cci,'[^0-9]','','g') as cod_cci_num\n"
                                    "from eu ;")),
      m_settings(settings)
{
    setObjectName(QStringLiteral("dmCon"));
    conTresk.setServer(settings.company.host);
    conTresk.setPort(settings.company.port);
    conTresk.setPassword(settings.company.password);
    if (!settings.company.database.isEmpty())
        conTresk.setDatabase(settings.company.database);
    conTresk.setPassFile(settings.passFile);
    conTresk.setSslMode(QStringLiteral("require"));
    conTreskMob.setServer(settings.registry.host);
    conTreskMob.setPort(settings.registry.port);
    conTreskMob.setPassword(settings.registry.password);
    if (!settings.registry.database.isEmpty())
        conTreskMob.setDatabase(settings.registry.database);
    conTreskMob.setPassFile(settings.passFile);
    conTreskMob.setSslMode(QStringLiteral("require"));
}
