#pragma once

#include <QString>

namespace kw::probe {

// Copies what the Linux backend reads (the Type-C and power-supply classes with their symlinks and
// the devices behind them, DMI identity, the device tree's compatible and model) from root into out,
// so the tree can be sent and replayed with --fs-root. Returns an error message, or empty.
QString recordSysfs(const QString& root, const QString& out);

} // namespace kw::probe
