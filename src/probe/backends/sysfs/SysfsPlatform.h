#pragma once

#include "probe/Platform.h"
#include "probe/backends/sysfs/SysfsMachine.h"

#include <QString>

#include <map>
#include <memory>
#include <mutex>
#include <thread>

namespace kw::probe {

class SimulatedMac;

// The machine the program runs on, read from sysfs. Each probe operation holds one reading for its
// whole length (Readings), so it reads each file once and sees one consistent state, however long
// it takes; a call made without a hold takes a reading of its own.
class SysfsPlatform final : public KernelValues,
                            public ProcessLauncher,
                            public Registry,
                            public PowerSources,
                            public Readings,
                            public std::enable_shared_from_this<SysfsPlatform> {
public:
    // root: "/" for the live system, or a tree recorded from one; profilerHelperPath hands out the
    // hardware overview built from the readings.
    static std::shared_ptr<SysfsPlatform> create(QString root, QString profilerHelperPath);
    Platform platform();

    std::optional<QByteArray> read(const QString& name) const override;
    std::optional<ChildExit> run(const QString& executablePath, const QStringList& arguments,
                                 Seconds timeout) const override;
    std::optional<std::vector<RegistryEntry>> matchingServices(const QString& className) const override;
    std::optional<RegistryEntry> entryWithId(std::uint64_t id) const override;
    std::optional<std::uint64_t> entryId(RegistryEntry entry) const override;
    std::optional<QString> className(RegistryEntry entry) const override;
    std::optional<QString> path(RegistryEntry entry) const override;
    std::optional<PropertyDictionary> properties(RegistryEntry entry) const override;
    std::optional<std::vector<RegistryEntry>> descendants(RegistryEntry entry) const override;
    bool publishesPortData() const override;
    std::optional<QString> providingPowerSourceType() const override;
    std::optional<PropertyDictionary> externalAdapterDetails() const override;
    std::shared_ptr<void> hold() const override;

private:
    struct Held {
        std::shared_ptr<SimulatedMac> reading;
        int holds = 0;
    };

    SysfsPlatform(QString root, QString profilerHelperPath);
    std::shared_ptr<SimulatedMac> takeReading() const;
    std::shared_ptr<SimulatedMac> current() const;
    void release(std::thread::id thread) const;

    const QString m_root;
    const QString m_profilerHelperPath;
    const SysfsFixedFacts m_fixed;
    mutable std::mutex m_mutex;
    mutable std::map<std::thread::id, Held> m_held; // the reading each thread holds
};

} // namespace kw::probe
