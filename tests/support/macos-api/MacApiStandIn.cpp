// The stand-in's answers. One lock guards everything: the backend calls in from the diagnosis's
// background threads, and the served machine may change under it from the main thread.
#include "MacApiStandIn.h"

#include <CoreFoundation/CoreFoundation.h>
#include <IOKit/IOKitLib.h>
#include <IOKit/ps/IOPowerSources.h>
#include <sys/sysctl.h>

#include <QDateTime>

#include <cerrno>
#include <cstring>
#include <map>
#include <mutex>
#include <unordered_map>
#include <unordered_set>
#include <vector>

using kw::probe::PropertyArray;
using kw::probe::PropertyDictionary;
using kw::probe::PropertyValue;
using kw::probe::RegistryEntry;

namespace {

enum TypeId : CFTypeID { stringType = 7, numberType, booleanType, dataType, dateType, arrayType, dictionaryType };

struct Object {
    CFTypeID type = 0;
    long references = 1;
    bool constant = false; // the two booleans live for the whole program
    std::u16string string;
    bool boolean = false;
    bool isFloat = false;
    std::int64_t integer = 0;
    double real = 0;
    std::vector<UInt8> bytes;
    CFAbsoluteTime date = 0;
    std::vector<const Object*> items;                                 // an array's
    std::vector<std::pair<const Object*, const Object*>> entries;     // a dictionary's
};

struct Handle {
    bool iterator = false;
    RegistryEntry entry;              // an entry's
    std::vector<RegistryEntry> items; // an iterator's
    std::size_t next = 0;
};

struct Failure {
    int times = -1;
    int skip = 0;
};

struct State {
    std::mutex mutex;
    kw::test::macapi::Machine machine;
    std::unordered_set<const Object*> alive;
    std::unordered_map<mach_port_t, Handle> handles;
    mach_port_t nextHandle = 0x1000;
    std::map<std::string, Failure> failures;
    long badReleases = 0;
    kw::test::macapi::Counts atServe; // what earlier machines left behind
};

State& state()
{
    static State s;
    return s;
}

Object constantBoolean(bool value)
{
    Object o;
    o.type = booleanType;
    o.constant = true;
    o.boolean = value;
    return o;
}

Object trueObject = constantBoolean(true);
Object falseObject = constantBoolean(false);

// Called with the lock held, once per call of the interface.
bool failing(State& s, const char* function)
{
    auto it = s.failures.find(function);
    if (it == s.failures.end())
        return false;
    Failure& f = it->second;
    if (f.skip > 0) {
        --f.skip;
        return false;
    }
    if (f.times == 0)
        return false;
    if (f.times > 0)
        --f.times;
    return true;
}

const Object* object(CFTypeRef ref) { return static_cast<const Object*>(ref); }

Object* make(State& s, CFTypeID type)
{
    auto* o = new Object;
    o->type = type;
    s.alive.insert(o);
    return o;
}

void release(State& s, const Object* o)
{
    if (!o || o->constant)
        return;
    if (!s.alive.count(o)) {
        ++s.badReleases;
        return;
    }
    auto* mutableObject = const_cast<Object*>(o);
    if (--mutableObject->references > 0)
        return;
    s.alive.erase(o);
    for (const Object* item : o->items)
        release(s, item);
    for (const auto& [key, value] : o->entries) {
        release(s, key);
        release(s, value);
    }
    delete o;
}

const Object* makeString(State& s, const QString& text)
{
    Object* o = make(s, stringType);
    o->string = text.toStdU16String();
    return o;
}

const Object* makeValue(State& s, const PropertyValue& value);

const Object* makeDictionary(State& s, const PropertyDictionary& dictionary)
{
    Object* o = make(s, dictionaryType);
    for (const auto& [key, value] : dictionary)
        o->entries.emplace_back(makeString(s, key), makeValue(s, value));
    return o;
}

const Object* makeValue(State& s, const PropertyValue& value)
{
    return std::visit(
        [&s](const auto& v) -> const Object* {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>) {
                return v ? &trueObject : &falseObject;
            } else if constexpr (std::is_same_v<T, std::int64_t>) {
                Object* o = make(s, numberType);
                o->integer = v;
                return o;
            } else if constexpr (std::is_same_v<T, double>) {
                Object* o = make(s, numberType);
                o->isFloat = true;
                o->real = v;
                return o;
            } else if constexpr (std::is_same_v<T, QString>) {
                return makeString(s, v);
            } else if constexpr (std::is_same_v<T, QByteArray>) {
                Object* o = make(s, dataType);
                o->bytes.assign(v.begin(), v.end());
                return o;
            } else if constexpr (std::is_same_v<T, QDateTime>) {
                Object* o = make(s, dateType);
                o->date = double(v.toMSecsSinceEpoch()) / 1000.0 - kCFAbsoluteTimeIntervalSince1970;
                return o;
            } else if constexpr (std::is_same_v<T, PropertyArray>) {
                Object* o = make(s, arrayType);
                for (const PropertyValue& item : v)
                    o->items.push_back(makeValue(s, item));
                return o;
            } else {
                return makeDictionary(s, v);
            }
        },
        value.storage());
}

