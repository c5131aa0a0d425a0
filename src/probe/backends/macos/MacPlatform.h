#pragma once

#include "probe/Platform.h"

namespace kw::probe {

// The Mac this program runs on: I/O Kit's registry, the power sources, sysctlbyname and the real
// /usr/sbin/system_profiler. Every call asks the system anew.
Platform macPlatform();

} // namespace kw::probe
