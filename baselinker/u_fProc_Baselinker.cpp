#include "u_fProc_Baselinker.h"

#include "RequestLimiter.h"
#include "data/u_dmCon.h"

#include <QEventLoop>
#include <QFile>
#include <QJsonArray>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSqlQuery>
#include <QSslCertificate>
#include <QUrl>

TfProc_Baselinker *fProc_Baselinker = nullptr;

TfProc_Baselinker::TfProc_Baselinker(TdmCon *dm, QObject *parent)
    : QObject(parent),
      dsJsonDocDateMax(dm->conTresk, QStringLiteral("select max(json_doc_date) as json_doc_date_max\n"
                                                    "from log_baselinker_fact ;")),
      dsDataConfirmareMax(dm->conTresk, QStringLiteral("select max(data_confirmare_cmd_c) as data_confirmare_cmd_c_max\n"
                                                       "from log_baselinker ;")),
      m_dm(dm),
      m_ssl(QSslConfiguration::defaultConfiguration()),
      m_limiter(&RequestLimiter::shared())
{
    setObjectName(QStringLiteral("fProc_Baselinker"));
    m_nam.setRedirectPolicy(QNetworkRequest::NoLessSafeRedirectPolicy);
    if (!dm->settings().caCertificates.isEmpty())
        trustCertificates(dm->settings().caCertificates);
}

void TfProc_Baselinker::trustCertificates(const QString &pemFile)
{
    auto certificates = m_ssl.caCertificates();
    certificates += QSslCertificate::fromPath(pemFile, QSsl::Pem);
    m_ssl.setCaCertificates(certificates);
}

static QString statusLine(QNetworkReply *reply, int status)
{
    const bool http2 = reply->attribute(QNetworkRequest::Http2WasUsedAttribute).toBool();
    return (http2 ? QStringLiteral("HTTP/2.0 ") : QStringLiteral("HTTP/1.1 ")) + QString::number(status)
        + QLatin1Char(' ') + reply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
}

HttpResult TfProc_Baselinker::post(const QString &baseUrl, const QString &token, const QString &method,
                                   const QString &parameters)
{
    for (const QChar c : token) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            throw EAppError(QStringLiteral("Tokenul din config_baselinker contine caractere nepermise."));
    }
    m_limiter->acquire();

    QNetworkRequest request{QUrl(baseUrl)};
    request.setTransferTimeout(m_timeoutMs);
    request.setSslConfiguration(m_ssl);
    request.setRawHeader("X-BLToken", token.toUtf8());
    request.setHeader(QNetworkRequest::ContentTypeHeader, QByteArrayLiteral("application/x-www-form-urlencoded"));
    // The fields travel unencoded, as BaseLinker takes them; their values are
    // built by this client from digits and fixed texts only.
    const QByteArray body = "method=" + method.toUtf8() + "&parameters=" + parameters.toUtf8();

    QNetworkReply *reply = m_nam.post(request, body);
    bool tooLarge = false;
    connect(reply, &QNetworkReply::downloadProgress, reply, [reply, &tooLarge](qint64 received, qint64) {
        if (received > maxReplyBytes && !tooLarge) {
            tooLarge = true;
            reply->abort();
        }
    });
    QEventLoop loop;
    connect(reply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished())
        loop.exec(QEventLoop::ExcludeUserInputEvents);

    HttpResult result;
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (tooLarge) {
        result.transportError = QStringLiteral("Raspunsul BaseLinker depaseste %1 MB; nu a fost preluat.")
                                    .arg(maxReplyBytes / (1024 * 1024));
    } else if (reply->error() == QNetworkReply::OperationCanceledError) {
        // Only the transfer time-out cancels a call: no byte came in time.
        result.transportError = QStringLiteral("BaseLinker nu a raspuns in %1 secunde (%2).")
                                    .arg(m_timeoutMs / 1000.0).arg(QUrl(baseUrl).toDisplayString(QUrl::RemoveUserInfo));
    } else if (reply->error() == QNetworkReply::UnknownContentError) {
        result.transportError = QStringLiteral("Raspunsul BaseLinker nu a putut fi citit: ") + reply->errorString();
    } else if (status.isValid() && !(reply->error() > QNetworkReply::NoError && reply->error() < QNetworkReply::ContentAccessDenied)) {
        // An HTTP answer; network-level failures (a body cut short, say) fall through.
        result.status = status.toInt();
        result.statusLine = statusLine(reply, result.status);
        result.body = reply->readAll();
    } else {
        result.transportError = reply->errorString();
    }
    reply->deleteLater();
    return result;
}

QJsonObject TfProc_Baselinker::call(const QString &op, const QString &baseUrl, const QString &token,
                                    const QString &method, const QString &parameters, HttpResult &result)
{
    result = post(baseUrl, token, method, parameters);
    return checkReply(op, result);
}

