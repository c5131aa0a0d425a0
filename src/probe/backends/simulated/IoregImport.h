#pragma once

#include <QByteArray>
#include <QJsonObject>
#include <QString>

#include <optional>

namespace kw::probe {

struct IoregInput {
    QString name; // for messages
    QByteArray bytes;
};

struct IoregImportResult {
    std::optional<QJsonObject> machine; // a machine file
    QByteArray json;                    // the machine file's text, as it is to be written
    QString error;                      // "FILE: place: problem" when machine is absent
};

// Turns what "ioreg -a -l" printed (any plane; a whole tree or "-r -c CLASS" subsets) into a machine
// file. hardware: the JSON of "system_profiler SPHardwareDataType -json"; battery: the XML of the
// battery service (with "AdapterDetails"), for the power state. What a machine file cannot hold, or
// holds only within the limits of MachineLimits.h, is refused here with its place, never written.
IoregImportResult importIoreg(const IoregInput& dump, const std::optional<IoregInput>& hardware,
                              const std::optional<IoregInput>& battery);

} // namespace kw::probe
