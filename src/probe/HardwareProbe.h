#pragma once

#include "model/HardwareReport.h"
#include "model/PortObservation.h"
#include "model/PowerSnapshot.h"
#include "probe/Platform.h"

#include <vector>

namespace kw::probe {

/// The three probe operations the diagnosis calls. Each blocks; each may be called from any thread.
class HardwareProbe {
public:
    virtual ~HardwareProbe() = default;
    virtual model::HardwareReport buildHardwareReport() const = 0;
    virtual model::PowerSnapshot readPowerSnapshot() const = 0;
    virtual std::vector<model::PortObservation> observePorts(const std::vector<model::PortDescriptor>& ports) const = 0;
};

// The probe algorithms over a platform backend.
class PlatformProbe final : public HardwareProbe {
public:
    explicit PlatformProbe(Platform platform) : m_platform(std::move(platform)) {}
    model::HardwareReport buildHardwareReport() const override;
    model::PowerSnapshot readPowerSnapshot() const override;
    std::vector<model::PortObservation> observePorts(const std::vector<model::PortDescriptor>& ports) const override;

private:
    const Platform m_platform;
};

} // namespace kw::probe
