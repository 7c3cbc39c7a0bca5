#include "AtomicFile.h"

#include "EAppError.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>

void writeFileAtomically(const QString &path, const QByteArray &content)
{
    const QFileInfo info(path);
    if (!QDir().mkpath(info.absolutePath()))
        throw EAppError(QStringLiteral("Cannot create folder %1").arg(QDir::toNativeSeparators(info.absolutePath())));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        throw EAppError(QStringLiteral("Cannot create file %1. %2").arg(QDir::toNativeSeparators(path), file.errorString()));
    file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (file.write(content) != content.size()) {
        const QString why = file.errorString();
        file.cancelWriting();
        throw EAppError(QStringLiteral("Cannot write file %1. %2").arg(QDir::toNativeSeparators(path), why));
    }
    if (!file.commit())
        throw EAppError(QStringLiteral("Cannot write file %1. %2").arg(QDir::toNativeSeparators(path), file.errorString()));
}
