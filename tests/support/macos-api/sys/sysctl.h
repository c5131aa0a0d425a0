#pragma once

// A stand-in for Linux, which has no sysctlbyname: the kernel values of the macOS backend, served
// like the rest of this interface (see MacApiStandIn.h).

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

int sysctlbyname(const char* name, void* oldp, size_t* oldlenp, void* newp, size_t newlen);

#ifdef __cplusplus
}
#endif
