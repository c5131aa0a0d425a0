#pragma once

#include "probe/backends/simulated/MachineDescription.h"

#include <QStringList>

namespace kw::probe {

// The machine files built into the program, by name (the file name without ".json").
QStringList catalogueMachineNames();
inline const QString defaultMachineName = QStringLiteral("macbookpro18-3");

// The name of a catalogue machine, or a path to a machine file. A catalogue name wins over a file of
// the same name in the working folder, which is given as ./NAME.
MachineLoadResult loadMachine(const QString& pathOrName);

} // namespace kw::probe
