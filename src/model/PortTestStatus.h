#pragma once

#include <QString>

#include <optional>

namespace kw::model {

enum class PortTestStatus {
    waitingForDisconnect,
    ready,
    waitingForConnection,
    checking,
    alreadyTested,
    wrongPowerSource,
    timedOut,
    success,
};

QString caseName(PortTestStatus status);
std::optional<PortTestStatus> portTestStatusFromCaseName(const QString& name);

} // namespace kw::model
