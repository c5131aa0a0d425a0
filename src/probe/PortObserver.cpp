#include "probe/PortObserver.h"

#include "probe/PortDiscovery.h"

#include <algorithm>
#include <set>

namespace kw::probe {

using namespace Qt::StringLiterals;

const QStringList& connectionKeyWords()
{
    static const QStringList words{u"connected"_s, u"attached"_s,  u"attach"_s,     u"connectionstate"_s,
                                   u"partnerpresent"_s, u"portstate"_s, u"cablestate"_s, u"ccstate"_s};
    return words;
}

const QStringList& connectedValueWords()
{
    static const QStringList words{u"yes"_s, u"true"_s, u"connected"_s, u"attached"_s, u"source"_s, u"sink"_s};
    return words;
}

namespace {

// "Disconnected" contains "connected"; values that say the opposite must not count as a connection.
bool saysNotConnected(const QString& lowered)
{
    const QString trimmed = lowered.trimmed();
    if (trimmed == u"no" || trimmed == u"false" || trimmed == u"none")
        return true;
    for (QStringView phrase : {u"disconnected", u"detached", u"unattached", u"not connected", u"not attached"})
        if (trimmed.contains(phrase))
            return true;
    return false;
}

// Only a boolean, a number or a string says something of its own key; the text of a nested
// dictionary or array speaks of other keys (a dictionary is looked into by itself).
bool valueSaysConnected(const PropertyValue& value)
{
    if (auto b = value.as<bool>())
        return *b;
    if (value.isNumber())
        return value.integerValue() >= 1;
    const QString* string = value.as<QString>();
    if (!string)
        return false;
    const QString text = string->toLower();
    if (saysNotConnected(text))
        return false;
    for (const QString& word : connectedValueWords())
        if (text.contains(word))
            return true;
    return false;
}

bool hasConnectedPropertyAt(const PropertyDictionary& properties, int depth)
{
    if (depth > maxPropertyDepth)
        return false;
    for (const auto& [key, value] : properties) {
        if (auto nested = value.as<PropertyDictionary>())
            if (hasConnectedPropertyAt(*nested, depth + 1))
                return true;
        const QString normalized = key.toLower().remove(u' ');
        const bool connectionKey = std::any_of(connectionKeyWords().begin(), connectionKeyWords().end(),
                                               [&](const QString& word) { return normalized.contains(word); });
        if (connectionKey && valueSaysConnected(value))
            return true;
    }
    return false;
}

bool anyContains(const QStringList& classNames, const QString& fragment)
{
    return std::any_of(classNames.begin(), classNames.end(),
                       [&](const QString& name) { return name.contains(fragment); });
}

std::optional<std::int64_t> positiveNumber(const PropertyDictionary& d, const QString& key)
{
    const PropertyValue* v = d.find(key);
    if (!v || !v->isNumber() || v->as<bool>() || v->integerValue() <= 0)
        return std::nullopt;
    return v->integerValue();
}

// One supply option ("Voltage (mV)", "Max Current (mA)", "Max Power (mW)"); the power follows from
// volts and amperes where it is missing.
std::optional<model::PowerLevel> powerLevel(const PropertyValue* value)
{
    const PropertyDictionary* d = value ? value->as<PropertyDictionary>() : nullptr;
    if (!d)
        return std::nullopt;
    const auto millivolts = positiveNumber(*d, u"Voltage (mV)"_s);
    const auto milliamps = positiveNumber(*d, u"Max Current (mA)"_s);
    if (!millivolts || !milliamps)
        return std::nullopt;
    // No supply reaches a megawatt: beyond it a reading is nonsense and would overflow below.
    constexpr std::int64_t limit = 1'000'000'000;
    if (*millivolts > limit || *milliamps > limit)
        return std::nullopt;
    const std::int64_t milliwatts =
        positiveNumber(*d, u"Max Power (mW)"_s).value_or(*millivolts * *milliamps / 1000);
    return model::PowerLevel{*millivolts, *milliamps, std::min(milliwatts, limit)};
}

bool namedPowerDelivery(const PropertyDictionary& source)
{
    const PropertyValue* name = source.find(u"PowerSourceName"_s);
    return name && name->as<QString>() && *name->as<QString>() == u"USB-PD";
}

} // namespace

std::optional<model::PowerContract> readPowerContract(const std::vector<PropertyDictionary>& powerSources)
{
    const PropertyDictionary* winner = nullptr;
    std::optional<model::PowerLevel> agreed;
    std::vector<model::PowerLevel> offers;
    for (const PropertyDictionary& source : powerSources) {
        const bool powerDelivery = namedPowerDelivery(source);
        const PropertyValue* options = source.find(u"PowerSourceOptions"_s);
        if (powerDelivery && offers.empty() && options && options->as<PropertyArray>())
            for (const PropertyValue& option : *options->as<PropertyArray>())
                if (auto level = powerLevel(&option))
                    offers.push_back(*level);
        // A Power Delivery winner outranks a fallback that names one too.
        if (auto level = powerLevel(source.find(u"WinningPowerSourceOption"_s));
            level && (!winner || (powerDelivery && !namedPowerDelivery(*winner)))) {
            winner = &source;
            agreed = level;
        }
    }
    if (!winner)
        return std::nullopt;
    const auto kind = namedPowerDelivery(*winner) ? model::PowerContract::Kind::powerDelivery
                                                  : model::PowerContract::Kind::typeC;
    return model::PowerContract{kind, *agreed, std::move(offers)};
}

bool hasConnectedProperty(const PropertyDictionary& properties) { return hasConnectedPropertyAt(properties, 1); }

SubtreeState readSubtreeState(const Registry& registry, RegistryEntry entry)
{
    SubtreeState state;
    const auto descendants = registry.readDescendants(entry);
    if (!descendants)
        return state;
    QStringList texts;
    for (const DescendantReading& d : *descendants) {
        if (d.className)
            state.classNames << *d.className;
        PropertyDictionary properties = d.properties.value_or(PropertyDictionary());
        texts << textForm(properties);
        if (d.className && d.className->contains(powerSourceClassFragment))
            state.powerSources.push_back(std::move(properties));
    }
    state.text = texts.join(u' ');
    return state;
}

model::PortObservation observePort(const Registry& registry, const model::PortDescriptor& descriptor)
{
    model::PortObservation observation{descriptor, false, false, false, std::nullopt};
    const std::optional<RegistryEntry> entry = registry.entryWithId(descriptor.id);
    if (!entry)
        return observation;
    const SubtreeState subtree = readSubtreeState(registry, *entry);
    const PropertyDictionary properties = registry.properties(*entry).value_or(PropertyDictionary());
    const QString state = (textForm(properties).toLower() + u' ' + subtree.text).toLower();

    observation.powerDeliveryActive = anyContains(subtree.classNames, powerSourceClassFragment);
    observation.partnerIdentityVisible = anyContains(subtree.classNames, pdPartnerClassFragment);
    observation.connected = hasConnectedProperty(properties) || state.contains(u"partnerpresent = 1")
        || state.contains(u"connectionstate = 1") || state.contains(u"attached = yes")
        || observation.partnerIdentityVisible || state.contains(u"attached = 1") || observation.powerDeliveryActive;
    observation.contract = readPowerContract(subtree.powerSources);
    return observation;
}

std::vector<model::PortObservation> observePorts(const Registry& registry,
                                                 const std::vector<model::PortDescriptor>& descriptors)
{
    std::set<std::uint64_t> wanted;
    for (const auto& d : descriptors)
        wanted.insert(d.id);
    std::vector<model::PortObservation> observations;
    for (const model::PortDescriptor& live : discoverPortDescriptors(registry))
        if (wanted.count(live.id))
            observations.push_back(observePort(registry, live));
    sortInPortOrder(observations, [](const model::PortObservation& o) -> const model::PortDescriptor& {
        return o.descriptor;
    });
    return observations;
}

} // namespace kw::probe
