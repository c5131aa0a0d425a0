#include "probe/PowerSnapshotReader.h"

#include "probe/MachineText.h"

#include <limits>

namespace kw::probe {

using namespace Qt::StringLiterals;

const QStringList& adapterWattsKeys()
{
    static const QStringList keys{u"Watts"_s, u"AdapterWatts"_s, u"Maximum Power"_s, u"MaxPower"_s, u"Power"_s};
    return keys;
}

const QStringList& adapterNameKeys()
{
    static const QStringList keys{u"Name"_s, u"Description"_s, u"Manufacturer"_s, u"Adapter Name"_s};
    return keys;
}

namespace {

// The numeric characters of a text, parsed as a decimal integer; only ASCII digits parse.
std::optional<std::int64_t> wattsFromText(const QString& text)
{
    bool anyNumeric = false;
    std::int64_t value = 0;
    bool parses = true;
    for (char32_t c : text.toUcs4()) {
        if (!QChar::isNumber(c))
            continue;
        anyNumeric = true;
        if (c < U'0' || c > U'9') {
            parses = false;
            continue;
        }
        if (value > (std::numeric_limits<std::int64_t>::max() - int(c - U'0')) / 10)
            parses = false;
        else
            value = value * 10 + int(c - U'0');
    }
    if (!anyNumeric || !parses || value < 1)
        return std::nullopt;
    return value;
}

} // namespace

std::optional<std::int64_t> readAdapterWatts(const PropertyDictionary& details, const QStringList& keys)
{
    for (const QString& key : keys) {
        const PropertyValue* value = details.find(key);
        if (!value)
            continue;
        if (value->isNumber())
            return value->integerValue();
        if (auto text = value->as<QString>())
            if (auto watts = wattsFromText(*text))
                return watts;
    }
    return std::nullopt;
}

std::optional<QString> readAdapterName(const PropertyDictionary& details, const QStringList& keys)
{
    for (const QString& key : keys) {
        const PropertyValue* value = details.find(key);
        if (auto text = value ? value->as<QString>() : nullptr; text && !text->isEmpty())
            return cleanMachineText(*text);
    }
    return std::nullopt;
}

model::PowerSnapshot readPowerSnapshot(const PowerSources& power)
{
    model::PowerSnapshot snapshot;
    QStringList parts;
    if (auto type = power.providingPowerSourceType()) {
        snapshot.externalPowerConnected = *type == u"AC Power" || type->contains(u"AC", Qt::CaseInsensitive);
        parts << u"Source: "_s + cleanMachineText(*type);
    }
    if (auto details = power.externalAdapterDetails()) {
        parts << textForm(*details);
        snapshot.adapterWatts = readAdapterWatts(*details, adapterWattsKeys());
        snapshot.adapterName = readAdapterName(*details, adapterNameKeys());
        snapshot.externalPowerConnected = true;
    }
    snapshot.rawDescription = parts.join(u" | "_s);
    return snapshot;
}

} // namespace kw::probe
