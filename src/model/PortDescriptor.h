#pragma once

#include "model/Text.h"

#include <QString>

#include <cstdint>
#include <functional>

namespace kw::model {

using RegistryEntryId = std::uint64_t;

// One port-controller service; stands for one physical USB-C port.
struct PortDescriptor {
    RegistryEntryId id = 0;
    QString serviceClass;
    QString registryPath;
    std::int64_t sortHint = 0;
    QString debugSummary;

    friend bool operator==(const PortDescriptor& a, const PortDescriptor& b)
    {
        return a.id == b.id && canonicallyEqual(a.serviceClass, b.serviceClass)
            && canonicallyEqual(a.registryPath, b.registryPath) && a.sortHint == b.sortHint
            && canonicallyEqual(a.debugSummary, b.debugSummary);
    }
};

std::size_t hashValue(const PortDescriptor& descriptor);

} // namespace kw::model

template <>
struct std::hash<kw::model::PortDescriptor> {
    std::size_t operator()(const kw::model::PortDescriptor& d) const noexcept { return kw::model::hashValue(d); }
};
