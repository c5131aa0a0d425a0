#include "probe/backends/macos/MacCoreFoundation.h"

#include <QDateTime>
#include <QTimeZone>

#include <cmath>
#include <vector>

namespace kw::probe::mac {

namespace {

PropertyDictionary dictionaryAt(CFDictionaryRef dictionary, int depth);

std::optional<PropertyValue> valueAt(CFTypeRef value, int depth)
{
    if (!value)
        return std::nullopt;
    const CFTypeID type = CFGetTypeID(value);
    // CF keeps booleans apart from numbers; asking the number first would not see them, and reading
    // one as a number would turn true into 1.
    if (type == CFBooleanGetTypeID())
        return PropertyValue(CFBooleanGetValue(static_cast<CFBooleanRef>(value)) != 0);
    if (type == CFNumberGetTypeID()) {
        const auto number = static_cast<CFNumberRef>(value);
        if (CFNumberIsFloatType(number)) {
            double real = 0;
            CFNumberGetValue(number, kCFNumberDoubleType, &real);
            return PropertyValue(real);
        }
        std::int64_t integer = 0; // a registry number has at most 64 bits
        CFNumberGetValue(number, kCFNumberSInt64Type, &integer);
        return PropertyValue(integer);
    }
    if (type == CFStringGetTypeID())
        return PropertyValue(toQString(static_cast<CFStringRef>(value)));
    if (type == CFDataGetTypeID()) {
        const auto data = static_cast<CFDataRef>(value);
        return PropertyValue(QByteArray(reinterpret_cast<const char*>(CFDataGetBytePtr(data)),
                                        qsizetype(CFDataGetLength(data))));
    }
    if (type == CFDateGetTypeID()) {
        const double seconds = CFDateGetAbsoluteTime(static_cast<CFDateRef>(value)) + kCFAbsoluteTimeIntervalSince1970;
        if (!std::isfinite(seconds) || std::fabs(seconds) > 1e14)
            return std::nullopt;
#if QT_VERSION >= QT_VERSION_CHECK(6, 5, 0)
        return PropertyValue(QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000), QTimeZone::UTC));
#else
        return PropertyValue(QDateTime::fromMSecsSinceEpoch(std::llround(seconds * 1000), Qt::UTC));
#endif
    }
    if (depth >= maxPropertyDepth)
        return std::nullopt;
    if (type == CFArrayGetTypeID()) {
        const auto array = static_cast<CFArrayRef>(value);
        PropertyArray items;
        const CFIndex count = CFArrayGetCount(array);
        for (CFIndex i = 0; i < count; ++i)
            if (auto item = valueAt(CFArrayGetValueAtIndex(array, i), depth + 1))
                items.push_back(std::move(*item));
        return PropertyValue(std::move(items));
    }
    if (type == CFDictionaryGetTypeID())
        return PropertyValue(dictionaryAt(static_cast<CFDictionaryRef>(value), depth + 1));
    return std::nullopt;
}

PropertyDictionary dictionaryAt(CFDictionaryRef dictionary, int depth)
{
    PropertyDictionary result;
    if (!dictionary || CFGetTypeID(dictionary) != CFDictionaryGetTypeID())
        return result;
    const auto count = std::size_t(CFDictionaryGetCount(dictionary));
    std::vector<const void*> keys(count), values(count);
    CFDictionaryGetKeysAndValues(dictionary, keys.data(), values.data());
    for (std::size_t i = 0; i < keys.size(); ++i) {
        if (!keys[i] || CFGetTypeID(keys[i]) != CFStringGetTypeID())
            continue;
        if (auto value = valueAt(values[i], depth))
            result.insert(toQString(static_cast<CFStringRef>(keys[i])), std::move(*value));
    }
    return result;
}

} // namespace

QString toQString(CFStringRef string)
{
    const CFIndex length = CFStringGetLength(string);
    QString text(qsizetype(length), Qt::Uninitialized);
    static_assert(sizeof(UniChar) == sizeof(char16_t));
    CFStringGetCharacters(string, CFRangeMake(0, length), reinterpret_cast<UniChar*>(text.data()));
    return text;
}

std::optional<PropertyValue> toPropertyValue(CFTypeRef value) { return valueAt(value, 1); }

PropertyDictionary toPropertyDictionary(CFDictionaryRef dictionary) { return dictionaryAt(dictionary, 1); }

} // namespace kw::probe::mac
