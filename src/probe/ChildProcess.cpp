#include "probe/ChildProcess.h"

#include <QByteArray>
#include <QFile>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace kw::probe {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

// How long a child that survives SIGTERM gets before SIGKILL.
constexpr auto killGrace = 200ms;
// Longest single wait, so an exit or a deadline is noticed even while the pipe is silent.
constexpr auto maxSlice = 50ms;
// Reads per wake-up before the deadline is looked at again; a child that writes without
// pause must not keep us reading past it.
constexpr int maxReadsPerWakeUp = 64;

class FileDescriptor {
public:
    explicit FileDescriptor(int fd = -1) : m_fd(fd) {}
    ~FileDescriptor() { reset(); }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;

    int get() const { return m_fd; }
    bool isOpen() const { return m_fd >= 0; }
    void reset()
    {
        // No retry on EINTR: the descriptor is released either way, and retrying could close
        // a descriptor another thread has just been given.
        if (m_fd >= 0)
            ::close(m_fd);
        m_fd = -1;
    }

private:
    int m_fd;
};

class SpawnSettings {
public:
    SpawnSettings()
    {
        m_actionsReady = ::posix_spawn_file_actions_init(&actions) == 0;
        m_attributesReady = ::posix_spawnattr_init(&attributes) == 0;
    }
    ~SpawnSettings()
    {
        if (m_actionsReady)
            ::posix_spawn_file_actions_destroy(&actions);
        if (m_attributesReady)
            ::posix_spawnattr_destroy(&attributes);
    }
    SpawnSettings(const SpawnSettings&) = delete;
    SpawnSettings& operator=(const SpawnSettings&) = delete;

    bool ready() const { return m_actionsReady && m_attributesReady; }

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;

private:
    bool m_actionsReady = false;
    bool m_attributesReady = false;
};

Clock::duration boundedTimeout(Seconds timeout)
{
    // NaN and negative values mean no time at all; huge ones must not overflow the clock.
    constexpr double longest = 1e7;
    double seconds = timeout.count();
    if (!(seconds > 0))
        seconds = 0;
    seconds = std::min(seconds, longest);
    return std::chrono::duration_cast<Clock::duration>(Seconds(seconds));
}

bool makeOutputPipe(int fds[2])
{
#if defined(__APPLE__)
    // There is no pipe2 here. POSIX_SPAWN_CLOEXEC_DEFAULT keeps these descriptors out of the
    // children we spawn ourselves; only a fork elsewhere in this short window could inherit them.
    if (::pipe(fds) != 0)
        return false;
    ::fcntl(fds[0], F_SETFD, FD_CLOEXEC);
    ::fcntl(fds[1], F_SETFD, FD_CLOEXEC);
#else
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
#endif
    // Only our end is non-blocking; the child must see an ordinary blocking stdout.
    const int flags = ::fcntl(fds[0], F_GETFL);
    if (flags < 0 || ::fcntl(fds[0], F_SETFL, flags | O_NONBLOCK) != 0) {
        ::close(fds[0]);
        ::close(fds[1]);
        return false;
    }
    return true;
}

QByteArray variableName(const QByteArray& entry)
{
    const qsizetype equals = entry.indexOf('=');
    return equals < 0 ? entry : entry.left(equals);
}

std::vector<QByteArray> mergedEnvironment(const QStringList& extraEnvironment)
{
    std::vector<QByteArray> merged;
    for (char** entry = environ; entry && *entry; ++entry)
        merged.emplace_back(*entry);
    for (const QString& extra : extraEnvironment) {
        const QByteArray encoded = extra.toUtf8();
        if (encoded.indexOf('=') <= 0)
            continue; // not NAME=value
        const QByteArray name = variableName(encoded);
        std::erase_if(merged, [&](const QByteArray& existing) { return variableName(existing) == name; });
        merged.push_back(encoded);
    }
    return merged;
}

