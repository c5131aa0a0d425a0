#pragma once

#include "probe/PropertyValue.h"

#include <QByteArray>
#include <QString>

#include <optional>

namespace kw::probe {

struct PropertyListResult {
    std::optional<PropertyValue> value;
    QString error; // "line L, column C: problem" when value is absent
};

inline constexpr qint64 maxPropertyListBytes = 256 * 1024 * 1024;
// ioreg trees nest far deeper than property values: each registry level is a dict in an array.
inline constexpr int maxPropertyListDepth = 1024;

// Reads the XML property-list format that "ioreg -a" and "plutil -convert xml1" write.
PropertyListResult readXmlPropertyList(const QByteArray& bytes);

} // namespace kw::probe
