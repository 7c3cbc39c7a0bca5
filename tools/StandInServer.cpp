#include "StandInServer.h"

#include <httplib.h>

#include <QDateTime>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>

static qint64 nowMs()
{
    static QElapsedTimer t = [] { QElapsedTimer e; e.start(); return e; }();
    return t.elapsed();
}

static QByteArray json(const QJsonObject &o) { return QJsonDocument(o).toJson(QJsonDocument::Compact); }

static QByteArray errorBody(const char *code, const QString &message)
{
    return json(QJsonObject{{"status", "ERROR"}, {"error_code", code}, {"error_message", message}});
}

// Letters that do not compress, so that the size reaches the client as it is.
static QByteArray noise(qsizetype size)
{
    QByteArray b(size, Qt::Uninitialized);
    quint32 x = 2463534242u;
    for (qsizetype i = 0; i < size; ++i) {
        x ^= x << 13; x ^= x >> 17; x ^= x << 5;
        b[i] = char('a' + x % 26);
    }
    return b;
}

static qint64 idOf(const QJsonValue &v) { return v.isString() ? v.toString().toLongLong() : qint64(v.toDouble()); }

StandInServer::StandInServer(StandInData data, QString token) : m_data(std::move(data)), m_token(std::move(token)) {}

StandInServer::~StandInServer() { stop(); }

