#pragma once

#include "diagnosis/Scheduler.h"

#include <condition_variable>
#include <deque>
#include <map>
#include <mutex>
#include <thread>

namespace kw::diagnosis {

// Time that passes only when asked to: tests and scripted runs cover minutes of program time in
// microseconds. Background work still runs on real threads; time stands still until it is done, so
// a run is deterministic.
class VirtualScheduler final : public Scheduler {
public:
    VirtualScheduler();
    ~VirtualScheduler() override;

    Clock::time_point now() const override;
    TimerId postDelayed(std::chrono::nanoseconds delay, std::function<void()> fn) override;
    void cancelTimer(TimerId id) override;
    void runInBackground(std::function<void()> work, std::function<void()> done) override;

    /// Runs everything that falls due within the next d, then stands at now + d.
    void advance(std::chrono::nanoseconds d);
    /// Runs until condition holds (checked after every step) or limit of program time has passed;
    /// true when the condition holds.
    bool runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit);
    /// Runs all work that is due now, including finished background work, without moving time.
    void runDue();
    std::size_t pendingTimers() const { return m_timers.size(); }

private:
    // One step: finished background work first, then the earliest timer due at or before limit.
    bool step(Clock::time_point limit);

    Clock::time_point m_now;
    TimerId m_nextId = 1;
    // Ordered by due time, then by posting order.
    std::map<std::pair<Clock::time_point, TimerId>, std::function<void()>> m_timers;
    std::map<TimerId, Clock::time_point> m_dueById;

    std::mutex m_mutex;
    std::condition_variable m_finished;
    std::deque<std::pair<std::uint64_t, std::function<void()>>> m_completed; // guarded by m_mutex
    int m_inFlight = 0;                                                    // guarded by m_mutex
    std::uint64_t m_nextJob = 1;
    std::map<std::uint64_t, std::thread> m_threads;
};

} // namespace kw::diagnosis
