#include "probe/PortDiscovery.h"

#include "probe/MachineText.h"

#include <limits>
#include <set>

namespace kw::probe {

using namespace Qt::StringLiterals;

const QStringList& portControllerClassNames()
{
    static const QStringList names{u"AppleHPMInterfaceType10"_s, u"AppleHPMInterfaceType11"_s,
                                   u"AppleHPMInterfaceType12"_s, u"AppleHPMInterfaceType18"_s,
                                   u"AppleTCControllerType10"_s, u"AppleTCControllerType11"_s};
    return names;
}

const QStringList& systemControllerClassNames()
{
    static const QStringList names{u"AppleUSBXHCI"_s,      u"AppleUSBXHCIPCI"_s,      u"AppleT8103USBXHCI"_s,
                                   u"AppleT6000USBXHCI"_s, u"AppleT6020USBXHCI"_s,    u"AppleThunderboltHAL"_s,
                                   u"AppleThunderboltNHI"_s};
    return names;
}

const QStringList& portNumberKeys()
{
    static const QStringList keys{u"UsbIOPort"_s, u"PortNum"_s, u"PortNumber"_s, u"port-number"_s, u"port"_s};
    return keys;
}

namespace {

std::optional<std::int64_t> parseDecimal(const QString& text)
{
    if (text.isEmpty())
        return std::nullopt;
    qsizetype i = 0;
    const bool negative = text[0] == u'-';
    if (text[0] == u'+' || text[0] == u'-')
        i = 1;
    if (i == text.size())
        return std::nullopt;
    // Accumulate negatively so that INT64_MIN parses too.
    std::int64_t value = 0;
    for (; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        const int digit = c - u'0';
        if (value < (std::numeric_limits<std::int64_t>::min() + digit) / 10)
            return std::nullopt;
        value = value * 10 - digit;
    }
    if (!negative) {
        if (value == std::numeric_limits<std::int64_t>::min())
            return std::nullopt;
        value = -value;
    }
    return value;
}

std::optional<std::int64_t> hintFromValue(const PropertyValue& value)
{
    if (value.isNumber())
        return value.integerValue();
    if (auto s = value.as<QString>())
        return parseDecimal(*s);
    if (auto data = value.as<QByteArray>()) {
        if (data->size() > 8)
            return std::nullopt;
        std::uint64_t n = 0;
        for (char byte : *data)
            n = (n << 8) | static_cast<unsigned char>(byte);
        // Eight bytes with the top bit set do not fit a signed hint; treat it like any unusable value.
        if (n > std::uint64_t(std::numeric_limits<std::int64_t>::max()))
            return std::nullopt;
        return std::int64_t(n);
    }
    return std::nullopt;
}

template <typename Visit>
void forEachMatchingService(const Registry& registry, const QString& className, Visit visit)
{
    const auto services = registry.matchingServices(className);
    if (!services)
        return;
    for (RegistryEntry service : *services)
        visit(service);
}

} // namespace

std::int64_t portSortHint(const PropertyDictionary& properties, std::int64_t fallbackIndex)
{
    for (const QString& key : portNumberKeys()) {
        if (const PropertyValue* value = properties.find(key))
            if (auto hint = hintFromValue(*value))
                return *hint;
    }
    return fallbackSortHintBase + fallbackIndex;
}

std::vector<model::PortDescriptor> discoverPortDescriptors(const Registry& registry)
{
    std::vector<model::PortDescriptor> result;
    std::set<std::uint64_t> seen;
    for (const QString& className : portControllerClassNames()) {
        forEachMatchingService(registry, className, [&](RegistryEntry service) {
            const std::optional<std::uint64_t> id = registry.entryId(service);
            if (!id || !seen.insert(*id).second)
                return;
            const PropertyDictionary properties = registry.properties(service).value_or(PropertyDictionary());
            model::PortDescriptor d;
            d.id = *id;
            d.serviceClass = className;
            d.registryPath = cleanMachineText(registry.path(service).value_or(u"registry://unknown"_s));
            d.sortHint = portSortHint(properties, std::int64_t(result.size()));
            d.debugSummary = textForm(properties);
            result.push_back(std::move(d));
        });
    }
    return result;
}

std::int64_t countServices(const Registry& registry, const QStringList& classNames)
{
    std::set<std::uint64_t> ids;
    for (const QString& className : classNames)
        forEachMatchingService(registry, className, [&](RegistryEntry service) {
            if (auto id = registry.entryId(service))
                ids.insert(*id);
        });
    return std::int64_t(ids.size());
}

bool portOrderPrecedes(const model::PortDescriptor& a, const model::PortDescriptor& b)
{
    if (a.sortHint != b.sortHint)
        return a.sortHint < b.sortHint;
    if (a.registryPath == b.registryPath)
        return false;
    // UTF-16 order differs from scalar order only around surrogates; compare scalars to be exact.
    return a.registryPath.toUcs4() < b.registryPath.toUcs4();
}

} // namespace kw::probe
