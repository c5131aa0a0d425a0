#pragma once

#include "diagnosis/Scheduler.h"

#include <QObject>
#include <QThreadPool>

#include <map>

class QTimer;

namespace kw::diagnosis {

// Real time on the Qt event loop of the thread that creates it (the main thread).
class QtScheduler final : public QObject, public Scheduler {
public:
    QtScheduler();
    ~QtScheduler() override;

    Clock::time_point now() const override;
    TimerId postDelayed(std::chrono::nanoseconds delay, std::function<void()> fn) override;
    void cancelTimer(TimerId id) override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;

protected:
    bool event(QEvent* event) override;

private:
    void finishBackground(std::uint64_t job);

    TimerId m_nextId = 1;
    std::map<TimerId, QTimer*> m_timers;
    // What to run on the main thread when a job is done. Kept here, on the main thread, so that no
    // callback (and nothing it owns, such as a suspended task) is ever destroyed on a worker.
    std::uint64_t m_nextJob = 1;
    std::map<std::uint64_t, std::function<void()>> m_pendingDone;
    QThreadPool m_pool;
};

} // namespace kw::diagnosis
