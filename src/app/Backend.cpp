#include "app/Backend.h"

#include "probe/backends/simulated/MachineCatalogue.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <QCoreApplication>
#include <QFileInfo>

namespace kw::app {

using namespace Qt::StringLiterals;

namespace {

// Beside the program in a build tree; in libexec when installed.
QString profilerHelperPath()
{
    const QString dir = QCoreApplication::applicationDirPath();
    for (const QString& candidate : {dir + u"/kabelwacht-system-profiler"_s,
                                     dir + u"/../libexec/kabelwacht/kabelwacht-system-profiler"_s}) {
        if (QFileInfo(candidate).isExecutable())
            return QFileInfo(candidate).canonicalFilePath();
    }
    return dir + u"/kabelwacht-system-profiler"_s;
}

} // namespace

BackendChoice chooseBackend(const QString& machine)
{
    probe::MachineLoadResult loaded = probe::loadMachine(machine.isEmpty() ? probe::defaultMachineName : machine);
    if (!loaded.machine)
        return {std::nullopt, nullptr, loaded.error};
    auto mac = probe::SimulatedMac::create(std::move(*loaded.machine), profilerHelperPath());
    return {mac->platform(), mac, {}};
}

} // namespace kw::app
