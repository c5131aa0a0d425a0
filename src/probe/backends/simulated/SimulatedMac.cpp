#include "probe/backends/simulated/SimulatedMac.h"

#include "probe/ChildProcess.h"

#include <cstring>

namespace kw::probe {

using namespace Qt::StringLiterals;

std::shared_ptr<SimulatedMac> SimulatedMac::create(MachineDescription machine, QString profilerHelperPath)
{
    return std::shared_ptr<SimulatedMac>(new SimulatedMac(std::move(machine), std::move(profilerHelperPath)));
}

SimulatedMac::SimulatedMac(MachineDescription machine, QString profilerHelperPath)
    : m_machine(std::move(machine)), m_connections(m_machine.sockets.size()),
      m_profilerHelperPath(std::move(profilerHelperPath))
{
    std::uint64_t highest = 0;
    for (const auto& [id, entry] : m_machine.entries)
        highest = std::max(highest, id);
    // Entries that appear later get fresh IDs, as the registry hands out.
    m_nextEntryId = highest + 0x100;
    // A machine on mains power without an adapter is a desktop; anything else runs on its battery
    // once every charger is out.
    m_restingPowerType = m_machine.adapterDetails ? std::optional(u"Battery Power"_s) : m_machine.providingPowerType;
}

Platform SimulatedMac::platform()
{
    auto self = shared_from_this();
    return {u"simulated Mac: %1"_s.arg(m_machine.title), self, self, self, self, nullptr}; // answers every call live
}

QString SimulatedMac::title() const
{
    std::lock_guard lock(m_mutex);
    return m_machine.title;
}

std::optional<QByteArray> SimulatedMac::read(const QString& name) const
{
    std::lock_guard lock(m_mutex);
    auto it = m_machine.kernelValues.find(name);
    if (it == m_machine.kernelValues.end())
        return std::nullopt;
    if (auto s = std::get_if<QString>(&it->second)) {
        QByteArray bytes = s->toUtf8();
        bytes.append('\0');
        return bytes;
    }
    const std::int64_t value = std::get<std::int64_t>(it->second);
    if (value >= INT32_MIN && value <= INT32_MAX) {
        const std::int32_t narrow = std::int32_t(value);
        return QByteArray(reinterpret_cast<const char*>(&narrow), sizeof narrow);
    }
    return QByteArray(reinterpret_cast<const char*>(&value), sizeof value);
}

std::optional<ChildExit> SimulatedMac::run(const QString& executablePath, const QStringList& arguments,
                                           Seconds timeout) const
{
    QStringList environment;
    {
        std::lock_guard lock(m_mutex);
        // The simulated Mac has one program; the rest of its file system is empty.
        if (executablePath != systemProfilerPath || !m_machine.hardwareOverviewOutput)
            return std::nullopt;
        environment << u"KABELWACHT_PROFILER_OUTPUT=%1"_s.arg(QString::fromUtf8(*m_machine.hardwareOverviewOutput))
                    << u"KABELWACHT_PROFILER_STATUS=%1"_s.arg(m_machine.hardwareOverviewExitStatus)
                    << u"KABELWACHT_PROFILER_DELAY=%1"_s.arg(m_machine.hardwareOverviewDelaySeconds);
    }
    return runChildProcess(m_profilerHelperPath, arguments, timeout, environment);
}

const MachineEntry* SimulatedMac::entryLocked(RegistryEntry entry) const
{
    auto it = m_machine.entries.find(entry.token);
    return it == m_machine.entries.end() ? nullptr : &it->second;
}

bool SimulatedMac::isKindOfLocked(const QString& className, const QString& wanted,
                                  std::unordered_map<QString, bool>* known) const
{
    std::vector<QString> walked;
    bool result = false;
    QString current = className;
    // The loader guarantees chains end at the root class without loops; the bound is a backstop.
    for (std::size_t step = 0; step <= m_machine.superclasses.size() + 1; ++step) {
        if (current == wanted) {
            result = true;
            break;
        }
        if (known) {
            if (auto answer = known->find(current); answer != known->end()) {
                result = answer->second;
                break;
            }
        }
        walked.push_back(current);
        auto next = m_machine.superclasses.find(current);
        if (next == m_machine.superclasses.end())
            break;
        current = next->second;
    }
    // Every class on the way shares the answer: a long chain is walked once, not once per entry.
    if (known)
        for (const QString& name : walked)
            known->emplace(name, result);
    return result;
}

std::optional<std::vector<RegistryEntry>> SimulatedMac::matchingServices(const QString& className) const
{
    std::lock_guard lock(m_mutex);
    std::vector<RegistryEntry> found;
    std::unordered_map<QString, bool> known;
    // Depth-first from the root, so services come in the order the machine file lists them.
    std::vector<std::uint64_t> stack{m_machine.rootId};
    while (!stack.empty()) {
        const std::uint64_t id = stack.back();
        stack.pop_back();
        const MachineEntry& e = m_machine.entries.at(id);
        if (isKindOfLocked(e.className, className, &known))
            found.push_back({id});
        stack.insert(stack.end(), e.children.rbegin(), e.children.rend());
    }
    return found;
}

std::optional<RegistryEntry> SimulatedMac::entryWithId(std::uint64_t id) const
{
    std::lock_guard lock(m_mutex);
    if (!m_machine.entries.count(id))
        return std::nullopt;
    return RegistryEntry{id};
}

std::optional<std::uint64_t> SimulatedMac::entryId(RegistryEntry entry) const
{
    std::lock_guard lock(m_mutex);
    if (const MachineEntry* e = entryLocked(entry))
        return e->id;
    return std::nullopt;
}

std::optional<QString> SimulatedMac::className(RegistryEntry entry) const
{
    std::lock_guard lock(m_mutex);
    if (const MachineEntry* e = entryLocked(entry))
        return e->className;
    return std::nullopt;
}

std::optional<QString> SimulatedMac::path(RegistryEntry entry) const
{
    std::lock_guard lock(m_mutex);
    const MachineEntry* e = entryLocked(entry);
    if (!e)
        return std::nullopt;
    QStringList parts;
    for (; e && e->parent; e = entryLocked({*e->parent})) {
        // The platform expert device is the root of the IOService plane; paths start below it.
        if (*e->parent == m_machine.rootId && isKindOfLocked(e->className, u"IOPlatformExpertDevice"_s))
            break;
        parts.prepend(e->location.isEmpty() ? e->name : e->name + u'@' + e->location);
    }
    return u"IOService:/"_s + parts.join(u'/');
}

std::optional<PropertyDictionary> SimulatedMac::properties(RegistryEntry entry) const
{
    std::lock_guard lock(m_mutex);
    if (const MachineEntry* e = entryLocked(entry))
        return e->properties;
    return std::nullopt;
}

std::optional<std::vector<RegistryEntry>> SimulatedMac::descendants(RegistryEntry entry) const
{
    std::lock_guard lock(m_mutex);
    const MachineEntry* start = entryLocked(entry);
    if (!start)
        return std::nullopt;
    std::vector<RegistryEntry> found;
    std::vector<std::uint64_t> stack(start->children.rbegin(), start->children.rend());
    while (!stack.empty()) {
        const std::uint64_t id = stack.back();
        stack.pop_back();
        found.push_back({id});
        const MachineEntry& e = m_machine.entries.at(id);
        stack.insert(stack.end(), e.children.rbegin(), e.children.rend());
    }
    return found;
}

bool SimulatedMac::publishesPortData() const
{
    std::lock_guard lock(m_mutex);
    return !m_machine.portDataUnavailable;
}

std::optional<QString> SimulatedMac::providingPowerSourceType() const
{
    std::lock_guard lock(m_mutex);
    return m_machine.providingPowerType;
}

std::optional<PropertyDictionary> SimulatedMac::externalAdapterDetails() const
{
    std::lock_guard lock(m_mutex);
    return m_machine.adapterDetails;
}

} // namespace kw::probe