// Hands one reply to a logging function; returns its count of new records.
int TfProc_Baselinker::logReply(const QString &callSql, const QString &pjson)
{
    QSqlQuery q = m_dm->conTresk.write(callSql, {pjson});
    return q.next() ? q.value(0).toInt() : 0;
}

// Pages through a list call. BaseLinker returns at most pageSize records a
// reply, so each next page asks from the largest id received plus one, with
// the starting time unchanged, until a reply brings fewer than pageSize.
// Every reply goes to the logging function unchanged, an ERROR reply included;
// an ERROR reply then ends the operation with its text.
void TfProc_Baselinker::pagedLog(const QString &op, const QString &method, const QString &firstParams,
                                 const QString &arrayName, const QString &idName,
                                 const std::function<QString(qint64)> &nextParams, const QString &baseUrl,
                                 const QString &token, const std::function<int(const QString &)> &logFunction)
{
    QString parameters = firstParams;
    qint64 lastIdFrom = -1;
    for (;;) {
        HttpResult result;
        const QJsonObject reply = call(op, baseUrl, token, method, parameters, result);
        logFunction(replyText(result));
        requireSuccess(op, reply, result);

        const QJsonArray records = reply.value(arrayName).toArray();
        if (records.size() < pageSize)
            return;
        qint64 maxId = -1;
        for (const QJsonValue &record : records)
            maxId = qMax(maxId, jsonId(record.toObject().value(idName)));
        if (maxId < 0 || maxId + 1 <= lastIdFrom)
            throw EAppError(QStringLiteral("(") + op + QStringLiteral(") Raspunsul BaseLinker nu avanseaza: ")
                            + idName + QStringLiteral(" lipsa sau repetat."));
        lastIdFrom = maxId + 1;
        parameters = nextParams(lastIdFrom);
    }
}

void TfProc_Baselinker::getInvoices(const QString &pDataFrom, const QString &pBaseUrl, const QString &pToken)
{
    const QString op = QStringLiteral("getInvoices");
    const QString from = requireDigits(op, QStringLiteral("date_from"), pDataFrom);
    pagedLog(
        op, QStringLiteral("getInvoices"),
        QStringLiteral("{\"date_from\": ") + from + QStringLiteral(",\"get_external_invoices\": false}"),
        QStringLiteral("invoices"), QStringLiteral("invoice_id"),
        [&](qint64 idFrom) {
            return QStringLiteral("{\"date_from\": ") + from + QStringLiteral(",\"id_from\": ")
                + QString::number(idFrom) + QStringLiteral(",\"get_external_invoices\": false}");
        },
        pBaseUrl, pToken, [this](const QString &json) {
            return logReply(QStringLiteral("SELECT o_baselinker_fact_log_ins(:pjson) as pnrfactinslog"), json);
        });
}

void TfProc_Baselinker::getOrders(const QString &pDataConfirmare, const QString &pBaseUrl, const QString &pToken)
{
    const QString op = QStringLiteral("getOrders");
    const QString from = requireDigits(op, QStringLiteral("date_confirmed_from"), pDataConfirmare);
    pagedLog(
        op, QStringLiteral("getOrders"),
        QStringLiteral("{\"date_confirmed_from\": ") + from
            + QStringLiteral(",\"get_unconfirmed_orders\": false,\"include_custom_extra_fields\": true}"),
        QStringLiteral("orders"), QStringLiteral("order_id"),
        [&](qint64 idFrom) {
            return QStringLiteral("{\"date_confirmed_from\": ") + from + QStringLiteral(",\"id_from\": ")
                + QString::number(idFrom)
                + QStringLiteral(",\"get_unconfirmed_orders\": false,\"include_custom_extra_fields\": true}");
        },
        pBaseUrl, pToken, [this](const QString &json) {
            return logReply(QStringLiteral("SELECT o_baselinker_log_ins(:pjson) as pnrcmdins"), json);
        });
    emit informationMessage(QStringLiteral("Sfarsit preluare comenzi"));
}

void TfProc_Baselinker::getOrder(const QString &pOrderId, const QString &pBaseUrl, const QString &pToken,
                                 QString &pJsonCmdc)
{
    const QString op = QStringLiteral("getOrder");
    pJsonCmdc.clear();
    const QString orderId = requireDigits(op, QStringLiteral("order_id"), pOrderId);
    HttpResult result;
    const QJsonObject reply = call(op, pBaseUrl, pToken, QStringLiteral("getOrders"),
                                   QStringLiteral("{\"order_id\": ") + orderId
                                       + QStringLiteral(", \"include_custom_extra_fields\": true}"),
                                   result);
    requireSuccess(op, reply, result);
    pJsonCmdc = replyText(result);
}
