#include "probe/backends/macos/MacPowerSources.h"

#include "probe/backends/macos/MacCoreFoundation.h"

#include <IOKit/ps/IOPSKeys.h>
#include <IOKit/ps/IOPowerSources.h>

namespace kw::probe {

using mac::CFHolder;

std::optional<QString> MacPowerSources::providingPowerSourceType() const
{
    const CFHolder<CFTypeRef> snapshot(IOPSCopyPowerSourcesInfo());
    if (!snapshot)
        return std::nullopt;
    // Not ours to release: it lives as long as the snapshot.
    const CFStringRef type = IOPSGetProvidingPowerSourceType(snapshot.get());
    if (!type || CFGetTypeID(type) != CFStringGetTypeID())
        return std::nullopt;
    return mac::toQString(type);
}

std::optional<PropertyDictionary> MacPowerSources::externalAdapterDetails() const
{
    const CFHolder<CFDictionaryRef> details(IOPSCopyExternalPowerAdapterDetails());
    if (!details || CFGetTypeID(details.get()) != CFDictionaryGetTypeID())
        return std::nullopt; // no adapter
    return mac::toPropertyDictionary(details.get());
}

} // namespace kw::probe
