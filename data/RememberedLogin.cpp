#include "RememberedLogin.h"

#include "AtomicFile.h"
#include "EAppError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>

QString homeDataFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
}

QString RememberedLogin::filePath()
{
    return QDir(homeDataFolder()).filePath(QStringLiteral("TreskVelun.json"));
}

RememberedLogin RememberedLogin::load(const QString &path)
{
    RememberedLogin entries;
    if (!QFileInfo::exists(path))
        return entries;
    const QString shown = QDir::toNativeSeparators(path);
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw EAppError(QStringLiteral("Cannot open file %1. %2").arg(shown, file.errorString()));
    const QByteArray bytes = file.read(64 * 1024);
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(bytes, &parseError);
    if (parseError.error != QJsonParseError::NoError || !doc.isObject())
        throw EAppError(QStringLiteral("File %1 is not a remembered login: it is not a JSON object.").arg(shown));
    const QJsonObject o = doc.object();
    const QJsonValue company = o.value(QStringLiteral("company"));
    const QJsonValue username = o.value(QStringLiteral("username"));
    if ((!company.isUndefined() && !company.isString()) || (!username.isUndefined() && !username.isString()))
        throw EAppError(QStringLiteral("File %1 is not a remembered login: company and username must be texts.").arg(shown));
    entries.company = company.toString().left(maxLength);
    entries.username = username.toString().left(maxLength);
    return entries;
}

void RememberedLogin::save(const QString &path) const
{
    QJsonObject o;
    o.insert(QStringLiteral("company"), company.left(maxLength));
    o.insert(QStringLiteral("username"), username.left(maxLength));
    writeFileAtomically(path, QJsonDocument(o).toJson(QJsonDocument::Indented));
}
