#pragma once

#include "model/PortTestResult.h"

#include <QString>

#include <optional>
#include <vector>

namespace kw::diagnosis {

// A passed port that charges below what the same charger reached elsewhere in the run (or, for a port
// with nothing to compare, below what the charger offered it).
struct WeakPort {
    std::int64_t ordinal = 0;
    // The port with the best contract with the same charger; absent when the port stood alone and
    // is judged by its own charger's offers.
    std::optional<std::int64_t> comparedOrdinal;
    model::PowerLevel reference; // agreed at the compared port, or the best offer here
    model::PowerLevel agreed;    // agreed here

    friend bool operator==(const WeakPort&, const WeakPort&) = default;
};

// Whether two passed results charged from the same charger: the same Power Delivery offers, or where
// one of them saw no offers, the same adapter name and watts in the power reading.
bool sameCharger(const model::PortTestResult& a, const model::PortTestResult& b);

// The weak ports of a run, in the order of the results. A passed port is weak when, with the same
// charger, another port reached a Power Delivery contract above 5 V while it got only 5 V, or when it
// got less than half the watts agreed at the best such port. A port with no other port to compare
// with is weak only when its own Power Delivery source offers more than 5 V yet the contract is 5 V.
// Ports whose contract is not published take no part.
std::vector<WeakPort> findWeakPorts(const std::vector<model::PortTestResult>& results);

namespace texts {
extern const QString weakStateText;
QString weakNote(const WeakPort& weak);
} // namespace texts

} // namespace kw::diagnosis
