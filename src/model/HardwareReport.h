#pragma once

#include "model/MacIdentity.h"
#include "model/PortDescriptor.h"

#include <QString>
#include <QStringList>

#include <cstdint>
#include <vector>

namespace kw::model {

// The outcome of one controller scan. No equality: a report is a snapshot, not a value to compare.
struct HardwareReport {
    MacIdentity identity;
    std::int64_t expectedPortCount = 1;
    std::int64_t rawControllerCount = 0;
    std::vector<PortDescriptor> portDescriptors;
    bool controllerCheckIsConclusive = false;
    bool probableControllerFailure = false;
    // False where the system publishes no USB-C port data at all (Linux without a Type-C driver).
    bool portDataPublished = true;
    QStringList notes;
};

} // namespace kw::model
