#pragma once

#include <cstdint>
#include <optional>
#include <vector>

namespace kw::model {

// One fixed supply level: what a charger offers, or what a port agreed with it.
struct PowerLevel {
    std::int64_t millivolts = 0;
    std::int64_t milliamps = 0;
    std::int64_t milliwatts = 0;

    friend bool operator==(const PowerLevel&, const PowerLevel&) = default;
};

// What a port agreed with the charger that supplies it, as far as the machine publishes it.
struct PowerContract {
    enum class Kind {
        powerDelivery, // a USB Power Delivery contract
        typeC,         // 5 V without Power Delivery: Type-C current or a fallback source
    };
    Kind kind = Kind::typeC;
    PowerLevel agreed;
    // The charger's Power Delivery offers as seen at this port; empty when none are published
    // (a port that talks no Power Delivery sees none).
    std::vector<PowerLevel> offers;

    // The offer with the most power, if any.
    std::optional<PowerLevel> bestOffer() const
    {
        std::optional<PowerLevel> best;
        for (const PowerLevel& o : offers)
            if (!best || o.milliwatts > best->milliwatts)
                best = o;
        return best;
    }

    friend bool operator==(const PowerContract&, const PowerContract&) = default;
};

} // namespace kw::model
