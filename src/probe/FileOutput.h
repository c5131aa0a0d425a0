#pragma once

#include <QByteArray>
#include <QString>

namespace kw::probe {

// Why no file can be written at path: something other than a regular file sits there (a folder, a
// FIFO that would block the writer, a device that a rename would replace). Empty when a regular file
// or nothing is there.
QString unwritableOutput(const QString& path);

// Whether both paths name the same existing file, whatever links or spellings lead to it.
bool sameFile(const QString& a, const QString& b);

// Writes bytes to path whole or not at all: into a new file beside it, flushed to the disk, then
// renamed over the old one, whose permissions it keeps. A link at path is followed. Returns the
// problem ("PATH: cannot be written: REASON"), or empty.
QString writeWholeFile(const QString& path, const QByteArray& bytes);

// A new file (nothing may be at path yet) with the bytes, flushed to the disk. Returns the problem,
// or empty.
QString writeNewFile(const QString& path, const QByteArray& bytes);

// Flushes a folder's entries (new names, renames) to the disk. Returns the problem, or empty.
QString syncFolder(const QString& path);

} // namespace kw::probe
