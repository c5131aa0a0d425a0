#pragma once

#include "probe/backends/simulated/MachineDescription.h"

#include <QStringList>

namespace kw::probe {

// The machine files built into the program, by name (the file name without ".json").
QStringList catalogueMachineNames();
inline const QString defaultMachineName = QStringLiteral("macbookpro18-3");

// A path to a machine file, or the name of a catalogue machine.
MachineLoadResult loadMachine(const QString& pathOrName);

} // namespace kw::probe