int StandInServer::start(int port)
{
    m_server = std::make_unique<httplib::Server>();
    m_server->Post(R"(/.*)", [this](const httplib::Request &req, httplib::Response &res) {
        const Reply r = handle(QString::fromStdString(req.get_param_value("method")),
                               QString::fromStdString(req.get_param_value("parameters")),
                               QString::fromStdString(req.get_header_value("X-BLToken")));
        if (r.delayMs > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(r.delayMs));
        res.status = r.status;
        if (!r.reason.isEmpty())
            res.reason = r.reason.toStdString();
        if (r.truncate) {
            // Promise more than is sent, then close: a body cut short.
            const std::string body = r.body.toStdString();
            res.set_header("Content-Type", r.contentType.toStdString());
            res.set_content_provider(body.size() * 2, r.contentType.toStdString(),
                                     [body](size_t offset, size_t, httplib::DataSink &sink) {
                                         if (offset == 0) {
                                             sink.write(body.data(), body.size());
                                             return true;
                                         }
                                         return false;
                                     });
            return;
        }
        res.set_content(r.body.toStdString(), r.contentType.toStdString());
    });
    m_port = port == 0 ? m_server->bind_to_any_port("127.0.0.1") : (m_server->bind_to_port("127.0.0.1", port) ? port : -1);
    if (m_port <= 0)
        return -1;
    m_thread = std::thread([this] { m_server->listen_after_bind(); });
    while (!m_server->is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return m_port;
}

void StandInServer::stop()
{
    if (m_server)
        m_server->stop();
    if (m_thread.joinable())
        m_thread.join();
    m_server.reset();
}

QString StandInServer::url() const { return QStringLiteral("http://127.0.0.1:%1/connector.php").arg(m_port); }

void StandInServer::setData(StandInData data) { std::lock_guard l(m_mutex); m_data = std::move(data); }
void StandInServer::addFault(const FaultRule &rule) { std::lock_guard l(m_mutex); m_faults.push_back(rule); }
void StandInServer::clearFaults() { std::lock_guard l(m_mutex); m_faults.clear(); }
void StandInServer::setRateLimit(int maxRequests, int windowMs, int blockMs)
{
    std::lock_guard l(m_mutex);
    m_limit = maxRequests;
    m_windowMs = windowMs;
    m_blockMs = blockMs;
    m_sent.clear();
}
bool StandInServer::wasBlocked() const { std::lock_guard l(m_mutex); return m_wasBlocked; }
std::vector<StandInServer::Request> StandInServer::requests() const { std::lock_guard l(m_mutex); return m_requests; }
void StandInServer::clearRequests() { std::lock_guard l(m_mutex); m_requests.clear(); }

int StandInServer::callCount(const QString &method) const
{
    std::lock_guard l(m_mutex);
    return int(std::count_if(m_requests.begin(), m_requests.end(), [&](const Request &r) { return r.method == method; }));
}

StandInServer::Reply StandInServer::handle(const QString &method, const QString &parameters, const QString &token)
{
    std::lock_guard l(m_mutex);
    m_requests.push_back({method, parameters, token});
    Reply r;
    if (m_limit > 0) {
        const qint64 now = nowMs();
        while (!m_sent.empty() && m_sent.front() <= now - m_windowMs)
            m_sent.pop_front();
        m_sent.push_back(now);
        if (now < m_blockedUntil || int(m_sent.size()) > m_limit) {
            if (now >= m_blockedUntil)
                m_blockedUntil = now + m_blockMs;
            m_wasBlocked = true;
            r.body = errorBody("ERROR_BLOCKED_TOKEN", QStringLiteral("Query limit exceeded, token blocked until %1")
                                   .arg(QDateTime::currentDateTime().addMSecs(m_blockedUntil - now).toString("yyyy-MM-dd HH:mm:ss")));
            return r;
        }
    }
    const int nth = int(std::count_if(m_requests.begin(), m_requests.end(), [&](const Request &q) { return q.method == method; }));
    for (const FaultRule &rule : m_faults) {
        if (rule.method != method || (rule.nth != 0 && rule.nth != nth))
            continue;
        switch (rule.fault) {
        case Fault::None: break;
        case Fault::Status: r.status = rule.status; r.reason = rule.reason; r.body = "<html><body>" + rule.reason.toUtf8() + "</body></html>"; r.contentType = "text/html"; return r;
        case Fault::Html: r.body = "<!DOCTYPE html><html><head><title>502</title></head><body>Bad gateway</body></html>"; r.contentType = "text/html"; return r;
        case Fault::JsonArray: r.body = "[{\"status\":\"SUCCESS\"}]"; return r;
        case Fault::Truncated: r = apiReply(method, QJsonDocument::fromJson(m_requests.back().parameters.toUtf8()).object()); r.body.truncate(r.body.size() / 2); r.truncate = true; return r;
        case Fault::Delay: r = apiReply(method, QJsonDocument::fromJson(m_requests.back().parameters.toUtf8()).object()); r.delayMs = rule.delayMs; return r;
        case Fault::Error: r.body = errorBody("ERROR_UNKNOWN", QStringLiteral("Internal error, try again later")); return r;
        case Fault::BlockedToken: r.body = errorBody("ERROR_BLOCKED_TOKEN", QStringLiteral("Query limit exceeded, token blocked until 2026-12-11 17:15:34")); return r;
        case Fault::InvalidUtf8: r.body = "{\"status\":\"SUCCESS\",\"orders\":[{\"order_id\":1,\"admin_comments\":\"\xC3\x28\xFF\"}]}"; return r;
        case Fault::Huge: r.body = "{\"status\":\"SUCCESS\",\"pad\":\"" + noise(50 * 1024 * 1024) + "\"}"; return r;
        case Fault::Deep: r.body = QByteArray(100000, '[') + QByteArray(100000, ']'); return r;
        }
    }
    if (token != m_token) {
        r.body = errorBody("ERROR_BAD_TOKEN", QStringLiteral("Invalid user token"));
        return r;
    }
    QJsonParseError pe;
    const QJsonDocument params = QJsonDocument::fromJson(parameters.toUtf8(), &pe);
    if (pe.error != QJsonParseError::NoError || !params.isObject()) {
        r.body = errorBody("ERROR_PARAMETERS", QStringLiteral("Invalid JSON in parameters"));
        return r;
    }
    return apiReply(method, params.object());
}

StandInServer::Reply StandInServer::apiReply(const QString &method, const QJsonObject &p) const
{
    Reply r;
    constexpr int pageSize = 100;
    if (method == QLatin1String("getInvoices")) {
        const qint64 dateFrom = p.contains("date_from") ? idOf(p["date_from"]) : 0;
        const qint64 idFrom = p.contains("id_from") ? idOf(p["id_from"]) : 0;
        const qint64 onlyId = p.contains("invoice_id") ? idOf(p["invoice_id"]) : -1;
        QJsonArray out;
        for (const QJsonObject &inv : m_data.invoices) {
            if (out.size() >= pageSize)
                break;
            const qint64 id = idOf(inv["invoice_id"]);
            if (id < idFrom || idOf(inv["date_add"]) < dateFrom || (onlyId >= 0 && id != onlyId))
                continue;
            if (p["get_external_invoices"].isBool() && !p["get_external_invoices"].toBool()
                && !inv["external_invoice_number"].toString().isEmpty())
                continue;
            out.append(inv);
        }
        r.body = json(QJsonObject{{"status", "SUCCESS"}, {"invoices", out}});
        return r;
    }
    if (method == QLatin1String("getOrders")) {
        QJsonArray out;
        if (p.contains("order_id")) {
            for (const QJsonObject &o : m_data.orders.value(idOf(p["order_id"])))
                out.append(o);
        } else {
            const qint64 from = p.contains("date_confirmed_from") ? idOf(p["date_confirmed_from"]) : 0;
            const qint64 idFrom = p.contains("id_from") ? idOf(p["id_from"]) : 0;
            for (auto it = m_data.orders.begin(); it != m_data.orders.end() && out.size() < pageSize; ++it) {
                const QJsonObject &o = it.value().first();
                if (it.key() >= idFrom && idOf(o["date_confirmed"]) >= from)
                    out.append(o);
            }
        }
        r.body = json(QJsonObject{{"status", "SUCCESS"}, {"orders", out}});
        return r;
    }
    r.body = errorBody("ERROR_UNKNOWN_METHOD", QStringLiteral("An unknown method was called"));
    return r;
}
