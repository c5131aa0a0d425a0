#pragma once

// The stand-in's controls. The headers beside this one declare the C interface of CoreFoundation,
// I/O Kit, the power sources and sysctlbyname as Apple declares it; this library answers those calls
// from any Registry, PowerSources and KernelValues, so that a machine file drives the macOS backend
// on Linux. It counts live CF objects and I/O Kit handles, notices releases of what is already gone,
// and can be told to fail a call.

#include "probe/Platform.h"

#include <memory>
#include <string>

namespace kw::test::macapi {

struct Machine {
    std::shared_ptr<const probe::Registry> registry;
    std::shared_ptr<const probe::PowerSources> power;
    std::shared_ptr<const probe::KernelValues> kernel;
};

// What the interface answers from now on; failures told before are forgotten, and counts start anew.
void serve(Machine machine);
void stopServing();

// Since the machine was served.
struct Counts {
    long cfObjects = 0;     // created and not yet released to zero (constant strings and booleans aside)
    long ioHandles = 0;     // handed out and not yet released
    long badReleases = 0;   // releases of an object or handle that was no longer alive
    friend bool operator==(const Counts&, const Counts&) = default;
};
Counts counts();

// From now on the named function fails as the platform's would (a null result or an error code):
// after `skip` successful calls, for `times` calls (negative: every call).
void failCall(const std::string& function, int times = -1, int skip = 0);

// Serves a machine for the length of a scope.
class Serving {
public:
    explicit Serving(Machine machine) { serve(std::move(machine)); }
    ~Serving() { stopServing(); }
    Serving(const Serving&) = delete;
    Serving& operator=(const Serving&) = delete;
};

} // namespace kw::test::macapi
