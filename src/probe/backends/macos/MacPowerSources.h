#pragma once

#include "probe/Platform.h"

namespace kw::probe {

// The power sources through IOPSCopyPowerSourcesInfo and IOPSCopyExternalPowerAdapterDetails.
class MacPowerSources final : public PowerSources {
public:
    std::optional<QString> providingPowerSourceType() const override;
    std::optional<PropertyDictionary> externalAdapterDetails() const override;
};

} // namespace kw::probe
