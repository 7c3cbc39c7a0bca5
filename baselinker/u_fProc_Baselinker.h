#pragma once

#include "ApiReply.h"
#include "data/TPgQuery.h"

#include <QNetworkAccessManager>
#include <QObject>
#include <QSslConfiguration>

class TdmCon;
class RequestLimiter;

// Everything that talks to the BaseLinker API: invoices and orders taken over
// page by page into the company database's log, and one order by its id.
// Calls are synchronous; while one waits the windows repaint but take no input.
class TfProc_Baselinker : public QObject
{
    Q_OBJECT
public:
    explicit TfProc_Baselinker(TdmCon *dm, QObject *parent = nullptr);

    static constexpr int pageSize = 100;
    static constexpr qint64 maxReplyBytes = 32 * 1024 * 1024;

    void getInvoices(const QString &pDataFrom, const QString &pBaseUrl, const QString &pToken);
    void getOrders(const QString &pDataConfirmare, const QString &pBaseUrl, const QString &pToken);
    void getOrder(const QString &pOrderId, const QString &pBaseUrl, const QString &pToken, QString &pJsonCmdc);

    TPgQuery dsJsonDocDateMax;
    TPgQuery dsDataConfirmareMax;

    // Connect and read time-out of each call, 30 s unless changed.
    void setTimeoutMs(int ms) { m_timeoutMs = ms; }
    void setLimiter(RequestLimiter *limiter) { m_limiter = limiter; }
    // Certificates trusted for the endpoint besides the system's own (PEM file).
    void trustCertificates(const QString &pemFile);

signals:
    // "Sfarsit preluare comenzi" at the end of getOrders.
    void informationMessage(const QString &text);

private:
    HttpResult post(const QString &baseUrl, const QString &token, const QString &method, const QString &parameters);
    QJsonObject call(const QString &op, const QString &baseUrl, const QString &token, const QString &method,
                     const QString &parameters, HttpResult &result);
    int logReply(const QString &callSql, const QString &pjson);
    void pagedLog(const QString &op, const QString &method, const QString &firstParams, const QString &arrayName,
                  const QString &idName, const std::function<QString(qint64)> &nextParams, const QString &baseUrl,
                  const QString &token, const std::function<int(const QString &)> &logFunction);

    TdmCon *m_dm;
    QNetworkAccessManager m_nam;
    QSslConfiguration m_ssl;
    RequestLimiter *m_limiter;
    int m_timeoutMs = 30'000;
};

extern TfProc_Baselinker *fProc_Baselinker;
