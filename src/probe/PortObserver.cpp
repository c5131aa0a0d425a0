#include "probe/PortObserver.h"

#include "probe/PortDiscovery.h"

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

} // namespace

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
        texts << textForm(d.properties.value_or(PropertyDictionary()));
    }
    state.text = texts.join(u' ');
    return state;
}

model::PortObservation observePort(const Registry& registry, const model::PortDescriptor& descriptor)
{
    model::PortObservation observation{descriptor, false, false, false};
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
