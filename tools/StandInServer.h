#pragma once

#include "StandInData.h"

#include <QByteArray>
#include <QString>

#include <deque>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace httplib { class Server; }

// A loopback HTTP server that answers like BaseLinker's connector: POST with
// the form fields method and parameters and the X-BLToken header. It can be
// told to misbehave on a chosen call, and to enforce a request limit.
class StandInServer
{
public:
    enum class Fault { None, Status, Html, JsonArray, Truncated, Delay, Error, BlockedToken, InvalidUtf8, Huge, Deep };
    struct FaultRule
    {
        QString method;      // "getInvoices" or "getOrders" (any getOrders call, by id or paged)
        int nth = 0;         // 1-based call of that method; 0 for every call
        Fault fault = Fault::None;
        int status = 500;
        QString reason = QStringLiteral("Internal Server Error");
        int delayMs = 0;
    };
    struct Request { QString method; QString parameters; QString token; };

    explicit StandInServer(StandInData data = {}, QString token = QStringLiteral("demo-token"));
    ~StandInServer();

    // Binds 127.0.0.1 (port 0 picks a free one) and serves on a thread of its own.
    int start(int port = 0);
    void stop();
    QString url() const;
    int port() const { return m_port; }

    void setData(StandInData data);
    void addFault(const FaultRule &rule);
    void clearFaults();
    // At most maxRequests in any windowMs per token; past it the token is
    // blocked for blockMs. 0 switches the limit off.
    void setRateLimit(int maxRequests, int windowMs, int blockMs = 60'000);
    bool wasBlocked() const;
    std::vector<Request> requests() const;
    int callCount(const QString &method) const;
    void clearRequests();

private:
    struct Reply { int status = 200; QString reason; QByteArray body; QByteArray contentType = "application/json"; int delayMs = 0; bool truncate = false; };
    Reply handle(const QString &method, const QString &parameters, const QString &token);
    Reply apiReply(const QString &method, const QJsonObject &params) const;

    mutable std::mutex m_mutex;
    StandInData m_data;
    QString m_token;
    std::vector<FaultRule> m_faults;
    std::vector<Request> m_requests;
    int m_limit = 0, m_windowMs = 60'000, m_blockMs = 60'000;
    std::deque<qint64> m_sent;
    qint64 m_blockedUntil = 0;
    bool m_wasBlocked = false;
    std::unique_ptr<httplib::Server> m_server;
    std::thread m_thread;
    int m_port = 0;
};
