#pragma once

#include "probe/Platform.h"

#include <QString>

#include <memory>
#include <optional>

namespace kw::probe {
class SimulatedMac;
}

namespace kw::app {

struct BackendChoice {
    std::optional<probe::Platform> platform;
    std::shared_ptr<probe::SimulatedMac> simulatedMac; // when the platform is a simulated Mac
    QString error;                                     // when platform is absent
};

// The backend is chosen here, once, and passed down; nothing else decides it.
BackendChoice chooseBackend(const QString& machine);

} // namespace kw::app