std::vector<char*> pointersTo(std::vector<QByteArray>& strings)
{
    std::vector<char*> pointers;
    pointers.reserve(strings.size() + 1);
    for (QByteArray& s : strings)
        pointers.push_back(s.data());
    pointers.push_back(nullptr);
    return pointers;
}

// Looks at the child's exit without reaping it: while the zombie exists its pid, and so the
// process group id, cannot be handed to another process, which keeps signalling the group safe.
bool hasExited(pid_t pid, bool& reapable)
{
    for (;;) {
        siginfo_t info {};
        if (::waitid(P_PID, static_cast<id_t>(pid), &info, WEXITED | WNOHANG | WNOWAIT) == 0)
            return info.si_pid != 0;
        if (errno == EINTR)
            continue;
        reapable = false; // someone else has reaped it
        return true;
    }
}

enum class PipeState { Open, AtEnd };

PipeState readAvailable(int fd, QByteArray& output)
{
    char buffer[16384];
    for (int i = 0; i < maxReadsPerWakeUp; ++i) {
        const ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n > 0) {
            output.append(buffer, static_cast<qsizetype>(n));
            continue;
        }
        if (n == 0)
            return PipeState::AtEnd;
        if (errno == EINTR)
            continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK)
            return PipeState::Open;
        return PipeState::AtEnd; // unreadable; treat like the end
    }
    return PipeState::Open;
}

int pollMilliseconds(Clock::duration wait)
{
    const auto ms = std::chrono::ceil<std::chrono::milliseconds>(wait).count();
    return static_cast<int>(std::clamp<decltype(ms)>(ms, 0, 1000));
}

} // namespace

