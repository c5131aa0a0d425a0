// Holds the window on one screen, its animations running, until it is killed, so that
// scripts/measure-performance can measure what that screen costs from outside.
//
//   kabelwacht-hold-screen SCRIPT [MACHINE]
//
// The script (docs/screens/*.script) brings the diagnosis to the screen on virtual time, which then
// stands still: the screen stays as long as the measurement needs, while the window animates on real
// time, exactly as the program's own window would.
#include "diagnosis/SystemServices.h"
#include "diagnosis/VirtualScheduler.h"
#include "diagnosis/script/ScriptRunner.h"
#include "probe/backends/simulated/MachineCatalogue.h"
#include "probe/backends/simulated/SimulatedMac.h"
#include "ui/WindowSession.h"

#include <QFile>
#include <QGuiApplication>
#include <QtQml/qqmlextensionplugin.h>

#include <cstdio>

Q_IMPORT_QML_PLUGIN(KabelwachtPlugin)

using namespace kw;

int main(int argc, char** argv)
{
    ui::useDefaultRenderer();
    QGuiApplication app(argc, argv);
    const QStringList arguments = app.arguments();
    if (arguments.size() < 2 || arguments.size() > 3) {
        std::fprintf(stderr, "usage: kabelwacht-hold-screen SCRIPT [MACHINE]\n");
        return 2;
    }
    QFile file(arguments[1]);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "kabelwacht-hold-screen: %s: cannot be read\n", qPrintable(arguments[1]));
        return 2;
    }
    const auto parsed = diagnosis::script::parseScript(QString::fromUtf8(file.readAll()));
    if (!parsed.error.isEmpty()) {
        std::fprintf(stderr, "kabelwacht-hold-screen: %s\n", qPrintable(parsed.error));
        return 2;
    }
    auto loaded = probe::loadMachine(arguments.size() == 3 ? arguments[2] : probe::defaultMachineName);
    if (!loaded.machine) {
        std::fprintf(stderr, "kabelwacht-hold-screen: %s\n", qPrintable(loaded.error));
        return 2;
    }
    auto mac = probe::SimulatedMac::create(std::move(*loaded.machine),
                                           QCoreApplication::applicationDirPath() + QStringLiteral("/kabelwacht-system-profiler"));
    diagnosis::VirtualScheduler scheduler;
    diagnosis::RecordingSystemServices services;
    ui::WindowSession session(scheduler, std::make_shared<probe::PlatformProbe>(mac->platform()), services);
    QString error;
    if (!session.load(error)) {
        std::fprintf(stderr, "kabelwacht-hold-screen: %s\n", qPrintable(error));
        return 1;
    }
    diagnosis::script::VirtualProgramTime time(scheduler);
    const auto outcome = diagnosis::script::runScript(parsed.lines, session.model(), mac.get(), time);
    if (outcome.exitStatus != 0) {
        std::fprintf(stderr, "kabelwacht-hold-screen: %s\n", qPrintable(outcome.message));
        return outcome.exitStatus;
    }
    return app.exec();
}
