#include "probe/HardwareProbe.h"

#include "probe/HardwareReportAssembly.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"

namespace kw::probe {

// Each operation sees the machine in one state, from one reading where the backend takes them.
model::HardwareReport PlatformProbe::buildHardwareReport() const
{
    const auto reading = holdReading(m_platform);
    return probe::buildHardwareReport(m_platform);
}

model::PowerSnapshot PlatformProbe::readPowerSnapshot() const
{
    const auto reading = holdReading(m_platform);
    return probe::readPowerSnapshot(*m_platform.power);
}

std::vector<model::PortObservation> PlatformProbe::observePorts(const std::vector<model::PortDescriptor>& ports) const
{
    const auto reading = holdReading(m_platform);
    return probe::observePorts(*m_platform.registry, ports);
}

} // namespace kw::probe
