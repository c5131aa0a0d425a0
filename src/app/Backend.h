#pragma once

#include "probe/Platform.h"

#include <QString>

#include <optional>

namespace kw::app {

struct BackendChoice {
    std::optional<probe::Platform> platform;
    QString error; // when platform is absent
};

// The backend is chosen here, once, and passed down; nothing else decides it.
BackendChoice chooseBackend(const QString& machine);

} // namespace kw::app
