#pragma once

#include "probe/Platform.h"

namespace kw::probe {

// The I/O registry through I/O Kit. An entry is known by its registry entry ID: every call finds it
// again, asks, and releases it before returning, so nothing is held between calls.
class MacRegistry final : public Registry {
public:
    std::optional<std::vector<RegistryEntry>> matchingServices(const QString& className) const override;
    std::optional<RegistryEntry> entryWithId(std::uint64_t id) const override;
    std::optional<std::uint64_t> entryId(RegistryEntry entry) const override;
    std::optional<QString> className(RegistryEntry entry) const override;
    std::optional<QString> path(RegistryEntry entry) const override;
    std::optional<PropertyDictionary> properties(RegistryEntry entry) const override;
    std::optional<std::vector<RegistryEntry>> descendants(RegistryEntry entry) const override;
    std::optional<std::vector<DescendantReading>> readDescendants(RegistryEntry entry) const override;
};

} // namespace kw::probe
