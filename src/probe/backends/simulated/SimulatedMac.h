#pragma once

#include "probe/Platform.h"
#include "probe/backends/simulated/MachineDescription.h"

#include <functional>
#include <memory>
#include <mutex>
#include <unordered_map>

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
    QString title() const;

    // Hardware actions: they change the machine the way real hardware of its family does, so the
    // probe sees them through the ordinary platform calls. Each returns an error message, or an
    // empty string when it worked. USB-C sockets are numbered from 1.
    QString plugCharger(int socket, int watts);
    QString plugMagSafeCharger(int watts);
    QString plugPdDevice(int socket); // a hub or display adapter: talks Power Delivery, supplies no power
    QString unplug(int socket);
    QString unplugMagSafe();
    void unplugAll();
    QString breakSocket(int socket); // from now on a charger there delivers nothing
    // Wears socket N out (a failing CC contact): from now on a charger there brings 5 V without Power
    // Delivery. Machines that publish power sources show the Type-C source instead of a PD partner;
    // the others show the same as before, only with the adapter's lower watts.
    QString weakenSocket(int socket);

    enum class Plugged { nothing, charger, pdDevice };
    struct SocketState {
        MachineSocket socket;
        Plugged plugged = Plugged::nothing;
        int watts = 0;
        bool broken = false;
        bool worn = false;
    };
    std::vector<SocketState> socketStates() const;
    // Called (on the acting thread, outside the lock) after every action that changed something.
    void setChangeListener(std::function<void()> listener);

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
    bool publishesPortData() const override;
    // PowerSources
    std::optional<QString> providingPowerSourceType() const override;
    std::optional<PropertyDictionary> externalAdapterDetails() const override;

    static inline const QString systemProfilerPath = QStringLiteral("/usr/sbin/system_profiler");

private:
    struct Connection {
        Plugged plugged = Plugged::nothing;
        int watts = 0;
        bool broken = false;
        bool worn = false;
        std::vector<std::uint64_t> addedEntries;
    };

    SimulatedMac(MachineDescription machine, QString profilerHelperPath);
    void plugLocked(std::size_t socketIndex, Plugged what, int watts);
    // Finds the socket (a USB-C number; MagSafe when absent) and changes it under the lock, then tells
    // the listener; an error message when the machine has no such socket.
    QString changeSocket(std::optional<int> usbC, const std::function<void(std::size_t)>& change);
    void disconnectLocked(std::size_t socketIndex);
    void applyConnectionLocked(std::size_t socketIndex);
    void publishFallbackPowerLocked(std::size_t socketIndex, const PropertyDictionary& portProperties);
    void updatePowerLocked();
    std::uint64_t addEntryLocked(std::uint64_t parent, const QString& className, const QString& name,
                                 PropertyDictionary properties);
    void removeEntryLocked(std::uint64_t id);
    std::optional<std::uint64_t> childNamedLocked(std::uint64_t parent, const QString& name) const;
    std::optional<std::size_t> usbCSocketIndex(int number) const;
    std::optional<std::size_t> magSafeSocketIndex() const;
    void notifyChanged();

    const MachineEntry* entryLocked(RegistryEntry entry) const;
    // known: answers for classes met before in the same search, shared along each chain.
    bool isKindOfLocked(const QString& className, const QString& wanted,
                        std::unordered_map<QString, bool>* known = nullptr) const;

    mutable std::mutex m_mutex;
    MachineDescription m_machine;
    std::vector<Connection> m_connections; // one per socket, in the machine file's order
    std::uint64_t m_nextEntryId = 0;
    std::optional<QString> m_restingPowerType; // with nothing plugged in: battery, or mains for a desktop
    const QString m_profilerHelperPath;
    std::mutex m_listenerMutex;
    std::function<void()> m_changeListener;
};

} // namespace kw::probe
