#include "diagnosis/QtScheduler.h"

#include <QCoreApplication>
#include <QEvent>
#include <QThread>
#include <QTimer>

namespace kw::diagnosis {

namespace {

// Tells the main thread that a job is done. Posted as an event: the queue owns it from then on and
// deletes it on the main thread, so the worker touches nothing of it after posting.
class JobDoneEvent final : public QEvent {
public:
    static QEvent::Type type()
    {
        static const auto registered = QEvent::Type(QEvent::registerEventType());
        return registered;
    }
    explicit JobDoneEvent(std::uint64_t job) : QEvent(type()), job(job) {}
    const std::uint64_t job;
};

} // namespace

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
    const std::uint64_t job = m_nextJob++;
    m_pendingDone.emplace(job, std::move(done));
    // The pool is drained before the scheduler goes, and posted events die with their receiver, so
    // the plain pointer stays valid for as long as the worker can use it.
    m_pool.start(
        [this, job, work = std::move(work)]() mutable {
            QThread::currentThread()->setPriority(QThread::HighPriority);
            work();
            work = nullptr; // let go of what the work held, here, before the main thread hears of it
            QCoreApplication::postEvent(this, new JobDoneEvent(job));
        },
        QThread::HighPriority);
}

bool QtScheduler::event(QEvent* event)
{
    if (event->type() != JobDoneEvent::type())
        return QObject::event(event);
    finishBackground(static_cast<JobDoneEvent*>(event)->job);
    return true;
}

void QtScheduler::finishBackground(std::uint64_t job)
{
    auto node = m_pendingDone.extract(job);
    if (!node.empty())
        node.mapped()();
}

} // namespace kw::diagnosis
