#include "probe/backends/macos/MacRegistry.h"

#include "probe/backends/macos/MacCoreFoundation.h"

#include <IOKit/IOKitLib.h>

#include <cstring>

namespace kw::probe {

using mac::CFHolder;

namespace {

// Holds one I/O Kit object (an entry or an iterator) and releases it.
class IoObject {
public:
    IoObject() = default;
    explicit IoObject(io_object_t object) : m_object(object) {}
    ~IoObject()
    {
        if (m_object != IO_OBJECT_NULL)
            IOObjectRelease(m_object);
    }
    IoObject(const IoObject&) = delete;
    IoObject& operator=(const IoObject&) = delete;

    io_object_t get() const { return m_object; }
    explicit operator bool() const { return m_object != IO_OBJECT_NULL; }
    io_object_t* out() { return &m_object; }

private:
    io_object_t m_object = IO_OBJECT_NULL;
};

// Finds a service by ID. Only registered services are found this way; descendants are read while
// walking instead (readDescendants).
IoObject entryById(std::uint64_t id)
{
    CFMutableDictionaryRef matching = IORegistryEntryIDMatching(id);
    if (!matching)
        return IoObject();
    return IoObject(IOServiceGetMatchingService(kIOMainPortDefault, matching)); // consumes matching
}

std::optional<std::uint64_t> idOf(io_object_t object)
{
    std::uint64_t id = 0;
    if (IORegistryEntryGetRegistryEntryID(object, &id) != KERN_SUCCESS)
        return std::nullopt;
    return id;
}

std::optional<QString> classOf(io_object_t object)
{
    const CFHolder<CFStringRef> name(IOObjectCopyClass(object));
    if (!name)
        return std::nullopt;
    return mac::toQString(name.get());
}

std::optional<PropertyDictionary> propertiesOf(io_object_t object)
{
    CFHolder<CFMutableDictionaryRef> dictionary;
    if (IORegistryEntryCreateCFProperties(object, dictionary.out(), kCFAllocatorDefault, 0) != KERN_SUCCESS
        || !dictionary)
        return std::nullopt;
    return mac::toPropertyDictionary(dictionary.get());
}

// Calls visit with each object of the iterator, releasing each after the visit.
template <typename Visit>
void forEachObject(const IoObject& iterator, Visit visit)
{
    if (!iterator)
        return; // a matching call that found nothing may hand back no iterator at all
    while (IoObject object{IOIteratorNext(iterator.get())})
        visit(object.get());
}

// The entry's descendants in the IOService plane, parents before children; absent when the
// iteration cannot be created.
template <typename Visit>
bool forEachDescendant(RegistryEntry entry, Visit visit)
{
    const IoObject start = entryById(entry.token);
    if (!start)
        return false;
    IoObject iterator;
    if (IORegistryEntryCreateIterator(start.get(), kIOServicePlane, kIORegistryIterateRecursively, iterator.out())
        != KERN_SUCCESS)
        return false;
    forEachObject(iterator, visit);
    return true;
}

} // namespace

std::optional<std::vector<RegistryEntry>> MacRegistry::matchingServices(const QString& className) const
{
    CFMutableDictionaryRef matching = IOServiceMatching(className.toUtf8().constData());
    if (!matching)
        return std::nullopt;
    IoObject iterator;
    if (IOServiceGetMatchingServices(kIOMainPortDefault, matching, iterator.out()) != KERN_SUCCESS)
        return std::nullopt; // matching is consumed even then
    std::vector<RegistryEntry> found;
    forEachObject(iterator, [&](io_object_t service) {
        // A service whose ID cannot be read cannot be found again; the probe would skip it anyway.
        if (auto id = idOf(service))
            found.push_back({*id});
    });
    return found;
}

std::optional<RegistryEntry> MacRegistry::entryWithId(std::uint64_t id) const
{
    if (!entryById(id))
        return std::nullopt;
    return RegistryEntry{id};
}

std::optional<std::uint64_t> MacRegistry::entryId(RegistryEntry entry) const
{
    const IoObject object = entryById(entry.token);
    return object ? idOf(object.get()) : std::nullopt;
}

std::optional<QString> MacRegistry::className(RegistryEntry entry) const
{
    const IoObject object = entryById(entry.token);
    return object ? classOf(object.get()) : std::nullopt;
}

std::optional<QString> MacRegistry::path(RegistryEntry entry) const
{
    const IoObject object = entryById(entry.token);
    if (!object)
        return std::nullopt;
    io_string_t path{}; // zero-filled; a path that does not fit makes the call fail
    if (IORegistryEntryGetPath(object.get(), kIOServicePlane, path) != KERN_SUCCESS)
        return std::nullopt;
    return QString::fromUtf8(path, qsizetype(strnlen(path, sizeof path)));
}

std::optional<PropertyDictionary> MacRegistry::properties(RegistryEntry entry) const
{
    const IoObject object = entryById(entry.token);
    return object ? propertiesOf(object.get()) : std::nullopt;
}

std::optional<std::vector<RegistryEntry>> MacRegistry::descendants(RegistryEntry entry) const
{
    std::vector<RegistryEntry> found;
    const bool walked = forEachDescendant(entry, [&](io_object_t descendant) {
        if (auto id = idOf(descendant))
            found.push_back({*id});
    });
    return walked ? std::optional(std::move(found)) : std::nullopt;
}

std::optional<std::vector<DescendantReading>> MacRegistry::readDescendants(RegistryEntry entry) const
{
    std::vector<DescendantReading> found;
    const bool walked = forEachDescendant(entry, [&](io_object_t descendant) {
        found.push_back({classOf(descendant), propertiesOf(descendant)});
    });
    return walked ? std::optional(std::move(found)) : std::nullopt;
}

} // namespace kw::probe
