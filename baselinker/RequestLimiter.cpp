#include "RequestLimiter.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

static qint64 monotonicMs()
{
    static QElapsedTimer timer = [] { QElapsedTimer t; t.start(); return t; }();
    return timer.elapsed();
}

static void waitRepainting(qint64 ms)
{
    QEventLoop loop;
    QTimer::singleShot(int(ms), &loop, &QEventLoop::quit);
    loop.exec(QEventLoop::ExcludeUserInputEvents);
}

RequestLimiter::RequestLimiter(int maxRequests, qint64 windowMs, Clock clock, Wait wait)
    : m_max(maxRequests), m_windowMs(windowMs),
      m_clock(clock ? std::move(clock) : Clock(monotonicMs)),
      m_wait(wait ? std::move(wait) : Wait(waitRepainting))
{
}

void RequestLimiter::setLimit(int maxRequests, qint64 windowMs)
{
    m_max = maxRequests;
    m_windowMs = windowMs;
}

void RequestLimiter::acquire()
{
    if (m_max <= 0)
        return;
    for (;;) {
        const qint64 now = m_clock();
        while (!m_sent.empty() && m_sent.front() <= now - m_windowMs)
            m_sent.pop_front();
        if (int(m_sent.size()) < m_max) {
            m_sent.push_back(now);
            return;
        }
        m_wait(m_sent.front() + m_windowMs - now + 1);
    }
}

RequestLimiter &RequestLimiter::shared()
{
    static RequestLimiter limiter(100, 60'000);
    return limiter;
}
