#pragma once

#include "probe/backends/simulated/MachineDescription.h"

#include <QString>

#include <cstdint>
#include <optional>
#include <utility>
#include <vector>

namespace kw::probe {

// What stays the same while the program runs: the machine's identity (device tree or DMI, and the
// architecture) and its generic controllers (xHCI hosts, Thunderbolt/USB4 domains, by class and name).
struct SysfsFixedFacts {
    QString model;
    QString marketingName;
    QString chip;
    bool appleSilicon = false;
    std::optional<std::int64_t> arm64;
    std::vector<std::pair<QString, QString>> genericControllers;
};
SysfsFixedFacts readSysfsFixedFacts(const QString& root);

// Reads what Linux publishes about the machine's USB-C ports, their partners and the power supplies
// (sysfs, the device tree, DMI) and describes it in the registry's terms: one port-controller entry
// per Type-C port, a PD partner under its "CC" child, a power source under its "Power In" child while
// the port supplies the machine. root is "/" on a live system, or a recorded tree.
MachineDescription readSysfsMachine(const QString& root);
// The same with the fixed facts read before, as a poll does: it reads only what can change.
MachineDescription readSysfsMachine(const QString& root, const SysfsFixedFacts& fixed);

// Whether the tree under root has Type-C ports at all, and how many.
bool hasTypecPorts(const QString& root);
qsizetype typecPortCount(const QString& root);

// No computer has more Type-C ports than this; a tree with more is not a computer's, and is refused
// rather than read (a reading covers at most the first of them).
inline constexpr qsizetype maxTypecPorts = 64;
// Why a tree is refused for its Type-C ports; empty when it is not. where: how to name the tree.
QString typecPortsProblem(const QString& root, const QString& where);

// A machine whose port controllers would be judged (Apple silicon, or another arm64 machine) but
// whose kernel publishes no Type-C ports (the driver is missing or not loaded): they cannot be
// judged from here.
bool portDataUnavailable(const QString& root);

} // namespace kw::probe
