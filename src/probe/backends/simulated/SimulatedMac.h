#pragma once

#include "probe/Platform.h"
#include "probe/backends/simulated/MachineDescription.h"

#include <memory>
#include <mutex>

namespace kw::probe {

// A Mac that exists only as a machine file: a real backend of the platform interface, read by the
// probe exactly like the operating system. Thread-safe: the probe reads it from background threads
// while hardware actions change it from the main thread.
class SimulatedMac final : public KernelValues,
                           public ProcessLauncher,
                           public Registry,
                           public PowerSources,
                           public std::enable_shared_from_this<SimulatedMac> {
public:
    // profilerHelperPath: the helper program that prints the machine's hardware overview.
    static std::shared_ptr<SimulatedMac> create(MachineDescription machine, QString profilerHelperPath);

    Platform platform();
    MachineDescription snapshot() const;

    // KernelValues
    std::optional<QByteArray> read(const QString& name) const override;
    // ProcessLauncher
    std::optional<ChildExit> run(const QString& executablePath, const QStringList& arguments,
                                 Seconds timeout) const override;
    // Registry
    std::optional<std::vector<RegistryEntry>> matchingServices(const QString& className) const override;
    std::optional<RegistryEntry> entryWithId(std::uint64_t id) const override;
    std::optional<std::uint64_t> entryId(RegistryEntry entry) const override;
    std::optional<QString> className(RegistryEntry entry) const override;
    std::optional<QString> path(RegistryEntry entry) const override;
    std::optional<PropertyDictionary> properties(RegistryEntry entry) const override;
    std::optional<std::vector<RegistryEntry>> descendants(RegistryEntry entry) const override;
    // PowerSources
    std::optional<QString> providingPowerSourceType() const override;
    std::optional<PropertyDictionary> externalAdapterDetails() const override;

    static inline const QString systemProfilerPath = QStringLiteral("/usr/sbin/system_profiler");

private:
    SimulatedMac(MachineDescription machine, QString profilerHelperPath);
    const MachineEntry* entryLocked(RegistryEntry entry) const;
    bool isKindOfLocked(const QString& className, const QString& wanted) const;

    mutable std::mutex m_mutex;
    MachineDescription m_machine;
    const QString m_profilerHelperPath;
};

} // namespace kw::probe
