#pragma once

// A stand-in for Linux: the power-source calls of the macOS backend (see MacApiStandIn.h).

#include <CoreFoundation/CoreFoundation.h>

#ifdef __cplusplus
extern "C" {
#endif

CFTypeRef IOPSCopyPowerSourcesInfo(void);
CFStringRef IOPSGetProvidingPowerSourceType(CFTypeRef snapshot);
CFDictionaryRef IOPSCopyExternalPowerAdapterDetails(void);

#ifdef __cplusplus
}
#endif
