#pragma once

#include "probe/PropertyValue.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <chrono>
#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

namespace kw::probe {

using Seconds = std::chrono::duration<double>;

/// Kernel values looked up by name (sysctlbyname on macOS).
class KernelValues {
public:
    virtual ~KernelValues() = default;
    /// The raw bytes of the value, as the kernel would copy them out: a string with its
    /// terminating zero byte, an integer in host byte order. Absent when the name is unknown.
    virtual std::optional<QByteArray> read(const QString& name) const = 0;
};

/// How a child process ended.
struct ChildExit {
    bool exitedNormally = false; // false when it ended by a signal
    int status = -1;             // exit status, or the signal number
    QByteArray standardOutput;
};

/// Starts child processes (no shell is involved).
class ProcessLauncher {
public:
    virtual ~ProcessLauncher() = default;
    /// Runs the executable with the arguments until it ends or the timeout passes; absent when it
    /// cannot be started. A child still running at the deadline is stopped and counts as signalled.
    virtual std::optional<ChildExit> run(const QString& executablePath, const QStringList& arguments,
                                         Seconds timeout) const = 0;
};

/// An opaque reference to one registry entry, valid for as long as the entry exists.
struct RegistryEntry {
    std::uint64_t token = 0;
    friend bool operator==(RegistryEntry, RegistryEntry) = default;
};

/// One descendant of an entry, as a walk over its subtree reads it.
struct DescendantReading {
    std::optional<QString> className;
    std::optional<PropertyDictionary> properties;
};

/// The I/O registry, read through the IOService plane.
class Registry {
public:
    virtual ~Registry() = default;
    /// Services whose class is the given class or a subclass of it; absent when matching fails.
    virtual std::optional<std::vector<RegistryEntry>> matchingServices(const QString& className) const = 0;
    /// The entry with the given registry entry ID, if it (still) exists.
    virtual std::optional<RegistryEntry> entryWithId(std::uint64_t id) const = 0;
    virtual std::optional<std::uint64_t> entryId(RegistryEntry entry) const = 0;
    virtual std::optional<QString> className(RegistryEntry entry) const = 0;
    /// The entry's path in the IOService plane.
    virtual std::optional<QString> path(RegistryEntry entry) const = 0;
    virtual std::optional<PropertyDictionary> properties(RegistryEntry entry) const = 0;
    /// All descendants in the IOService plane (children, their children, …), parents before
    /// children; not the entry itself. Absent when the iteration cannot be created.
    virtual std::optional<std::vector<RegistryEntry>> descendants(RegistryEntry entry) const = 0;
    /// Each descendant's class and properties, in the order of descendants(). A backend overrides it
    /// where a descendant cannot be found again by itself (I/O Kit finds only registered services).
    virtual std::optional<std::vector<DescendantReading>> readDescendants(RegistryEntry entry) const
    {
        const auto found = descendants(entry);
        if (!found)
            return std::nullopt;
        std::vector<DescendantReading> readings;
        for (RegistryEntry d : *found)
            readings.push_back({className(d), properties(d)});
        return readings;
    }
    /// Whether the system publishes its USB-C ports here at all. Not so where the operating system
    /// lacks the driver for them (Linux on a Mac without its Type-C driver): missing port
    /// controllers then say nothing about the hardware.
    virtual bool publishesPortData() const { return true; }
};

/// The machine's power sources.
class PowerSources {
public:
    virtual ~PowerSources() = default;
    /// The type of the source now supplying the machine ("AC Power", "Battery Power", …).
    virtual std::optional<QString> providingPowerSourceType() const = 0;
    /// The connected external adapter's details; absent when no adapter is connected.
    virtual std::optional<PropertyDictionary> externalAdapterDetails() const = 0;
};

/// A backend that reads the machine in one piece (a tree of files) rather than asking the system
/// call by call. While a hold is kept, every call made on the same thread is answered from one
/// reading, taken when the hold began, however long the work takes.
class Readings {
public:
    virtual ~Readings() = default;
    virtual std::shared_ptr<void> hold() const = 0;
};

/// Everything the probe may ask of the operating system. Chosen once at start-up and passed in.
struct Platform {
    QString backendName;
    std::shared_ptr<const KernelValues> kernel;
    std::shared_ptr<const ProcessLauncher> processes;
    std::shared_ptr<const Registry> registry;
    std::shared_ptr<const PowerSources> power;
    std::shared_ptr<const Readings> readings; // absent when every call asks the system anew
};

/// One reading for the length of a probe operation (see Readings); nothing to keep on a live system.
inline std::shared_ptr<void> holdReading(const Platform& platform)
{
    return platform.readings ? platform.readings->hold() : nullptr;
}

} // namespace kw::probe
