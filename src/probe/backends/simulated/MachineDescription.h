#pragma once

#include "probe/PropertyValue.h"
#include "probe/backends/simulated/MachineLimits.h"

#include <QByteArray>
#include <QJsonDocument>
#include <QString>

#include <cstdint>
#include <map>
#include <optional>
#include <unordered_map>
#include <variant>
#include <vector>

namespace kw::probe {

struct MachineEntry {
    std::uint64_t id = 0;
    QString className;
    QString name;
    QString location;
    PropertyDictionary properties;
    std::optional<std::uint64_t> parent;
    std::vector<std::uint64_t> children;
};

struct MachineSocket {
    enum class Kind { usbC, magSafe };
    Kind kind = Kind::usbC;
    int number = 0; // from 1 for USB-C; 0 for MagSafe
    QString label;
    std::optional<std::uint64_t> entry; // the port controller behind it, if the machine publishes one
};

// Everything a machine file says about one Mac.
struct MachineDescription {
    QString title;
    QString origin;
    std::map<QString, std::variant<QString, std::int64_t>> kernelValues;
    std::optional<QByteArray> hardwareOverviewOutput; // absent: the tool cannot be started
    int hardwareOverviewExitStatus = 0;
    double hardwareOverviewDelaySeconds = 0;
    std::map<QString, QString> superclasses;
    std::uint64_t rootId = 0;
    std::unordered_map<std::uint64_t, MachineEntry> entries;
    std::optional<QString> providingPowerType;
    std::optional<PropertyDictionary> adapterDetails;
    bool publishesPowerSourceFeatures = false;
    std::vector<MachineSocket> sockets;
    // Set by the Linux backend for a machine whose kernel publishes no Type-C ports; no machine file has it.
    bool portDataUnavailable = false;
};

struct MachineLoadResult {
    std::optional<MachineDescription> machine;
    QString error; // "FILE: PLACE: PROBLEM" when machine is absent
};

MachineLoadResult parseMachineFile(const QByteArray& json, const QString& fileName);
// What the stand-in for system_profiler prints for a "hardwareOverview" document.
QByteArray hardwareOverviewOutput(const QJsonDocument& document);
MachineLoadResult loadMachineFile(const QString& path);

} // namespace kw::probe
