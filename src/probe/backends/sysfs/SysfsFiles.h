#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

namespace kw::probe {

// The bytes of one sysfs or device-tree file, at most maxBytes of them. Absent when the file is
// missing, vanishes while it is read, cannot be read, or is not a regular file: a recorded tree may
// hold anything, and a pipe or a device in it must not block the reader.
std::optional<QByteArray> readSysfsFile(const QString& path, qint64 maxBytes = 4096);

} // namespace kw::probe
