#include "app/WindowCommands.h"

#include "app/Backend.h"
#include "app/CommandLineSupport.h"
#include "diagnosis/QtScheduler.h"
#include "diagnosis/VirtualScheduler.h"
#include "diagnosis/script/ScriptRunner.h"
#include "probe/FileOutput.h"
#include "probe/HardwareProbe.h"
#include "ui/DesktopSystemServices.h"
#include "ui/WindowSession.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDeadlineTimer>
#include <QGuiApplication>
#include <QSGRendererInterface>
#include <QQuickWindow>
#include <QtQml/qqmlextensionplugin.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstring>
#include <memory>
#include <poll.h>
#include <thread>
#include <unistd.h>

Q_IMPORT_QML_PLUGIN(KabelwachtPlugin)

namespace kw::app {

using namespace Qt::StringLiterals;

namespace {

bool displayAvailable()
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY")
        || qEnvironmentVariableIsSet("WAYLAND_DISPLAY");
}

// What is written to standard error while it is held, kept to be passed on or dropped.
class HeldStandardError {
public:
    HeldStandardError()
    {
        std::fflush(stderr);
        int ends[2];
        if (::pipe(ends) != 0)
            return;
        m_saved = ::dup(STDERR_FILENO);
        ::dup2(ends[1], STDERR_FILENO);
        ::close(ends[1]);
        // Read as it comes, so that a writer never waits on a full pipe; ends at the end of the pipe,
        // or once released and drained (a child may keep the pipe open).
        m_reader = std::thread([this, from = ends[0]] {
            char buffer[4096];
            for (;;) {
                pollfd ready{from, POLLIN, 0};
                const int polled = ::poll(&ready, 1, 50);
                if (polled == 0 && m_released)
                    break;
                if (polled <= 0)
                    continue;
                const ssize_t n = ::read(from, buffer, sizeof buffer);
                if (n == 0 || (n < 0 && errno != EINTR))
                    break;
                if (n > 0)
                    m_text.append(buffer, n);
            }
            ::close(from);
        });
    }
    // Standard error as it was; what was written meanwhile.
    QByteArray release()
    {
        if (m_saved >= 0) {
            std::fflush(stderr);
            ::dup2(m_saved, STDERR_FILENO);
            ::close(m_saved);
            m_saved = -1;
            m_released = true;
            m_reader.join();
        }
        return m_text;
    }
    ~HeldStandardError() { release(); }

private:
    int m_saved = -1;
    std::atomic<bool> m_released = false;
    std::thread m_reader;
    QByteArray m_text;
};

// Qt ends the program with its own message when no platform plugin can be started, as when the
// display does not answer. So the platforms asked for are tried with offscreen last, which always
// starts; ending there although a display was asked for means that it could not be opened, which is
// said in one line of ours (and Qt's and Xlib's words on it are dropped). Absent then.
std::unique_ptr<QGuiApplication> openGuiApplication(int& argc, char** argv, const QString& command, const QString& instead)
{
    const QByteArray requested = qgetenv("QT_QPA_PLATFORM");
    QByteArrayList platforms;
    QString display;
    if (!requested.isEmpty()) {
        platforms = requested.split(';');
        display = u"QT_QPA_PLATFORM="_s + QString::fromLocal8Bit(requested);
    } else {
        const bool waylandSession = qgetenv("XDG_SESSION_TYPE") == "wayland";
        if (qEnvironmentVariableIsSet("WAYLAND_DISPLAY"))
            platforms << "wayland";
        if (qEnvironmentVariableIsSet("DISPLAY"))
            platforms.insert(waylandSession ? platforms.size() : 0, "xcb");
        QStringList shown;
        for (const char* name : {"DISPLAY", "WAYLAND_DISPLAY"})
            if (qEnvironmentVariableIsSet(name))
                shown << QString::fromLatin1(name) + u'=' + qEnvironmentVariable(name);
        display = shown.join(u", "_s);
    }
    // A platform may carry arguments after a colon ("offscreen:fontconfig").
    const bool offscreenAsked = std::any_of(platforms.begin(), platforms.end(),
                                            [](const QByteArray& p) { return p.split(':').first() == "offscreen"; });
    if (!offscreenAsked)
        qputenv("QT_QPA_PLATFORM", (platforms + QByteArrayList{"offscreen"}).join(';'));
    // The program writes nothing to the disk, QML's cache of the files it compiles included: a
    // build that compiles the window's QML when it loads would otherwise leave it in ~/.cache.
    qputenv("QML_DISABLE_DISK_CACHE", "1");
    HeldStandardError held;
    auto app = std::make_unique<QGuiApplication>(argc, argv);
    const QByteArray said = held.release();
    // Programs the window starts (the browser) get the environment as it was.
    if (requested.isEmpty())
        qunsetenv("QT_QPA_PLATFORM");
    else
        qputenv("QT_QPA_PLATFORM", requested);
    if (!offscreenAsked && QGuiApplication::platformName() == u"offscreen") {
        print(stderr, u"%1: the display could not be opened (%2); %3\n"_s.arg(command, display, instead));
        return nullptr;
    }
    write(stderr, said);
    return app;
}

// Lets pending events, layouts and paints happen for a while of real time.
void settle(std::chrono::milliseconds time)
{
    const QDeadlineTimer deadline(time);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
}

} // namespace