const Object* lookUp(const Object* dictionary, const char16_t* key)
{
    if (!dictionary || dictionary->type != dictionaryType)
        return nullptr;
    for (const auto& [k, v] : dictionary->entries)
        if (k->type == stringType && k->string == key)
            return v;
    return nullptr;
}

mach_port_t newHandle(State& s, Handle handle)
{
    const mach_port_t port = s.nextHandle++;
    s.handles.emplace(port, std::move(handle));
    return port;
}

// The services a matching dictionary asks for; absent when the registry cannot say.
std::optional<std::vector<RegistryEntry>> matches(State& s, const Object* matching)
{
    const auto& registry = s.machine.registry;
    if (!registry)
        return std::nullopt;
    if (const Object* name = lookUp(matching, u"IOProviderClass"); name && name->type == stringType)
        return registry->matchingServices(QString::fromStdU16String(name->string));
    if (const Object* id = lookUp(matching, u"IORegistryEntryID"); id && id->type == numberType) {
        if (auto entry = registry->entryWithId(std::uint64_t(id->integer)))
            return std::vector<RegistryEntry>{*entry};
        return std::vector<RegistryEntry>{};
    }
    return std::nullopt;
}

const Handle* entryHandle(State& s, io_object_t port)
{
    auto it = s.handles.find(port);
    return it == s.handles.end() || it->second.iterator ? nullptr : &it->second;
}


} // namespace

namespace kw::test::macapi {

void serve(Machine machine)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.machine = std::move(machine);
    s.failures.clear();
    s.atServe = {long(s.alive.size()), long(s.handles.size()), s.badReleases};
}

void stopServing() { serve({}); }

Counts counts()
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Counts& a = s.atServe;
    return {long(s.alive.size()) - a.cfObjects, long(s.handles.size()) - a.ioHandles, s.badReleases - a.badReleases};
}

void failCall(const std::string& function, int times, int skip)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    s.failures[function] = {times, skip};
}

} // namespace kw::test::macapi

extern "C" {

const CFAllocatorRef kCFAllocatorDefault = nullptr;
const CFTimeInterval kCFAbsoluteTimeIntervalSince1970 = 978307200.0;
const mach_port_t kIOMainPortDefault = MACH_PORT_NULL;

void CFRelease(CFTypeRef cf)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (!cf) {
        ++s.badReleases; // CoreFoundation crashes on NULL
        return;
    }
    release(s, object(cf));
}

CFTypeID CFGetTypeID(CFTypeRef cf) { return object(cf)->type; }
CFTypeID CFStringGetTypeID(void) { return stringType; }
CFTypeID CFNumberGetTypeID(void) { return numberType; }
CFTypeID CFBooleanGetTypeID(void) { return booleanType; }
CFTypeID CFDataGetTypeID(void) { return dataType; }
CFTypeID CFDateGetTypeID(void) { return dateType; }
CFTypeID CFArrayGetTypeID(void) { return arrayType; }
CFTypeID CFDictionaryGetTypeID(void) { return dictionaryType; }

Boolean CFBooleanGetValue(CFBooleanRef boolean) { return object(boolean)->boolean; }

Boolean CFNumberIsFloatType(CFNumberRef number) { return object(number)->isFloat; }

Boolean CFNumberGetValue(CFNumberRef number, CFNumberType theType, void* valuePtr)
{
    // The backend asks for the type the number has: 64-bit integers, or doubles.
    const Object* o = object(number);
    if (theType == kCFNumberSInt64Type && !o->isFloat)
        std::memcpy(valuePtr, &o->integer, sizeof o->integer);
    else if (theType == kCFNumberDoubleType && o->isFloat)
        std::memcpy(valuePtr, &o->real, sizeof o->real);
    else
        return false;
    return true;
}

CFIndex CFStringGetLength(CFStringRef theString) { return CFIndex(object(theString)->string.size()); }

