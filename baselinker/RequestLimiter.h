#pragma once

#include <QtGlobal>

#include <deque>
#include <functional>

// Keeps the calls of the whole process within BaseLinker's request limit: no
// more than maxRequests in any window. acquire() waits (repainting, taking no
// input) until a request may go. The clock and the wait are replaceable.
class RequestLimiter
{
public:
    using Clock = std::function<qint64()>;          // milliseconds, monotonic
    using Wait = std::function<void(qint64 ms)>;

    RequestLimiter(int maxRequests, qint64 windowMs, Clock clock = {}, Wait wait = {});

    void setLimit(int maxRequests, qint64 windowMs);
    int maxRequests() const { return m_max; }
    qint64 windowMs() const { return m_windowMs; }
    void acquire();

    // The limiter that every BaseLinker call of the process goes through.
    static RequestLimiter &shared();

private:
    int m_max;
    qint64 m_windowMs;
    Clock m_clock;
    Wait m_wait;
    std::deque<qint64> m_sent;
};
