#pragma once

// A stand-in for Linux: the I/O Kit registry calls of the macOS backend, with Apple's names and
// types (see MacApiStandIn.h).

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef unsigned int mach_port_t;
typedef int kern_return_t;
typedef uint32_t IOOptionBits;
typedef mach_port_t io_object_t;
typedef io_object_t io_iterator_t;
typedef io_object_t io_registry_entry_t;
typedef io_object_t io_service_t;
typedef char io_name_t[128];
typedef char io_string_t[512];

#define KERN_SUCCESS 0
#define MACH_PORT_NULL 0
#define IO_OBJECT_NULL ((io_object_t)0)
#define kIOReturnError ((kern_return_t)0xe00002bc)
#define kIOReturnBadArgument ((kern_return_t)0xe00002c2)
#define kIOReturnNotFound ((kern_return_t)0xe00002f0)
#define kIOServicePlane "IOService"

enum {
    kIORegistryIterateRecursively = 0x00000001
};

extern const mach_port_t kIOMainPortDefault;

kern_return_t IOObjectRelease(io_object_t object);
CFStringRef IOObjectCopyClass(io_object_t object);
io_object_t IOIteratorNext(io_iterator_t iterator);

CFMutableDictionaryRef IOServiceMatching(const char* name);
CFMutableDictionaryRef IORegistryEntryIDMatching(uint64_t entryID);
io_service_t IOServiceGetMatchingService(mach_port_t mainPort, CFDictionaryRef matching);
kern_return_t IOServiceGetMatchingServices(mach_port_t mainPort, CFDictionaryRef matching, io_iterator_t* existing);

kern_return_t IORegistryEntryGetRegistryEntryID(io_registry_entry_t entry, uint64_t* entryID);
kern_return_t IORegistryEntryGetPath(io_registry_entry_t entry, const io_name_t plane, io_string_t path);
kern_return_t IORegistryEntryCreateCFProperties(io_registry_entry_t entry, CFMutableDictionaryRef* properties,
                                                CFAllocatorRef allocator, IOOptionBits options);
kern_return_t IORegistryEntryCreateIterator(io_registry_entry_t entry, const io_name_t plane, IOOptionBits options,
                                            io_iterator_t* iterator);

#ifdef __cplusplus
}
#endif
