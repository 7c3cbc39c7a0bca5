#pragma once

#include "data/EAppError.h"

#include <QByteArray>
#include <QJsonObject>
#include <QString>

// What came back from one HTTP call.
struct HttpResult
{
    int status = 0;              // 0 when no HTTP answer came at all
    QString statusLine;          // e.g. "HTTP/1.1 502 Bad Gateway"
    QByteArray body;
    QString transportError;      // set when status is 0
};

// An ERROR status reported by BaseLinker inside a well-formed reply.
class EBaseLinkerError : public EAppError
{
public:
    EBaseLinkerError(const QString &message, QString errorCode)
        : EAppError(message), m_errorCode(std::move(errorCode)) {}
    const QString &errorCode() const { return m_errorCode; }
    // The token (or account) is blocked: further calls only prolong the block.
    bool tokenBlocked() const;

private:
    QString m_errorCode;
};

// The reply's body as text: UTF-8 unless declared otherwise.
QString replyText(const HttpResult &result);
// Checks status, JSON and object shape of a reply; raises the texts the
// operator knows ("(op) EROARE! StatusCode = …", "(op) Eroare la parsare Json",
// "Invalid class typecast") and returns the reply object.
QJsonObject checkReply(const QString &op, const HttpResult &result);
// Raises "(op) EROARE! Content = " + body unless the reply's status is "SUCCESS".
void requireSuccess(const QString &op, const QJsonObject &reply, const HttpResult &result);
// A value sent to BaseLinker inside the request's JSON: decimal digits only.
QString requireDigits(const QString &op, const QString &name, const QString &value);
// An id that BaseLinker sends either as a number or as a text; -1 when neither.
qint64 jsonId(const QJsonValue &value);
