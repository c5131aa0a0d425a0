#pragma once

#include "model/PortDescriptor.h"
#include "model/PowerContract.h"

#include <optional>

namespace kw::model {

// The live state of one port at one moment.
struct PortObservation {
    PortDescriptor descriptor;
    bool connected = false;
    bool powerDeliveryActive = false;
    bool partnerIdentityVisible = false;
    // What the port agreed with the charger, where the machine publishes it.
    std::optional<PowerContract> contract;

    // A port counts as active for the port test when any flag is set.
    bool isActive() const { return connected || powerDeliveryActive || partnerIdentityVisible; }
};

} // namespace kw::model