std::optional<ChildExit> runChildProcess(const QString& executablePath, const QStringList& arguments,
                                         Seconds timeout, const QStringList& extraEnvironment)
{
    const auto deadline = Clock::now() + boundedTimeout(timeout);

    // A zero byte would silently cut the string short, so such a program cannot be run as asked.
    std::vector<QByteArray> argumentBytes;
    argumentBytes.reserve(static_cast<std::size_t>(arguments.size()) + 1);
    argumentBytes.push_back(QFile::encodeName(executablePath));
    for (const QString& argument : arguments)
        argumentBytes.push_back(argument.toUtf8());
    for (const QByteArray& bytes : argumentBytes) {
        if (bytes.contains('\0'))
            return std::nullopt;
    }
    std::vector<char*> argv = pointersTo(argumentBytes);

    std::vector<QByteArray> environmentBytes;
    std::vector<char*> envp;
    if (!extraEnvironment.isEmpty()) {
        environmentBytes = mergedEnvironment(extraEnvironment);
        envp = pointersTo(environmentBytes);
    }

    SpawnSettings settings;
    if (!settings.ready())
        return std::nullopt;

    int fds[2];
    if (!makeOutputPipe(fds))
        return std::nullopt;
    FileDescriptor readEnd(fds[0]);
    FileDescriptor writeEnd(fds[1]);

    short flags = POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
#if defined(__APPLE__)
    flags |= POSIX_SPAWN_CLOEXEC_DEFAULT;
#endif
    sigset_t emptyMask;
    sigemptyset(&emptyMask);
    // Signals this process ignores (SIGPIPE, typically) would stay ignored in the child.
    sigset_t defaults;
    sigfillset(&defaults);
    sigdelset(&defaults, SIGKILL);
    sigdelset(&defaults, SIGSTOP);
    // The dup2 comes first so that opening /dev/null cannot replace the pipe when it happens to
    // occupy descriptor 0 or 2 in this process.
    if (::posix_spawn_file_actions_adddup2(&settings.actions, writeEnd.get(), STDOUT_FILENO) != 0
        || ::posix_spawn_file_actions_addopen(&settings.actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0) != 0
        || ::posix_spawn_file_actions_addopen(&settings.actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0) != 0
        || ::posix_spawnattr_setflags(&settings.attributes, flags) != 0
        || ::posix_spawnattr_setpgroup(&settings.attributes, 0) != 0
        || ::posix_spawnattr_setsigmask(&settings.attributes, &emptyMask) != 0
        || ::posix_spawnattr_setsigdefault(&settings.attributes, &defaults) != 0)
        return std::nullopt;

    pid_t pid = -1;
    const int spawnError = ::posix_spawn(&pid, argumentBytes.front().constData(), &settings.actions,
                                         &settings.attributes, argv.data(), envp.empty() ? environ : envp.data());
    // Our copy of the write end must go, or the pipe would never report its end.
    writeEnd.reset();
    if (spawnError != 0)
        return std::nullopt;

    ChildExit result;
    bool exited = false;
    bool reapable = true;
    bool timedOut = false;
    bool killSent = false;
    int lastSignal = 0;
    std::optional<Clock::time_point> termSentAt;
    // While the pipe is closed nothing wakes us on exit, so waits start short and grow.
    Clock::duration closedPipeSlice = 1ms;

    const auto signalChild = [&](int signal) {
        if (::kill(-pid, signal) != 0)
            ::kill(pid, signal);
        lastSignal = signal;
    };

    for (;;) {
        if (!exited)
            exited = hasExited(pid, reapable);
        if (exited && !readEnd.isOpen())
            break;

        const auto now = Clock::now();
        if (now >= deadline) {
            if (exited) {
                // Something else in the group (a grandchild) still holds the pipe; it must not
                // keep us past the deadline. Take what is already there and stop.
                ::kill(-pid, SIGKILL);
                readAvailable(readEnd.get(), result.standardOutput);
                break;
            }
            if (!termSentAt) {
                timedOut = true;
                signalChild(SIGTERM);
                termSentAt = now;
            } else if (!killSent && now >= *termSentAt + killGrace) {
                signalChild(SIGKILL);
                killSent = true;
            }
        }

        auto wakeUp = now + (readEnd.isOpen() ? Clock::duration(maxSlice) : closedPipeSlice);
        if (now < deadline)
            wakeUp = std::min(wakeUp, deadline);
        if (termSentAt && !killSent)
            wakeUp = std::min(wakeUp, *termSentAt + killGrace);
        const int waitMs = pollMilliseconds(wakeUp - now);

        if (readEnd.isOpen()) {
            pollfd entry {readEnd.get(), POLLIN, 0};
            // EINTR just means another round of the checks above.
            if (::poll(&entry, 1, waitMs) > 0
                && readAvailable(readEnd.get(), result.standardOutput) == PipeState::AtEnd)
                readEnd.reset();
        } else {
            ::poll(nullptr, 0, waitMs);
            closedPipeSlice = std::min<Clock::duration>(closedPipeSlice * 2, maxSlice);
        }
    }

    int status = 0;
    bool haveStatus = false;
    if (reapable) {
        pid_t reaped;
        do {
            reaped = ::waitpid(pid, &status, 0);
        } while (reaped < 0 && errno == EINTR);
        haveStatus = reaped == pid;
    }

    if (timedOut) {
        result.exitedNormally = false;
        result.status = haveStatus && WIFSIGNALED(status) ? WTERMSIG(status) : lastSignal;
    } else if (haveStatus && WIFEXITED(status)) {
        result.exitedNormally = true;
        result.status = WEXITSTATUS(status);
    } else if (haveStatus && WIFSIGNALED(status)) {
        result.exitedNormally = false;
        result.status = WTERMSIG(status);
    } else {
        result.exitedNormally = false;
        result.status = -1;
    }
    return result;
}

std::optional<ChildExit> PosixProcessLauncher::run(const QString& executablePath, const QStringList& arguments,
                                                   Seconds timeout) const
{
    return runChildProcess(executablePath, arguments, timeout);
}

} // namespace kw::probe
