#pragma once

#include "probe/PropertyValue.h"

#include <QtGlobal>

#include <cstddef>

namespace kw::probe {

// The limits of a machine file. The loader refuses what breaks them, and the import refuses to write
// it, so that whatever the import writes loads.

inline constexpr qint64 maxMachineFileBytes = 64 * 1024 * 1024;
// Entries below the root, the root being level 1.
inline constexpr int maxRegistryDepth = 128;
// Every entry counts, the root too (also a root the import makes up for a subset).
inline constexpr std::size_t maxRegistryEntries = 200'000;
// A property dictionary (an entry's, the adapter's details) is level 1 and each value one level
// deeper than what holds it; no value may lie deeper than maxPropertyDepth (from PropertyValue.h,
// where the algorithms stop too). Dictionary keys must not begin with $, which marks typed values.
inline constexpr int machinePropertyDepth = maxPropertyDepth;
// The overview travels to the helper process in its environment, which limits one value's size;
// counted as the loader writes the document out (indented).
inline constexpr qsizetype maxHardwareOverviewBytes = 64 * 1024;
// The document is level 1; what system_profiler prints nests three or four levels.
inline constexpr int maxHardwareOverviewDepth = 64;

} // namespace kw::probe
