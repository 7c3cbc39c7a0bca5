#include "InstallSettings.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

#ifndef NOLVEX_DEFAULT_COMPANY_HOST
#define NOLVEX_DEFAULT_COMPANY_HOST "localhost"
#endif
#ifndef NOLVEX_DEFAULT_REGISTRY_HOST
#define NOLVEX_DEFAULT_REGISTRY_HOST "localhost"
#endif

InstallSettings InstallSettings::builtIn()
{
    InstallSettings s;
    s.company.host = QStringLiteral(NOLVEX_DEFAULT_COMPANY_HOST);
    s.registry.host = QStringLiteral(NOLVEX_DEFAULT_REGISTRY_HOST);
    s.company.database = QStringLiteral("tresk1");
    s.registry.database = QStringLiteral("tresk_mob");
    return s;
}

static void readEndpoint(QSettings &ini, const QString &group, DbEndpoint &e)
{
    ini.beginGroup(group);
    e.host = ini.value(QStringLiteral("Host"), e.host).toString();
    e.port = ini.value(QStringLiteral("Port"), e.port).toInt();
    e.password = ini.value(QStringLiteral("Password"), e.password).toString();
    e.database = ini.value(QStringLiteral("Database"), e.database).toString();
    ini.endGroup();
}

InstallSettings InstallSettings::load(const QString &iniPath)
{
    InstallSettings s = builtIn();
    if (!QFileInfo::exists(iniPath))
        return s;
    QSettings ini(iniPath, QSettings::IniFormat);
    readEndpoint(ini, QStringLiteral("Company"), s.company);
    readEndpoint(ini, QStringLiteral("Registry"), s.registry);
    s.passFile = ini.value(QStringLiteral("Database/PassFile"), s.passFile).toString();
    s.requestsPerMinute = ini.value(QStringLiteral("BaseLinker/RequestsPerMinute"), s.requestsPerMinute).toInt();
    s.caCertificates = ini.value(QStringLiteral("BaseLinker/CaCertificates"), s.caCertificates).toString();
    return s;
}

QString InstallSettings::defaultIniPath()
{
    return QDir(QCoreApplication::applicationDirPath()).filePath(QStringLiteral("Nolvex.ini"));
}