int runWindowCommand(int argc, char** argv)
{
    // Help needs no display.
    const bool wantsHelp = std::any_of(argv + 1, argv + argc, [](const char* a) {
        return std::strcmp(a, "--help") == 0 || std::strcmp(a, "-h") == 0;
    });
    if (wantsHelp && !displayAvailable())
        qputenv("QT_QPA_PLATFORM", "offscreen");
    else if (!displayAvailable()) {
        print(stderr, u"kabelwacht: no display is available; 'kabelwacht run' diagnoses without a window and "
                      u"'kabelwacht screenshot' renders the window to a PNG file.\n"_s);
        return 1;
    }
    // The program promises to write nothing; Mesa would otherwise keep its shader cache in the home folder.
    if (!qEnvironmentVariableIsSet("MESA_SHADER_CACHE_DISABLE"))
        qputenv("MESA_SHADER_CACHE_DISABLE", "true");
    const std::unique_ptr<QGuiApplication> opened = openGuiApplication(
        argc, argv, u"kabelwacht"_s,
        u"'kabelwacht run' diagnoses without a window and 'kabelwacht screenshot' renders the window to a PNG file."_s);
    if (!opened)
        return 1;
    QGuiApplication& app = *opened;
    setApplicationInfo();
    // Desktops match the window to its desktop entry, and so to its icon, by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(KABELWACHT_APP_ID));
    ui::useDefaultRenderer();
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Opens the diagnosis window."_s);
    const QCommandLineOption noSimulatorOption(u"no-simulator"_s,
                                               u"Leave out the window that plugs chargers into the simulated Mac."_s);
    const QCommandLineOption scriptOption(u"script"_s,
                                          u"A script to play in real time once the window is open (see docs/scripts.md)."_s,
                                          u"FILE"_s);
    parser.addOptions({helpOption(), machineOption(), fsRootOption(), noSimulatorOption, scriptOption});
    if (const auto status = parseOrExplain(parser, u"kabelwacht"_s))
        return *status;
    std::vector<diagnosis::script::Line> script;
    if (!readScriptOption(parser, scriptOption, u"kabelwacht"_s, script))
        return exitUsage;
    const std::optional<BackendChoice> chosen = backendOrExplain(parser, u"kabelwacht"_s);
    if (!chosen)
        return exitUsage;
    const BackendChoice& backend = *chosen;
    diagnosis::QtScheduler scheduler;
    ui::DesktopSystemServices services;
    ui::WindowSession session(scheduler, std::make_shared<probe::PlatformProbe>(*backend.platform), services);
    QString error;
    if (!session.load(error)) {
        print(stderr, u"kabelwacht: "_s + error + u'\n');
        return 1;
    }
    session.setNotice(backend.windowNotice());
    if (backend.simulatedMac && !parser.isSet(noSimulatorOption) && !session.showSimulator(backend.simulatedMac, error)) {
        print(stderr, u"kabelwacht: "_s + error + u'\n');
        return 1;
    }
    // Closing the diagnosis window ends the program, whatever the simulator window does.
    QObject::connect(session.window(), &QWindow::visibleChanged, &app, [&app](bool visible) {
        if (!visible)
            app.quit();
    });
    if (!script.empty()) {
        diagnosis::script::RealProgramTime time;
        const auto outcome = diagnosis::script::runScript(script, session.model(), backend.simulatedMac.get(), time);
        if (outcome.exitStatus != 0)
            print(stderr, u"kabelwacht: %1:%2\n"_s.arg(parser.value(scriptOption), outcome.message));
        if (outcome.quit)
            return 0;
    }
    return app.exec();
}

