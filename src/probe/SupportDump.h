#pragma once

#include "model/HardwareReport.h"
#include "model/PortObservation.h"
#include "model/PowerSnapshot.h"

#include <QJsonObject>
#include <QString>

#include <vector>

namespace kw::probe {

// One reading of the machine as the probe sees it, for support and for scripts.
struct ProbeReading {
    QString backendName;
    model::HardwareReport report;
    model::PowerSnapshot power;
    std::vector<model::PortObservation> observations;
};

QJsonObject toJson(const model::HardwareReport& report);
QJsonObject toJson(const model::PowerSnapshot& power);
QJsonObject toJson(const model::PortObservation& observation);
QJsonObject toJson(const ProbeReading& reading);

QString toText(const ProbeReading& reading);

} // namespace kw::probe
