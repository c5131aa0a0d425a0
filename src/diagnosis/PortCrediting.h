#pragma once

#include "model/PortObservation.h"

#include <optional>
#include <set>
#include <vector>

namespace kw::diagnosis {

// What one look at the ports says about the charger that just brought power.
struct PortCredit {
    enum class Outcome {
        credited,      // an untested port took it: controllerID names the port
        alreadyTested, // the first candidate passed before
        noActivePort,  // no port shows anything
    };
    Outcome outcome = Outcome::noActivePort;
    std::optional<model::RegistryEntryId> controllerID;

    friend bool operator==(const PortCredit&, const PortCredit&) = default;
};

// The ports that may have taken the charger, in the order of the observations. The power-source
// rule: when some port shows a power source coming in, only such ports count, since a hub, display
// adapter or dock left in another socket is active too but supplies nothing; a machine that
// publishes no power sources leaves every active port a candidate.
std::vector<model::PortObservation> chargeCandidates(const std::vector<model::PortObservation>& observations);

// Credits the first candidate not yet tested; otherwise says whether the first candidate was tested
// before, or that no port is active at all.
PortCredit creditChargingPort(const std::vector<model::PortObservation>& observations,
                              const std::set<model::RegistryEntryId>& testedControllerIDs);

} // namespace kw::diagnosis
