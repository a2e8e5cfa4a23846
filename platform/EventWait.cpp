#include "platform/EventWait.h"

#include <QDeadlineTimer>
#include <QEventLoop>
#include <QTimer>

bool WaitUntil(const std::function<WaitStep()>& step, int timeoutMs)
{
    WaitStep state = step();
    if (state != WaitStep::KeepWaiting)
        return state == WaitStep::Done;
    const QDeadlineTimer deadline(timeoutMs);
    QEventLoop loop;
    QTimer poll;
    poll.setInterval(5);
    QObject::connect(&poll, &QTimer::timeout, &loop, [&] {
        state = step();
        if (state != WaitStep::KeepWaiting || deadline.hasExpired())
            loop.quit();
    });
    poll.start();
    loop.exec(QEventLoop::ExcludeUserInputEvents);
    return state == WaitStep::Done;
}