int runScreenshotCommand(int argc, char** argv)
{
    // Offscreen unless the caller chose a platform: screenshots need no display.
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::unique_ptr<QGuiApplication> opened = openGuiApplication(
        argc, argv, u"kabelwacht screenshot"_s, u"without QT_QPA_PLATFORM the window is rendered offscreen."_s);
    if (!opened)
        return 1;
    setApplicationInfo();
    const QCommandLineOption outOption(u"out"_s, u"Where to save the picture (PNG)."_s, u"FILE"_s);
    const QCommandLineOption scriptOption(u"script"_s, u"A script to run first, on virtual time (see docs/scripts.md)."_s,
                                          u"FILE"_s);
    const QCommandLineOption legalOption(u"legal"_s, u"Open the legal information sheet."_s);
    const QCommandLineOption sizeOption(u"size"_s, u"The window's size in points (default: 1080x740, at least 980x680)."_s,
                                        u"WIDTHxHEIGHT"_s);
    QCommandLineParser parser;
    parser.setApplicationDescription(u"Builds the window offscreen, runs a script and saves the window as a PNG."_s);
    parser.addOptions({helpOption(), outOption, machineOption(), fsRootOption(), scriptOption, legalOption, sizeOption});
    if (const auto status = parseOrExplain(parser, u"kabelwacht screenshot"_s, 1))
        return *status;
    if (!parser.isSet(outOption)) {
        print(stderr, u"kabelwacht screenshot: --out FILE.png is required. Run 'kabelwacht screenshot --help'.\n"_s);
        return exitUsage;
    }
    const QString out = parser.value(outOption);
    if (const QString refused = out.isEmpty() ? u"--out needs a file name"_s : probe::unwritableOutput(out);
        !refused.isEmpty()) {
        print(stderr, u"kabelwacht screenshot: "_s + refused + u'\n');
        return exitUsage;
    }
    QSize size(1080, 740);
    if (parser.isSet(sizeOption)) {
        const QStringList parts = parser.value(sizeOption).split(u'x');
        bool wide = false;
        bool high = false;
        if (parts.size() == 2)
            size = QSize(parts[0].toInt(&wide), parts[1].toInt(&high));
        if (!wide || !high || size.width() < 980 || size.height() < 680 || size.width() > 8192 || size.height() > 8192) {
            print(stderr, u"kabelwacht screenshot: --size %1: give WIDTHxHEIGHT in points, from 980x680 to 8192x8192\n"_s
                              .arg(parser.value(sizeOption)));
            return exitUsage;
        }
    }
    std::vector<diagnosis::script::Line> script;
    if (!readScriptOption(parser, scriptOption, u"kabelwacht screenshot"_s, script))
        return exitUsage;
    const std::optional<BackendChoice> chosen = backendOrExplain(parser, u"kabelwacht screenshot"_s);
    if (!chosen)
        return exitUsage;
    const BackendChoice& backend = *chosen;

    diagnosis::VirtualScheduler scheduler;
    diagnosis::RecordingSystemServices services;
    ui::WindowSession session(scheduler, std::make_shared<probe::PlatformProbe>(*backend.platform), services);
    QString error;
    if (!session.load(error, /*animations=*/false)) { // end states, not frames of a transition
        print(stderr, u"kabelwacht screenshot: "_s + error + u'\n');
        return 1;
    }
    session.setNotice(backend.windowNotice());
    session.window()->resize(size);
    settle(std::chrono::milliseconds(100));

    diagnosis::script::VirtualProgramTime time(scheduler);
    const auto outcome = diagnosis::script::runScript(script, session.model(), backend.simulatedMac.get(), time);
    if (outcome.exitStatus != 0) {
        print(stderr, u"kabelwacht screenshot: %1:%2\n"_s.arg(parser.value(scriptOption), outcome.message));
        return outcome.exitStatus;
    }
    if (parser.isSet(legalOption))
        session.setLegalSheetShown(true);
    settle(std::chrono::milliseconds(400));

    const QImage image = session.window()->grabWindow();
    QByteArray png;
    QBuffer buffer(&png);
    if (image.isNull() || !buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG")) {
        print(stderr, u"kabelwacht screenshot: %1: the picture could not be made\n"_s.arg(out));
        return 1;
    }
    // An older picture stays whole until the new one is complete.
    if (const QString failed = probe::writeWholeFile(out, png); !failed.isEmpty()) {
        print(stderr, u"kabelwacht screenshot: "_s + failed + u'\n');
        return 1;
    }
    return 0;
}

} // namespace kw::app
