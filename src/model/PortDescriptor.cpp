#include "model/PortDescriptor.h"

namespace kw::model {

std::size_t hashValue(const PortDescriptor& d)
{
    // All five fields, in the order of declaration.
    std::size_t seed = std::hash<RegistryEntryId>{}(d.id);
    seed = hashCombine(seed, canonicalHash(d.serviceClass));
    seed = hashCombine(seed, canonicalHash(d.registryPath));
    seed = hashCombine(seed, std::hash<std::int64_t>{}(d.sortHint));
    seed = hashCombine(seed, canonicalHash(d.debugSummary));
    return seed;
}

} // namespace kw::model
