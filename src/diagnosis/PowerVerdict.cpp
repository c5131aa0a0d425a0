#include "diagnosis/PowerVerdict.h"

#include <algorithm>
#include <cmath>
#include <tuple>

namespace kw::diagnosis {

using namespace Qt::StringLiterals;
using model::PortResultState;
using model::PortTestResult;
using model::PowerContract;
using model::PowerLevel;

namespace {

constexpr std::int64_t fiveVolts = 5000;

bool hasContract(const PortTestResult& r) { return r.state == PortResultState::passed && r.contract.has_value(); }

bool aboveFiveVoltsByPowerDelivery(const PowerContract& c)
{
    return c.kind == PowerContract::Kind::powerDelivery && c.agreed.millivolts > fiveVolts;
}

std::vector<PowerLevel> sorted(std::vector<PowerLevel> offers)
{
    std::sort(offers.begin(), offers.end(), [](const PowerLevel& a, const PowerLevel& b) {
        return std::tie(a.millivolts, a.milliamps, a.milliwatts) < std::tie(b.millivolts, b.milliamps, b.milliwatts);
    });
    return offers;
}

// Whole units for the texts, rounded to the nearest.
QString whole(std::int64_t milli) { return QString::number(std::llround(double(milli) / 1000.0)); }

} // namespace

bool sameCharger(const PortTestResult& a, const PortTestResult& b)
{
    const auto& offersA = a.contract ? a.contract->offers : std::vector<PowerLevel>();
    const auto& offersB = b.contract ? b.contract->offers : std::vector<PowerLevel>();
    if (!offersA.empty() && !offersB.empty())
        return sorted(offersA) == sorted(offersB);
    return a.adapterName && b.adapterName && a.adapterWatts && b.adapterWatts && *a.adapterName == *b.adapterName
        && *a.adapterWatts == *b.adapterWatts;
}

std::vector<WeakPort> findWeakPorts(const std::vector<PortTestResult>& results)
{
    std::vector<WeakPort> weak;
    for (const PortTestResult& here : results) {
        if (!hasContract(here))
            continue;
        const PowerContract& contract = *here.contract;
        // The best contract reached with the same charger at another port; the first of equals.
        const PortTestResult* best = nullptr;
        bool powerDeliveryAboveFiveVolts = false;
        for (const PortTestResult& other : results) {
            if (&other == &here || !hasContract(other) || !sameCharger(here, other))
                continue;
            powerDeliveryAboveFiveVolts = powerDeliveryAboveFiveVolts || aboveFiveVoltsByPowerDelivery(*other.contract);
            if (!best || other.contract->agreed.milliwatts > best->contract->agreed.milliwatts)
                best = &other;
        }
        if (!best) {
            const auto offer = contract.bestOffer();
            if (offer && offer->millivolts > fiveVolts && contract.agreed.millivolts <= fiveVolts)
                weak.push_back({here.ordinal, std::nullopt, *offer, contract.agreed});
            continue;
        }
        const PowerContract& reference = *best->contract;
        const bool onlyFiveVolts = contract.agreed.millivolts <= fiveVolts && powerDeliveryAboveFiveVolts;
        const bool lessThanHalf = contract.agreed.milliwatts * 2 < reference.agreed.milliwatts;
        if (onlyFiveVolts || lessThanHalf)
            weak.push_back({here.ordinal, best->ordinal, reference.agreed, contract.agreed});
    }
    return weak;
}

namespace texts {
const QString weakStateText = u"Anschluss reagiert, lädt aber nur eingeschränkt"_s;

QString weakNote(const WeakPort& weak)
{
    const QString here = u"hier nur "_s + whole(weak.agreed.millivolts) + u" V und "_s + whole(weak.agreed.milliwatts)
        + u" W. Das deutet auf eine abgenutzte Buchse oder einen beschädigten Ladepfad hin."_s;
    if (weak.comparedOrdinal)
        return u"Mit demselben Netzteil wurden an Anschluss "_s + QString::number(*weak.comparedOrdinal) + u' '
            + whole(weak.reference.milliwatts) + u" W vereinbart, "_s + here;
    return u"Das Netzteil bietet an diesem Anschluss bis zu "_s + whole(weak.reference.milliwatts)
        + u" W an, vereinbart wurden "_s + here;
}
} // namespace texts

} // namespace kw::diagnosis
