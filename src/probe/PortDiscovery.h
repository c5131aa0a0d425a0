#pragma once

#include "model/PortDescriptor.h"
#include "probe/Platform.h"

#include <QStringList>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace kw::probe {

// Per-port USB-C controller classes, in search order.
const QStringList& portControllerClassNames();
// Generic USB host and Thunderbolt controller classes.
const QStringList& systemControllerClassNames();
// Property keys that may hold a port's number, in the order they are tried.
const QStringList& portNumberKeys();

inline constexpr std::int64_t fallbackSortHintBase = 10000;

std::vector<model::PortDescriptor> discoverPortDescriptors(const Registry& registry);
std::int64_t portSortHint(const PropertyDictionary& properties, std::int64_t fallbackIndex);
std::int64_t countServices(const Registry& registry, const QStringList& classNames);

// Port order: sort hint ascending, then registry path in Unicode scalar order.
bool portOrderPrecedes(const model::PortDescriptor& a, const model::PortDescriptor& b);

template <typename T, typename Key>
void sortInPortOrder(std::vector<T>& items, Key descriptorOf)
{
    std::stable_sort(items.begin(), items.end(),
                     [&](const T& a, const T& b) { return portOrderPrecedes(descriptorOf(a), descriptorOf(b)); });
}

inline void sortInPortOrder(std::vector<model::PortDescriptor>& descriptors)
{
    sortInPortOrder(descriptors, [](const model::PortDescriptor& d) -> const model::PortDescriptor& { return d; });
}

} // namespace kw::probe
