#include "probe/backends/sysfs/SysfsPlatform.h"

#include "probe/backends/simulated/SimulatedMac.h"
#include "probe/backends/sysfs/SysfsMachine.h"

namespace kw::probe {

using namespace Qt::StringLiterals;

std::shared_ptr<SysfsPlatform> SysfsPlatform::create(QString root, QString profilerHelperPath)
{
    return std::shared_ptr<SysfsPlatform>(new SysfsPlatform(std::move(root), std::move(profilerHelperPath)));
}

SysfsPlatform::SysfsPlatform(QString root, QString profilerHelperPath)
    : m_root(std::move(root)), m_profilerHelperPath(std::move(profilerHelperPath)), m_fixed(readSysfsFixedFacts(m_root))
{
}

Platform SysfsPlatform::platform()
{
    auto self = shared_from_this();
    const QString where = m_root == u"/" ? u"this computer"_s : m_root;
    return {u"Linux sysfs: "_s + where, self, self, self, self, self};
}

// The readings are served by the same in-memory registry the simulated Mac uses.
std::shared_ptr<SimulatedMac> SysfsPlatform::takeReading() const
{
    return SimulatedMac::create(readSysfsMachine(m_root, m_fixed), m_profilerHelperPath);
}

std::shared_ptr<SimulatedMac> SysfsPlatform::current() const
{
    {
        std::lock_guard lock(m_mutex);
        if (auto held = m_held.find(std::this_thread::get_id()); held != m_held.end())
            return held->second.reading;
    }
    return takeReading();
}

std::shared_ptr<void> SysfsPlatform::hold() const
{
    const std::thread::id thread = std::this_thread::get_id();
    auto token = std::shared_ptr<void>(nullptr, [self = shared_from_this(), thread](void*) { self->release(thread); });
    {
        std::lock_guard lock(m_mutex);
        if (auto held = m_held.find(thread); held != m_held.end()) {
            ++held->second.holds; // an operation within an operation keeps the outer one's reading
            return token;
        }
    }
    std::shared_ptr<SimulatedMac> reading = takeReading(); // outside the lock: other threads go on
    std::lock_guard lock(m_mutex);
    m_held[thread] = Held{std::move(reading), 1};
    return token;
}

void SysfsPlatform::release(std::thread::id thread) const
{
    std::lock_guard lock(m_mutex);
    if (auto held = m_held.find(thread); held != m_held.end() && --held->second.holds == 0)
        m_held.erase(held);
}

std::optional<QByteArray> SysfsPlatform::read(const QString& name) const { return current()->read(name); }
std::optional<ChildExit> SysfsPlatform::run(const QString& executablePath, const QStringList& arguments,
                                            Seconds timeout) const
{
    return current()->run(executablePath, arguments, timeout);
}
std::optional<std::vector<RegistryEntry>> SysfsPlatform::matchingServices(const QString& className) const
{
    return current()->matchingServices(className);
}
std::optional<RegistryEntry> SysfsPlatform::entryWithId(std::uint64_t id) const { return current()->entryWithId(id); }
std::optional<std::uint64_t> SysfsPlatform::entryId(RegistryEntry entry) const { return current()->entryId(entry); }
std::optional<QString> SysfsPlatform::className(RegistryEntry entry) const { return current()->className(entry); }
std::optional<QString> SysfsPlatform::path(RegistryEntry entry) const { return current()->path(entry); }
std::optional<PropertyDictionary> SysfsPlatform::properties(RegistryEntry entry) const
{
    return current()->properties(entry);
}
std::optional<std::vector<RegistryEntry>> SysfsPlatform::descendants(RegistryEntry entry) const
{
    return current()->descendants(entry);
}
bool SysfsPlatform::publishesPortData() const { return current()->publishesPortData(); }
std::optional<QString> SysfsPlatform::providingPowerSourceType() const { return current()->providingPowerSourceType(); }
std::optional<PropertyDictionary> SysfsPlatform::externalAdapterDetails() const
{
    return current()->externalAdapterDetails();
}

} // namespace kw::probe
