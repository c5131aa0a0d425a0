#include "diagnosis/VirtualScheduler.h"

namespace kw::diagnosis {

VirtualScheduler::VirtualScheduler() : m_now(Clock::time_point(std::chrono::hours(1))) {}

VirtualScheduler::~VirtualScheduler()
{
    for (auto& [job, thread] : m_threads)
        thread.join();
    // Callbacks still queued are dropped here; what they own (suspended tasks) is destroyed with them.
    m_timers.clear();
    m_completed.clear();
}

Scheduler::Clock::time_point VirtualScheduler::now() const { return m_now; }

Scheduler::TimerId VirtualScheduler::postDelayed(std::chrono::nanoseconds delay, std::function<void()> fn)
{
    const TimerId id = m_nextId++;
    const Clock::time_point due = m_now + std::max(delay, std::chrono::nanoseconds(0));
    m_timers.emplace(std::pair(due, id), std::move(fn));
    m_dueById.emplace(id, due);
    return id;
}

void VirtualScheduler::cancelTimer(TimerId id)
{
    auto it = m_dueById.find(id);
    if (it == m_dueById.end())
        return;
    auto node = m_timers.extract(std::pair(it->second, id));
    m_dueById.erase(it);
    // node (and the callback in it) is destroyed here, after the maps are consistent again.
}

void VirtualScheduler::runInBackground(std::function<void()> work, std::function<void()> done)
{
    {
        std::lock_guard lock(m_mutex);
        ++m_inFlight;
    }
    const std::uint64_t job = m_nextJob++;
    m_threads.emplace(job, std::thread([this, job, work = std::move(work), done = std::move(done)]() mutable {
        work();
        std::lock_guard lock(m_mutex);
        m_completed.emplace_back(job, std::move(done));
        --m_inFlight;
        m_finished.notify_all();
    }));
}

bool VirtualScheduler::step(Clock::time_point limit)
{
    std::function<void()> next;
    {
        std::unique_lock lock(m_mutex);
        // Work in flight holds time still: its result arrives at the moment it was started.
        if (m_completed.empty() && m_inFlight > 0)
            m_finished.wait(lock, [this] { return !m_completed.empty(); });
        if (!m_completed.empty()) {
            auto [job, done] = std::move(m_completed.front());
            m_completed.pop_front();
            next = std::move(done);
            lock.unlock();
            auto thread = m_threads.extract(job);
            thread.mapped().join(); // it has finished its work; this only reaps it
        }
    }
    if (!next) {
        if (m_timers.empty() || m_timers.begin()->first.first > limit)
            return false;
        auto node = m_timers.extract(m_timers.begin());
        m_dueById.erase(node.key().second);
        m_now = std::max(m_now, node.key().first);
        next = std::move(node.mapped());
    }
    next();
    return true;
}

void VirtualScheduler::runDue()
{
    while (step(m_now)) {
    }
}

void VirtualScheduler::advance(std::chrono::nanoseconds d)
{
    const Clock::time_point target = m_now + d;
    while (step(target)) {
    }
    m_now = target;
}

bool VirtualScheduler::runUntil(const std::function<bool()>& condition, std::chrono::nanoseconds limit)
{
    const Clock::time_point end = m_now + limit;
    if (condition())
        return true;
    while (step(end))
        if (condition())
            return true;
    m_now = end;
    return condition();
}

} // namespace kw::diagnosis