void CFStringGetCharacters(CFStringRef theString, CFRange range, UniChar* buffer)
{
    const std::u16string& text = object(theString)->string;
    std::memcpy(buffer, text.data() + range.location, std::size_t(range.length) * sizeof(UniChar));
}

const UInt8* CFDataGetBytePtr(CFDataRef theData) { return object(theData)->bytes.data(); }
CFIndex CFDataGetLength(CFDataRef theData) { return CFIndex(object(theData)->bytes.size()); }
CFAbsoluteTime CFDateGetAbsoluteTime(CFDateRef theDate) { return object(theDate)->date; }
CFIndex CFArrayGetCount(CFArrayRef theArray) { return CFIndex(object(theArray)->items.size()); }
const void* CFArrayGetValueAtIndex(CFArrayRef theArray, CFIndex idx) { return object(theArray)->items.at(std::size_t(idx)); }
CFIndex CFDictionaryGetCount(CFDictionaryRef theDict) { return CFIndex(object(theDict)->entries.size()); }

void CFDictionaryGetKeysAndValues(CFDictionaryRef theDict, const void** keys, const void** values)
{
    std::size_t i = 0;
    for (const auto& [key, value] : object(theDict)->entries) {
        if (keys)
            keys[i] = key;
        if (values)
            values[i] = value;
        ++i;
    }
}

const void* CFDictionaryGetValue(CFDictionaryRef theDict, const void* key)
{
    const Object* k = object(key);
    return k && k->type == stringType ? lookUp(object(theDict), k->string.c_str()) : nullptr;
}

kern_return_t IOObjectRelease(io_object_t port)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (s.handles.erase(port) == 0) {
        ++s.badReleases;
        return kIOReturnBadArgument;
    }
    return KERN_SUCCESS;
}

CFStringRef IOObjectCopyClass(io_object_t port)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Handle* h = entryHandle(s, port);
    if (failing(s, "IOObjectCopyClass") || !h || !s.machine.registry)
        return nullptr;
    const auto name = s.machine.registry->className(h->entry);
    return name ? reinterpret_cast<CFStringRef>(makeString(s, *name)) : nullptr;
}

io_object_t IOIteratorNext(io_iterator_t iterator)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    auto it = s.handles.find(iterator);
    if (failing(s, "IOIteratorNext") || it == s.handles.end() || !it->second.iterator)
        return IO_OBJECT_NULL;
    Handle& h = it->second;
    if (h.next >= h.items.size())
        return IO_OBJECT_NULL;
    return newHandle(s, {false, h.items[h.next++], {}, 0});
}

CFMutableDictionaryRef IOServiceMatching(const char* name)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (failing(s, "IOServiceMatching"))
        return nullptr;
    Object* o = make(s, dictionaryType);
    o->entries.emplace_back(makeString(s, QStringLiteral("IOProviderClass")), makeString(s, QString::fromUtf8(name)));
    return reinterpret_cast<CFMutableDictionaryRef>(o);
}

CFMutableDictionaryRef IORegistryEntryIDMatching(uint64_t entryID)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (failing(s, "IORegistryEntryIDMatching"))
        return nullptr;
    Object* o = make(s, dictionaryType);
    Object* number = make(s, numberType);
    number->integer = std::int64_t(entryID);
    o->entries.emplace_back(makeString(s, QStringLiteral("IORegistryEntryID")), number);
    return reinterpret_cast<CFMutableDictionaryRef>(o);
}

io_service_t IOServiceGetMatchingService(mach_port_t, CFDictionaryRef matching)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const bool fail = failing(s, "IOServiceGetMatchingService");
    const auto found = fail || !matching ? std::nullopt : matches(s, object(matching));
    release(s, object(matching)); // consumed, whatever happens
    if (!found || found->empty())
        return IO_OBJECT_NULL;
    return newHandle(s, {false, found->front(), {}, 0});
}

kern_return_t IOServiceGetMatchingServices(mach_port_t, CFDictionaryRef matching, io_iterator_t* existing)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const bool fail = failing(s, "IOServiceGetMatchingServices");
    auto found = fail || !matching ? std::nullopt : matches(s, object(matching));
    release(s, object(matching));
    if (!found)
        return kIOReturnError;
    *existing = newHandle(s, {true, {}, std::move(*found), 0});
    return KERN_SUCCESS;
}

