#pragma once

#include <chrono>
#include <cstdint>
#include <functional>

namespace kw::diagnosis {

/// Where the diagnosis runs its work and takes its time from. Everything except the background work
/// itself happens on the main thread.
class Scheduler {
public:
    using Clock = std::chrono::steady_clock;
    using TimerId = std::uint64_t;

    virtual ~Scheduler() = default;

    virtual Clock::time_point now() const = 0;
    /// Runs fn on the main thread once delay has passed; never before the caller has returned.
    virtual TimerId postDelayed(std::chrono::nanoseconds delay, std::function<void()> fn) = 0;
    /// Drops a posted fn without running it. No effect once it has run.
    virtual void cancelTimer(TimerId id) = 0;
    /// Runs blocking work on a background thread at raised priority, then done on the main thread.
    virtual void runInBackground(std::function<void()> work, std::function<void()> done) = 0;
};

} // namespace kw::diagnosis
