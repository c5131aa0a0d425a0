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
    bool simulationFallback = false; // this computer publishes no ports, so a simulated Mac stands in
    bool portDataUnavailable = false; // a recorded arm64 machine (Apple silicon) whose kernel published no ports

    // What the window says about the backend in its top bar; empty when there is nothing to say.
    QString windowNotice() const;
};

// The backend is chosen here, once, and passed down; nothing else decides it. A machine file always
// means the simulated Mac; a recorded tree (fsRoot) the Linux backend on it; otherwise, on a Mac, the
// Mac itself through I/O Kit, and on Linux this computer's Type-C ports when Linux publishes any, else
// the default simulated Mac.
BackendChoice chooseBackend(const QString& machine, const QString& fsRoot = {});

} // namespace kw::app
