#include "probe/ChildProcess.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <optional>
#include <thread>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

using namespace Qt::StringLiterals;
using kw::probe::ChildExit;
using kw::probe::PosixProcessLauncher;
using kw::probe::ProcessLauncher;
using kw::probe::runChildProcess;
using kw::probe::Seconds;

namespace {

using Clock = std::chrono::steady_clock;

// Bounds on real time that hold on a busy machine and still prove the point: what would run for
// longRun seconds (a child's own sleep, a deadline) is not waited out. Anything that merely takes a
// moment (a kill, a scheduling delay) stays far below neverWaitedOut.
constexpr double longRun = 30;
constexpr double neverWaitedOut = 10;

std::optional<ChildExit> runShell(const QString& script, Seconds timeout, const QStringList& extraEnvironment = {})
{
    return runChildProcess(u"/bin/sh"_s, {u"-c"_s, script}, timeout, extraEnvironment);
}

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

pid_t firstLineAsPid(const QByteArray& output)
{
    bool ok = false;
    const int pid = output.left(output.indexOf('\n')).toInt(&ok);
    return ok ? static_cast<pid_t>(pid) : -1;
}

// Reaped means it is no longer a child of ours waiting to be collected.
bool isReaped(pid_t pid)
{
    errno = 0;
    const pid_t r = ::waitpid(pid, nullptr, WNOHANG);
    return r == -1 && errno == ECHILD;
}

int openDescriptorCount()
{
#if defined(__linux__)
    const char* directory = "/proc/self/fd";
#else
    const char* directory = "/dev/fd";
#endif
    DIR* dir = ::opendir(directory);
    if (!dir)
        return -1;
    int count = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (entry->d_name[0] != '.')
            ++count;
    }
    ::closedir(dir);
    return count;
}

bool writeFile(const QString& path, const QByteArray& text, bool executable)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(text) == text.size()
           && file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner
                                  | (executable ? QFileDevice::ExeOwner : QFileDevice::Permissions()));
}

#if defined(__linux__)
// Waits, without polling, until a process that is not our child has ended: a pidfd becomes readable
// once it has. A process that no longer exists has ended too.
bool endsSoon(pid_t pid)
{
    const int fd = static_cast<int>(::syscall(SYS_pidfd_open, pid, 0));
    if (fd < 0)
        return errno == ESRCH;
    pollfd entry {fd, POLLIN, 0};
    const int ready = ::poll(&entry, 1, static_cast<int>(neverWaitedOut * 1000));
    ::close(fd);
    return ready == 1;
}
#endif

} // namespace

// Each run: what the child does, its deadline, and what must come back, well before any long wait.
struct ChildRun {
    const char* what;
    QString program;
    QStringList arguments;
    double timeout;
    bool exitedNormally;
    int status; // -1: any
    QByteArray output;
};

