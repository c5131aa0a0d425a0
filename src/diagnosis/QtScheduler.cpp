#include "diagnosis/QtScheduler.h"

#include <QMetaObject>
#include <QPointer>
#include <QThread>
#include <QTimer>

namespace kw::diagnosis {

QtScheduler::QtScheduler()
{
    // Probe calls block for up to several seconds; a few threads keep a slow one from stalling the poll.
    m_pool.setMaxThreadCount(4);
}

QtScheduler::~QtScheduler()
{
    // Background work must not outlive the scheduler it reports back to.
    m_pool.waitForDone();
}

Scheduler::Clock::time_point QtScheduler::now() const { return Clock::now(); }

Scheduler::TimerId QtScheduler::postDelayed(std::chrono::nanoseconds delay, std::function<void()> fn)
{
    const TimerId id = m_nextId++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(true);
    timer->setTimerType(Qt::PreciseTimer);
    // Round up: a wait is at least as long as asked.
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(delay);
    timer->setInterval(ms);
    connect(timer, &QTimer::timeout, this, [this, id, timer, fn = std::move(fn)] {
        m_timers.erase(id);
        timer->deleteLater();
        fn();
    });
    m_timers.emplace(id, timer);
    timer->start();
    return id;
}

void QtScheduler::cancelTimer(TimerId id)
{
    auto it = m_timers.find(id);
    if (it == m_timers.end())
        return;
    it->second->stop();
    it->second->deleteLater();
    m_timers.erase(it);
}

void QtScheduler::runInBackground(std::function<void()> work, std::function<void()> done)
{
    QPointer<QtScheduler> self(this);
    m_pool.start(
        [self, work = std::move(work), done = std::move(done)]() mutable {
            QThread::currentThread()->setPriority(QThread::HighPriority);
            work();
            if (self) // the pool is drained before the scheduler goes, so this only guards teardown order
                QMetaObject::invokeMethod(self, std::move(done), Qt::QueuedConnection);
        },
        QThread::HighPriority);
}

} // namespace kw::diagnosis
