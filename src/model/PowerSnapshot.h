#pragma once

#include <QString>

#include <cstdint>
#include <optional>

namespace kw::model {

// The machine's external power state at one moment.
struct PowerSnapshot {
    bool externalPowerConnected = false;
    std::optional<std::int64_t> adapterWatts;
    std::optional<QString> adapterName;
    QString rawDescription;
};

} // namespace kw::model