kern_return_t IORegistryEntryGetRegistryEntryID(io_registry_entry_t entry, uint64_t* entryID)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Handle* h = entryHandle(s, entry);
    if (failing(s, "IORegistryEntryGetRegistryEntryID") || !h || !s.machine.registry)
        return kIOReturnBadArgument;
    const auto id = s.machine.registry->entryId(h->entry);
    if (!id)
        return kIOReturnNotFound;
    *entryID = *id;
    return KERN_SUCCESS;
}

kern_return_t IORegistryEntryGetPath(io_registry_entry_t entry, const io_name_t plane, io_string_t path)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Handle* h = entryHandle(s, entry);
    if (failing(s, "IORegistryEntryGetPath") || !h || !s.machine.registry || std::strcmp(plane, kIOServicePlane) != 0)
        return kIOReturnBadArgument;
    const auto text = s.machine.registry->path(h->entry);
    if (!text)
        return kIOReturnNotFound;
    const QByteArray utf8 = text->toUtf8();
    if (std::size_t(utf8.size()) >= sizeof(io_string_t))
        return kIOReturnBadArgument; // a path that does not fit is refused, not cut
    std::memcpy(path, utf8.constData(), std::size_t(utf8.size()) + 1);
    return KERN_SUCCESS;
}

kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry, CFMutableDictionaryRef* properties,
                                                CFAllocatorRef, IOOptionBits options)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Handle* h = entryHandle(s, entry);
    if (failing(s, "IORegistryEntryCreateCFProperties") || !h || !s.machine.registry || options != 0)
        return kIOReturnBadArgument;
    const auto dictionary = s.machine.registry->properties(h->entry);
    if (!dictionary)
        return kIOReturnNotFound;
    *properties = reinterpret_cast<CFMutableDictionaryRef>(const_cast<Object*>(makeDictionary(s, *dictionary)));
    return KERN_SUCCESS;
}

kern_return_t IORegistryEntryCreateIterator(io_registry_entry_t entry, const io_name_t plane, IOOptionBits options,
                                            io_iterator_t* iterator)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    const Handle* h = entryHandle(s, entry);
    // Only what the backend asks for is served: the whole subtree in the IOService plane.
    if (failing(s, "IORegistryEntryCreateIterator") || !h || !s.machine.registry
        || std::strcmp(plane, kIOServicePlane) != 0 || options != kIORegistryIterateRecursively)
        return kIOReturnBadArgument;
    auto found = s.machine.registry->descendants(h->entry);
    if (!found)
        return kIOReturnNotFound;
    *iterator = newHandle(s, {true, {}, std::move(*found), 0});
    return KERN_SUCCESS;
}

CFTypeRef IOPSCopyPowerSourcesInfo(void)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (failing(s, "IOPSCopyPowerSourcesInfo") || !s.machine.power)
        return nullptr;
    // Opaque to the caller; here a dictionary that holds the providing type.
    Object* blob = make(s, dictionaryType);
    if (const auto type = s.machine.power->providingPowerSourceType())
        blob->entries.emplace_back(makeString(s, QStringLiteral("Providing")), makeString(s, *type));
    return blob;
}

CFStringRef IOPSGetProvidingPowerSourceType(CFTypeRef snapshot)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (failing(s, "IOPSGetProvidingPowerSourceType") || !snapshot || !s.alive.count(object(snapshot)))
        return nullptr;
    return reinterpret_cast<CFStringRef>(lookUp(object(snapshot), u"Providing"));
}

CFDictionaryRef IOPSCopyExternalPowerAdapterDetails(void)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (failing(s, "IOPSCopyExternalPowerAdapterDetails") || !s.machine.power)
        return nullptr;
    const auto details = s.machine.power->externalAdapterDetails();
    return details ? reinterpret_cast<CFDictionaryRef>(makeDictionary(s, *details)) : nullptr;
}

int sysctlbyname(const char* name, void* oldp, size_t* oldlenp, void* newp, size_t newlen)
{
    State& s = state();
    std::lock_guard lock(s.mutex);
    if (failing(s, "sysctlbyname") || !s.machine.kernel || !oldlenp || newp || newlen) {
        errno = EPERM;
        return -1;
    }
    const auto value = s.machine.kernel->read(QString::fromUtf8(name));
    if (!value) {
        errno = ENOENT;
        return -1;
    }
    const std::size_t size = std::size_t(value->size());
    if (!oldp) {
        *oldlenp = size;
        return 0;
    }
    if (*oldlenp < size) {
        errno = ENOMEM;
        return -1;
    }
    std::memcpy(oldp, value->constData(), size);
    *oldlenp = size;
    return 0;
}

} // extern "C"
