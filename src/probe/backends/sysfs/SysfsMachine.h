#pragma once

#include "probe/backends/simulated/MachineDescription.h"

#include <QString>

namespace kw::probe {

// Reads what Linux publishes about the machine's USB-C ports, their partners and the power supplies
// (sysfs, the device tree, DMI) and describes it in the registry's terms: one port-controller entry
// per Type-C port, a PD partner under its "CC" child, a power source under its "Power In" child while
// the port supplies the machine. root is "/" on a live system, or a recorded tree.
MachineDescription readSysfsMachine(const QString& root);

// Whether the tree under root has Type-C ports at all.
bool hasTypecPorts(const QString& root);

// A machine whose port controllers would be judged (Apple silicon, or another arm64 machine) but
// whose kernel publishes no Type-C ports (the driver is missing or not loaded): they cannot be
// judged from here.
bool portDataUnavailable(const QString& root);

} // namespace kw::probe
