#pragma once

#include "diagnosis/Scheduler.h"

#include <coroutine>
#include <exception>
#include <memory>
#include <optional>
#include <utility>

namespace kw::diagnosis {

// Cooperative tasks on the main thread, written as coroutines. A task runs between its awaits
// without interleaving with other main-thread work. Every resumption first checks that the task's
// owner still exists; when it does not, the task is destroyed instead of resumed, so no task body
// ever touches a destroyed owner.

struct TaskState {
    bool cancelled = false;
    bool finished = false;
    std::function<void()> interrupt; // set while the task sleeps: wakes it at once
};

/// A handle of a started task. Cancelling sets the task's flag and cuts a running sleep short.
class TaskHandle {
public:
    TaskHandle() = default;
    explicit TaskHandle(std::shared_ptr<TaskState> state) : m_state(std::move(state)) {}

    void cancel() const
    {
        if (!m_state || m_state->finished)
            return;
        m_state->cancelled = true;
        if (auto interrupt = std::exchange(m_state->interrupt, nullptr))
            interrupt();
    }
    bool isCancelled() const { return m_state && m_state->cancelled; }
    bool isFinished() const { return !m_state || m_state->finished; }

private:
    std::shared_ptr<TaskState> m_state;
};

class Task {
public:
    struct promise_type {
        std::shared_ptr<TaskState> state = std::make_shared<TaskState>();
        Scheduler* scheduler = nullptr;
        std::weak_ptr<const void> owner;

        Task get_return_object() { return Task(std::coroutine_handle<promise_type>::from_promise(*this)); }
        std::suspend_always initial_suspend() noexcept { return {}; }
        std::suspend_never final_suspend() noexcept { return {}; }
        void return_void() {}
        void unhandled_exception() { std::terminate(); }
        ~promise_type()
        {
            state->finished = true;
            state->interrupt = nullptr;
        }
    };
    using Handle = std::coroutine_handle<promise_type>;

    Task(Task&& other) noexcept : m_handle(std::exchange(other.m_handle, {})) {}
    Task& operator=(Task&&) = delete;
    ~Task()
    {
        if (m_handle)
            m_handle.destroy(); // never started
    }

    /// Starts the task on the scheduler's main thread (queued). It ends early, destroyed without
    /// running further, as soon as owner has expired.
    TaskHandle start(Scheduler& scheduler, std::weak_ptr<const void> owner) &&;

private:
    explicit Task(Handle handle) : m_handle(handle) {}
    Handle m_handle;
};

namespace detail {

// Owns a suspended coroutine until it is resumed; destroys it if it never is (its scheduler dropped
// the callback, say, at shutdown), so no frame leaks.
class Resumer {
public:
    explicit Resumer(Task::Handle handle) : m_handle(handle) {}
    Resumer(const Resumer&) = delete;
    Resumer& operator=(const Resumer&) = delete;
    ~Resumer()
    {
        if (m_handle)
            m_handle.destroy();
    }
    void resume()
    {
        Task::Handle handle = std::exchange(m_handle, {});
        if (!handle)
            return;
        if (handle.promise().owner.expired())
            handle.destroy();
        else
            handle.resume();
    }

private:
    Task::Handle m_handle;
};

inline void resumeSoon(Scheduler& scheduler, const std::shared_ptr<Resumer>& resumer)
{
    scheduler.postDelayed(std::chrono::nanoseconds(0), [resumer] { resumer->resume(); });
}

} // namespace detail

inline TaskHandle Task::start(Scheduler& scheduler, std::weak_ptr<const void> owner) &&
{
    Handle handle = std::exchange(m_handle, {});
    handle.promise().scheduler = &scheduler;
    handle.promise().owner = std::move(owner);
    TaskHandle taskHandle(handle.promise().state);
    detail::resumeSoon(scheduler, std::make_shared<detail::Resumer>(handle));
    return taskHandle;
}

/// co_await sleepFor(d): suspends the task for d; yields true when the sleep ran its full length,
/// false when cancellation cut it short (at once, also when already cancelled).
struct sleepFor {
    explicit sleepFor(std::chrono::nanoseconds d) : duration(d) {}

    std::chrono::nanoseconds duration;
    bool interrupted = false;
    Task::Handle handle;

    bool await_ready() const noexcept { return false; }
    void await_suspend(Task::Handle h)
    {
        handle = h;
        auto& promise = h.promise();
        Scheduler& scheduler = *promise.scheduler;
        auto resumer = std::make_shared<detail::Resumer>(h);
        if (promise.state->cancelled) {
            interrupted = true;
            detail::resumeSoon(scheduler, resumer);
            return;
        }
        const Scheduler::TimerId timer = scheduler.postDelayed(duration, [resumer] { resumer->resume(); });
        // Weak: the state outlives the frame through task handles, and must not keep it alive.
        std::weak_ptr<detail::Resumer> weak = resumer;
        promise.state->interrupt = [this, &scheduler, timer, weak] {
            auto strong = weak.lock();
            if (!strong)
                return;
            interrupted = true;
            scheduler.cancelTimer(timer);
            detail::resumeSoon(scheduler, strong);
        };
    }
    bool await_resume()
    {
        handle.promise().state->interrupt = nullptr;
        return !interrupted;
    }
};

/// co_await isCancelled(): reads the task's cancellation flag now, without suspending.
struct isCancelled {
    bool value = false;
    bool await_ready() const noexcept { return false; }
    bool await_suspend(Task::Handle h) noexcept
    {
        value = h.promise().state->cancelled;
        return false;
    }
    bool await_resume() const noexcept { return value; }
};

/// co_await inBackground(fn): runs fn off the main thread and resumes with its result.
template <typename Work>
struct inBackground {
    using Result = std::invoke_result_t<Work&>;
    Work work;
    // Shared with the background thread, so that a frame destroyed early cannot be written to.
    std::shared_ptr<std::optional<Result>> result = std::make_shared<std::optional<Result>>();

    explicit inBackground(Work w) : work(std::move(w)) {}
    bool await_ready() const noexcept { return false; }
    void await_suspend(Task::Handle h)
    {
        auto resumer = std::make_shared<detail::Resumer>(h);
        h.promise().scheduler->runInBackground([work = std::move(work), result = result]() mutable { *result = work(); },
                                               [resumer] { resumer->resume(); });
    }
    Result await_resume() { return std::move(**result); }
};

} // namespace kw::diagnosis
