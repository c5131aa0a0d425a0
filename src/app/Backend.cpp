#include "app/Backend.h"

#include "probe/backends/simulated/MachineCatalogue.h"
#include "probe/backends/simulated/SimulatedMac.h"
#include "probe/backends/sysfs/SysfsMachine.h"
#include "probe/backends/sysfs/SysfsPlatform.h"
#if defined(Q_OS_MACOS)
#include "probe/backends/macos/MacPlatform.h"
#endif

#include <QCoreApplication>
#include <QFileInfo>

namespace kw::app {

using namespace Qt::StringLiterals;

namespace {

// Beside the program in a build tree; in libexec when installed.
QString profilerHelperPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    QStringList candidates{dir + u"/kabelwacht-system-profiler"_s,
                           dir + u"/../libexec/kabelwacht/kabelwacht-system-profiler"_s};
#if defined(Q_OS_MACOS)
    candidates << dir + u"/../../../kabelwacht-system-profiler"_s; // beside Kabelwacht.app in a build tree
#endif
    for (const QString& candidate : candidates) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return dir + u"/kabelwacht-system-profiler"_s;
}

} // namespace

BackendChoice chooseBackend(const QString& machine, const QString& fsRoot)
{
#if defined(Q_OS_MACOS)
    // On a Mac the machine itself answers; a machine file or a recorded tree is still read as asked.
    if (machine.isEmpty() && fsRoot.isEmpty())
        return {probe::macPlatform(), nullptr, {}};
#endif
    if (machine.isEmpty() && !fsRoot.isEmpty()) {
        if (!QFileInfo(fsRoot + u"/sys"_s).isDir())
            return {std::nullopt, nullptr, u"%1: not a recorded tree (it has no sys folder)"_s.arg(fsRoot)};
        if (const QString refused = probe::typecPortsProblem(fsRoot, fsRoot + u":"_s); !refused.isEmpty())
            return {std::nullopt, nullptr, refused};
        BackendChoice choice{probe::SysfsPlatform::create(fsRoot, profilerHelperPath())->platform(), nullptr, {}};
        choice.portDataUnavailable = probe::portDataUnavailable(fsRoot);
        return choice;
    }
    if (machine.isEmpty() && probe::hasTypecPorts(u"/"_s)) {
        if (const QString refused = probe::typecPortsProblem(u"/"_s, u"This computer"_s); !refused.isEmpty())
            return {std::nullopt, nullptr, refused};
        return {probe::SysfsPlatform::create(u"/"_s, profilerHelperPath())->platform(), nullptr, {}};
    }
    probe::MachineLoadResult loaded = probe::loadMachine(machine.isEmpty() ? probe::defaultMachineName : machine);
    if (!loaded.machine)
        return {std::nullopt, nullptr, loaded.error};
    auto mac = probe::SimulatedMac::create(std::move(*loaded.machine), profilerHelperPath());
    return {mac->platform(), mac, {}, machine.isEmpty()};
}

QString BackendChoice::windowNotice() const
{
    if (simulationFallback)
        return u"Simulation: Dieser Computer meldet keine USB-C Anschlüsse"_s;
    if (portDataUnavailable)
        return u"Linux meldet keine USB-C Anschlussdaten – nur Ladetest"_s;
    return {};
}

} // namespace kw::app