TEST(ChildProcess, ExitsSignalsDeadlinesAndOutput)
{
    const QString sh = u"/bin/sh"_s;
    QByteArray numbers;
    for (int i = 1; i <= 200000; ++i)
        numbers += QByteArray::number(i) + '\n';
    const std::vector<ChildRun> runs{
        {"success", u"/bin/echo"_s, {u"hello"_s, u"world"_s}, longRun, true, 0, "hello world\n"},
        {"output over time", sh, {u"-c"_s, u"echo a; sleep 0.1; echo b"_s}, 5, true, 0, "a\nb\n"},
        {"exit status", sh, {u"-c"_s, u"echo partial; exit 3"_s}, 5, true, 3, "partial\n"},
        {"signal", sh, {u"-c"_s, u"echo before; kill -KILL $$"_s}, 5, false, SIGKILL, "before\n"},
        {"deadline", u"/bin/sleep"_s, {u"30"_s}, 0.3, false, SIGTERM, ""},
        {"zero deadline", u"/bin/sleep"_s, {u"30"_s}, 0, false, -1, ""},
        {"SIGTERM ignored", sh, {u"-c"_s, u"trap '' TERM; echo ready; sleep 30"_s}, 0.3, false, SIGKILL, "ready\n"},
        {"exit on SIGTERM", sh, {u"-c"_s, u"trap 'exit 0' TERM; echo ready; while :; do sleep 0.05; done"_s}, 0.3, false, -1,
         "ready\n"},
        {"bytes exact", sh, {u"-c"_s, u"printf '\\377\\376\\000\\200x'"_s}, 5, true, 0, QByteArray("\xff\xfe\x00\x80x", 5)},
        {"more than a pipe holds, in order", sh, {u"-c"_s, u"seq 1 200000"_s}, longRun, true, 0, numbers},
        {"chatty standard error", sh, {u"-c"_s, u"head -c 4194304 /dev/zero >&2; echo done"_s}, longRun, true, 0, "done\n"},
        {"empty standard input", sh, {u"-c"_s, u"cat; echo end"_s}, 5, true, 0, "end\n"},
    };
    for (const ChildRun& r : runs) {
        SCOPED_TRACE(r.what);
        const auto start = Clock::now();
        const auto result = runChildProcess(r.program, r.arguments, Seconds(r.timeout));
        ASSERT_TRUE(result);
        EXPECT_LT(secondsSince(start), neverWaitedOut);
        EXPECT_EQ(result->exitedNormally, r.exitedNormally);
        if (r.status >= 0) {
            EXPECT_EQ(result->status, r.status);
        }
        EXPECT_TRUE(result->standardOutput == r.output) << result->standardOutput.left(40).toStdString();
    }
}

TEST(ChildProcess, LeavesNoZombieBehind)
{
    for (const QString& script : {u"echo $$"_s, u"echo $$; exec /bin/sleep 30"_s, u"trap '' TERM; echo $$; sleep 30"_s}) {
        const auto run = runShell(script, Seconds(0.3));
        ASSERT_TRUE(run);
        const pid_t pid = firstLineAsPid(run->standardOutput);
        ASSERT_GT(pid, 0);
        EXPECT_TRUE(isReaped(pid)) << script.toStdString();
#if defined(__linux__)
        EXPECT_FALSE(QFile::exists(u"/proc/%1"_s.arg(pid)));
#endif
    }
}

TEST(ChildProcess, GrandchildHoldingPipeDoesNotDelayPastDeadline)
{
    const auto start = Clock::now();
    const auto result = runShell(u"sleep 30 & echo $!; echo hi"_s, Seconds(0.5));
    ASSERT_TRUE(result);
    EXPECT_LT(secondsSince(start), neverWaitedOut);
    // The child itself ended well before the deadline; its real status is reported.
    EXPECT_TRUE(result->exitedNormally);
    EXPECT_EQ(result->status, 0);
    EXPECT_TRUE(result->standardOutput.endsWith("\nhi\n"));
#if defined(__linux__)
    const pid_t grandchild = firstLineAsPid(result->standardOutput);
    ASSERT_GT(grandchild, 0);
    EXPECT_TRUE(endsSoon(grandchild)) << "killed with its group, not left to sleep on";
#endif
}

TEST(ChildProcess, LaunchFailuresYieldNothing)
{
    QTemporaryDir dir;
    const QString notExecutable = dir.filePath(u"not-executable"_s);
    const QString notAProgram = dir.filePath(u"not-a-program"_s);
    ASSERT_TRUE(writeFile(notExecutable, "#!/bin/sh\necho x\n", false));
    ASSERT_TRUE(writeFile(notAProgram, "\x01\x02\x03 garbage without an interpreter line\n", true));
    for (const QString& program : {dir.filePath(u"missing"_s), dir.path(), notExecutable, notAProgram, QString()})
        EXPECT_FALSE(runChildProcess(program, {}, Seconds(1))) << program.toStdString();
    // An argument with a zero byte cannot be passed on faithfully.
    EXPECT_FALSE(runChildProcess(u"/bin/echo"_s, {u"a\0b"_s}, Seconds(1)));
}

