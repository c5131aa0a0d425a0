#pragma once

#include "model/HardwareReport.h"
#include "model/PortTestResult.h"

#include <QString>

#include <optional>
#include <vector>

namespace kw::diagnosis {

// The maker's website: the host is build configuration, the paths are fixed.
namespace links {
QString host();
QString home();
QString estimatePage();
QString repairPage12Inch();
QString repairPageMacBookPro();
QString repairPageMacBookAir();
QString repairPageMacBookNeo();
} // namespace links

namespace texts {
QString passedNote(std::optional<std::int64_t> adapterWatts);
extern const QString limitedNote;
extern const QString limitedNoteWithoutPortData;
// The note of a limited result: an Intel Mac's, or that of a Mac whose system publishes no port data.
const QString& limitedNoteFor(const std::optional<model::HardwareReport>& report);
extern const QString timeoutNote;
extern const QString reportCopied;
} // namespace texts

bool hasFailures(const std::vector<model::PortTestResult>& results);

// The plain-text diagnosis report, lines joined with single line feeds.
QString reportText(const std::optional<model::HardwareReport>& report, const std::vector<model::PortTestResult>& results);

// The repair page that fits the machine, by marketing name and model identifier.
QString repairPageURL(const std::optional<model::HardwareReport>& report);

} // namespace kw::diagnosis
