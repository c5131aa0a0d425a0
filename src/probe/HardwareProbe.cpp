#include "probe/HardwareProbe.h"

#include "probe/HardwareReportAssembly.h"
#include "probe/PortObserver.h"
#include "probe/PowerSnapshotReader.h"

namespace kw::probe {

model::HardwareReport PlatformProbe::buildHardwareReport() const { return probe::buildHardwareReport(m_platform); }

model::PowerSnapshot PlatformProbe::readPowerSnapshot() const { return probe::readPowerSnapshot(*m_platform.power); }

std::vector<model::PortObservation> PlatformProbe::observePorts(const std::vector<model::PortDescriptor>& ports) const
{
    return probe::observePorts(*m_platform.registry, ports);
}

} // namespace kw::probe