TEST(ChildProcess, PassesExtraEnvironmentToChild)
{
    const QString script = u"printf '%s|%s|%s' \"$KW_CHILD_TEST_VALUE\" \"$KW_CHILD_TEST_OTHER\" \"$PATH\""_s;

    const auto plain = runShell(script, Seconds(5));
    ASSERT_TRUE(plain);
    EXPECT_EQ(plain->standardOutput, "||" + qgetenv("PATH"));

    const auto extended = runShell(script, Seconds(5),
                                   {u"KW_CHILD_TEST_VALUE=first"_s, u"KW_CHILD_TEST_OTHER=grüße ✓"_s,
                                    u"KW_CHILD_TEST_VALUE=hello world"_s, u"PATH=/usr/bin:/bin"_s});
    ASSERT_TRUE(extended);
    EXPECT_EQ(extended->standardOutput, u"hello world|grüße ✓|/usr/bin:/bin"_s.toUtf8());
}

TEST(ChildProcess, PassesArgumentsAndPathAsUtf8)
{
    QTemporaryDir dir;
    ASSERT_TRUE(QDir(dir.path()).mkdir(u"prüfung ✓"_s));
    const QString script = dir.filePath(u"prüfung ✓/zeige-argument"_s);
    ASSERT_TRUE(writeFile(script, "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$2\"\n", true));
    const auto result = runChildProcess(script, {u"grüße ✓"_s, u"with space"_s}, Seconds(5));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->standardOutput, u"grüße ✓|with space"_s.toUtf8());
}

TEST(ChildProcess, LeaksNoFileDescriptors)
{
    const int before = openDescriptorCount();
    ASSERT_GT(before, 0);

    for (int i = 0; i < 10; ++i) {
        EXPECT_TRUE(runChildProcess(u"/bin/echo"_s, {u"x"_s}, Seconds(5)));
        EXPECT_FALSE(runChildProcess(u"/nonexistent/program"_s, {}, Seconds(1)));
        EXPECT_FALSE(runChildProcess(u"/"_s, {}, Seconds(1)));
    }
    EXPECT_TRUE(runChildProcess(u"/bin/sleep"_s, {u"30"_s}, Seconds(0.1)));
    EXPECT_TRUE(runShell(u"sleep 30 & echo hi"_s, Seconds(0.1)));
    EXPECT_TRUE(runShell(u"echo x"_s, Seconds(5), {u"KW_CHILD_TEST_VALUE=1"_s}));

    EXPECT_EQ(openDescriptorCount(), before);
}

TEST(ChildProcess, RunsConcurrentlyFromSeveralThreads)
{
    constexpr int threadCount = 8;
    std::array<std::optional<ChildExit>, threadCount> results;
    std::vector<std::thread> threads;
    const auto start = Clock::now();
    for (int i = 0; i < threadCount; ++i) {
        threads.emplace_back([i, &results] {
            if (i % 4 == 3)
                results[i] = runChildProcess(u"/bin/sleep"_s, {u"30"_s}, Seconds(0.3));
            else
                results[i] = runShell(u"echo thread %1; head -c 200000 /dev/zero"_s.arg(i), Seconds(longRun));
        });
    }
    for (std::thread& t : threads)
        t.join();
    EXPECT_LT(secondsSince(start), neverWaitedOut);

    for (int i = 0; i < threadCount; ++i) {
        SCOPED_TRACE(i);
        ASSERT_TRUE(results[i]);
        if (i % 4 == 3) {
            EXPECT_FALSE(results[i]->exitedNormally);
        } else {
            EXPECT_TRUE(results[i]->exitedNormally);
            const QByteArray header = "thread " + QByteArray::number(i) + '\n';
            EXPECT_EQ(results[i]->standardOutput, header + QByteArray(200000, '\0'));
        }
    }
}

TEST(ChildProcess, PosixProcessLauncherRunsTheProgram)
{
    const PosixProcessLauncher posix;
    const ProcessLauncher& launcher = posix;
    const auto result = launcher.run(u"/bin/sh"_s, {u"-c"_s, u"echo via launcher; exit 4"_s}, Seconds(5));
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 4);
    EXPECT_EQ(result->standardOutput, QByteArray("via launcher\n"));
    EXPECT_FALSE(launcher.run(u"/nonexistent/program"_s, {}, Seconds(1)));
}
