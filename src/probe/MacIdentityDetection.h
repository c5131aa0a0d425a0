#pragma once

#include "model/MacIdentity.h"
#include "probe/Platform.h"

#include <cstdint>
#include <optional>

namespace kw::probe {

inline constexpr double systemProfilerTimeoutSeconds = 8.0;

std::optional<QString> readSysctlString(const KernelValues& kernel, const QString& name);
std::optional<std::int32_t> readSysctlInt32(const KernelValues& kernel, const QString& name);

// The standard output of a child that ended with status 0, if it is valid UTF-8.
std::optional<QString> runProcess(const ProcessLauncher& launcher, const QString& executablePath,
                                  const QStringList& arguments, double timeoutSeconds);

// Never fails: what cannot be read is replaced by a fixed fallback. Blocks for up to the time limit.
model::MacIdentity detectMacIdentity(const Platform& platform, double timeoutSeconds = systemProfilerTimeoutSeconds);

// The part of detection that reads system_profiler's output; exposed for tests and other backends.
void applyHardwareOverview(const QString& output, model::MacIdentity& identity);

} // namespace kw::probe
