#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <optional>

namespace kw::probe {

// The bytes of one sysfs or device-tree file, at most maxBytes of them. Absent when the file is
// missing, vanishes while it is read, cannot be read, or is not a regular file: a recorded tree may
// hold anything, and a pipe or a device in it must not block the reader.
std::optional<QByteArray> readSysfsFile(const QString& path, qint64 maxBytes = 4096);

// The files of a tree under root ("/" on a live system, or a recorded tree), each read only where it
// leads inside the tree: a link out of it counts as missing, so that a recorded tree can make the
// program read, show or copy nothing else of the computer. Paths are given whole (root + "/sys/…").
class SysfsTree {
public:
    explicit SysfsTree(const QString& root);

    const QString& root() const { return m_root; }
    // Where path leads when that exists and lies inside the tree; empty otherwise.
    QString resolve(const QString& path) const;
    // The path inside the tree of what path leads to ("/sys/devices/…"); empty when it leads out.
    QString relative(const QString& path) const;
    std::optional<QByteArray> read(const QString& path, qint64 maxBytes = 4096) const;
    // The names of the folders and links to folders in dir, sorted; none when dir leads out.
    QStringList folders(const QString& dir) const;
    bool isFolder(const QString& path) const;

private:
    QString m_root;
    QString m_canonicalRoot; // empty when the root does not exist
};

} // namespace kw::probe
