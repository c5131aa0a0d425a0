#pragma once

#include <QString>
#include <QStringList>

namespace kw::probe {

// The longest attribute a recording holds; the backend reads far less of any file.
inline constexpr qint64 maxRecordedAttributeBytes = 64 * 1024;

struct SysfsRecording {
    QString error;           // why nothing was recorded; empty when the recording is complete
    bool badInput = false;   // the error lies in what was asked, not in writing
    QStringList cut;         // attributes longer than maxRecordedAttributeBytes, recorded cut short
    QStringList leftOut;     // what the backend would read but leads out of the tree, so is not copied
};

// Copies what the Linux backend reads (the Type-C and power-supply classes with their symlinks and
// the devices behind them, DMI identity, the device tree's compatible and model, the architecture)
// from root into the folder out, so the tree can be sent and replayed with --fs-root. Nothing outside
// the tree under root is copied. The recording is made in a folder beside out, every file flushed to
// the disk, and renamed to out once complete: out holds the whole recording or nothing.
SysfsRecording recordSysfs(const QString& root, const QString& out);

} // namespace kw::probe
