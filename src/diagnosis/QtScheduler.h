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

private:
    TimerId m_nextId = 1;
    std::map<TimerId, QTimer*> m_timers;
    QThreadPool m_pool;
};

} // namespace kw::diagnosis
