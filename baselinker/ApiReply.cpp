#include "ApiReply.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>

bool EBaseLinkerError::tokenBlocked() const
{
    return m_errorCode == QLatin1String("ERROR_BLOCKED_TOKEN")
        || m_errorCode == QLatin1String("ERROR_USER_ACCOUNT_BLOCKED");
}

QString replyText(const HttpResult &result)
{
    return QString::fromUtf8(result.body);
}

QJsonObject checkReply(const QString &op, const HttpResult &result)
{
    if (result.status == 0)
        throw EAppError(result.transportError);
    if (result.status >= 500)
        throw EAppError(result.statusLine);
    if (result.status != 200)
        throw EAppError(QStringLiteral("(") + op + QStringLiteral(") EROARE! StatusCode = ")
                        + QString::number(result.status) + QStringLiteral(", Content = ") + replyText(result));
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(result.body, &error);
    if (error.error != QJsonParseError::NoError || doc.isNull())
        throw EAppError(QStringLiteral("(") + op + QStringLiteral(") Eroare la parsare Json"));
    if (!doc.isObject())
        throw EAppError(QStringLiteral("Invalid class typecast"));
    return doc.object();
}

void requireSuccess(const QString &op, const QJsonObject &reply, const HttpResult &result)
{
    const QJsonValue status = reply.value(QStringLiteral("status"));
    if (status.isString() && status.toString() == QLatin1String("SUCCESS"))
        return;
    throw EBaseLinkerError(QStringLiteral("(") + op + QStringLiteral(") EROARE! Content = ") + replyText(result),
                           reply.value(QStringLiteral("error_code")).toString());
}

QString requireDigits(const QString &op, const QString &name, const QString &value)
{
    bool ok = !value.isEmpty() && value.size() <= 20;
    for (const QChar c : value)
        ok = ok && c >= QLatin1Char('0') && c <= QLatin1Char('9');
    if (!ok)
        throw EAppError(QStringLiteral("(") + op + QStringLiteral(") ") + name
                        + QStringLiteral(" nu este un numar: \"") + value.left(100) + QStringLiteral("\""));
    return value;
}

qint64 jsonId(const QJsonValue &value)
{
    if (value.isDouble())
        return qint64(value.toDouble());
    if (value.isString()) {
        bool ok = false;
        const qint64 id = value.toString().toLongLong(&ok);
        return ok ? id : -1;
    }
    return -1;
}
