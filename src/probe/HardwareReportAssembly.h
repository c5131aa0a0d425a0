#pragma once

#include "model/HardwareReport.h"
#include "probe/Platform.h"

#include <QHash>

#include <optional>

namespace kw::probe {

namespace notes {
extern const QString noPortControllerServices;
extern const QString intelMachine;
extern const QString noGenericControllers;
extern const QString notAMacBook;
extern const QString countFromRegistry;
extern const QString noPortDataFromLinux;
} // namespace notes

// Ports by model identifier, for the models whose count is known.
const QHash<QString, std::int64_t>& expectedPortCountTable();
std::optional<std::int64_t> lookupExpectedPortCount(const QString& modelIdentifier, const QString& marketingName);
std::int64_t registryPortCount(const std::vector<model::PortDescriptor>& all, const model::MacIdentity& identity);
std::vector<model::PortDescriptor> selectPortDescriptors(const std::vector<model::PortDescriptor>& all,
                                                         std::int64_t count);

// The verdicts and notes from what the scan found; all is in discovery order. Without port data
// (Registry::publishesPortData) the controller check cannot judge the machine and says so.
model::HardwareReport assembleHardwareReport(const model::MacIdentity& identity,
                                             const std::vector<model::PortDescriptor>& all,
                                             std::int64_t genericControllerCount, bool portDataPublished = true);

// One controller scan. Blocks for up to the identity detection's time limit; never fails.
model::HardwareReport buildHardwareReport(const Platform& platform);

} // namespace kw::probe
