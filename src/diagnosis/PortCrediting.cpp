#include "diagnosis/PortCrediting.h"

#include <algorithm>
#include <iterator>

namespace kw::diagnosis {

std::vector<model::PortObservation> chargeCandidates(const std::vector<model::PortObservation>& observations)
{
    const bool powerShown = std::any_of(observations.begin(), observations.end(),
                                        [](const model::PortObservation& o) { return o.powerDeliveryActive; });
    std::vector<model::PortObservation> candidates;
    std::copy_if(observations.begin(), observations.end(), std::back_inserter(candidates),
                 [powerShown](const model::PortObservation& o) {
                     return powerShown ? o.powerDeliveryActive : o.isActive();
                 });
    return candidates;
}

PortCredit creditChargingPort(const std::vector<model::PortObservation>& observations,
                              const std::set<model::RegistryEntryId>& testedControllerIDs)
{
    const std::vector<model::PortObservation> candidates = chargeCandidates(observations);
    const auto untested = std::find_if(candidates.begin(), candidates.end(), [&](const model::PortObservation& o) {
        return !testedControllerIDs.count(o.descriptor.id);
    });
    if (untested != candidates.end())
        return {PortCredit::Outcome::credited, untested->descriptor.id};
    if (!candidates.empty())
        return {PortCredit::Outcome::alreadyTested, std::nullopt};
    return {PortCredit::Outcome::noActivePort, std::nullopt};
}

} // namespace kw::diagnosis
