#pragma once

// The one place where CoreFoundation values become our own: every other file of the macOS backend
// hands over CF objects and gets PropertyValue and QString back.

#include "probe/PropertyValue.h"

#include <CoreFoundation/CoreFoundation.h>

#include <optional>
#include <utility>

namespace kw::probe::mac {

// Holds the one reference that a Copy or Create call handed over, and gives it back.
template <typename Ref>
class CFHolder {
public:
    CFHolder() = default;
    explicit CFHolder(Ref ref) : m_ref(ref) {}
    ~CFHolder()
    {
        if (m_ref)
            CFRelease(m_ref);
    }
    CFHolder(const CFHolder&) = delete;
    CFHolder& operator=(const CFHolder&) = delete;

    Ref get() const { return m_ref; }
    explicit operator bool() const { return m_ref != nullptr; }
    // For calls that fill in a reference they created; only on an empty holder.
    Ref* out() { return &m_ref; }

private:
    Ref m_ref = nullptr;
};

// Text of a CF string, character for character (UTF-16 both sides).
QString toQString(CFStringRef string);

// A CF value as a PropertyValue. Booleans stay booleans, numbers become integers or reals, dates keep
// their milliseconds; types a registry does not publish are left out (absent), in collections too.
std::optional<PropertyValue> toPropertyValue(CFTypeRef value);
// A dictionary with string keys; entries with other keys, or values left out, are dropped.
PropertyDictionary toPropertyDictionary(CFDictionaryRef dictionary);

} // namespace kw::probe::mac
