#include "probe/backends/macos/MacPlatform.h"

#include "probe/ChildProcess.h"
#include "probe/backends/macos/MacKernelValues.h"
#include "probe/backends/macos/MacPowerSources.h"
#include "probe/backends/macos/MacRegistry.h"

namespace kw::probe {

Platform macPlatform()
{
    return {QStringLiteral("macOS I/O Kit"), std::make_shared<MacKernelValues>(),
            std::make_shared<PosixProcessLauncher>(), std::make_shared<MacRegistry>(),
            std::make_shared<MacPowerSources>(), nullptr};
}

} // namespace kw::probe
