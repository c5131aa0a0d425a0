#include "probe/SupportDump.h"

#include <QJsonArray>
#include <QRegularExpression>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

QJsonValue optionalJson(const std::optional<std::int64_t>& v) { return v ? QJsonValue(qint64(*v)) : QJsonValue(); }
QJsonValue optionalJson(const std::optional<QString>& v) { return v ? QJsonValue(*v) : QJsonValue(); }

QJsonObject toJson(const model::MacIdentity& identity)
{
    return {{u"modelIdentifier"_s, identity.modelIdentifier},
            {u"marketingName"_s, identity.marketingName},
            {u"chipName"_s, identity.chipName},
            {u"isAppleSilicon"_s, identity.isAppleSilicon},
            {u"isNotebook"_s, identity.isNotebook}};
}

QJsonObject toJson(const model::PortDescriptor& d)
{
    return {{u"id"_s, qint64(d.id)}, // registry IDs stay far below 2^63
            {u"serviceClass"_s, d.serviceClass},
            {u"registryPath"_s, d.registryPath},
            {u"sortHint"_s, qint64(d.sortHint)},
            {u"debugSummary"_s, d.debugSummary}};
}

QString yesNo(bool b) { return b ? u"yes"_s : u"no"_s; }

QJsonObject toJson(const model::PowerLevel& level)
{
    return {{u"millivolts"_s, qint64(level.millivolts)},
            {u"milliamps"_s, qint64(level.milliamps)},
            {u"milliwatts"_s, qint64(level.milliwatts)}};
}

// Absent contracts say so rather than leave the key out: a reader of the dump should not have to
// know which machines publish them.
QJsonObject toJson(const std::optional<model::PowerContract>& contract)
{
    if (!contract)
        return {{u"published"_s, false}};
    QJsonArray offers;
    for (const auto& o : contract->offers)
        offers.append(toJson(o));
    const auto best = contract->bestOffer();
    return {{u"published"_s, true},
            {u"kind"_s, contract->kind == model::PowerContract::Kind::powerDelivery ? u"powerDelivery"_s : u"typeC"_s},
            {u"agreed"_s, toJson(contract->agreed)},
            {u"offers"_s, offers},
            {u"bestOffer"_s, best ? QJsonValue(toJson(*best)) : QJsonValue()}};
}

QString milliText(std::int64_t milli, const QString& unit)
{
    static const QRegularExpression trailingZeros(u"\\.?0+$"_s);
    return QString::number(double(milli) / 1000.0, 'f', 2).remove(trailingZeros) + u' ' + unit;
}

QString levelText(const model::PowerLevel& l)
{
    return milliText(l.millivolts, u"V"_s) + u' ' + milliText(l.milliamps, u"A"_s) + u' ' + milliText(l.milliwatts, u"W"_s);
}

QString contractText(const std::optional<model::PowerContract>& contract)
{
    if (!contract)
        return u"not published"_s;
    return (contract->kind == model::PowerContract::Kind::powerDelivery ? u"USB Power Delivery, "_s
                                                                         : u"5 V Type-C without Power Delivery, "_s)
        + levelText(contract->agreed) + u" agreed"_s;
}

QString offersText(const std::optional<model::PowerContract>& contract)
{
    if (!contract || contract->offers.empty())
        return u"not published"_s;
    QStringList offers;
    for (const auto& o : contract->offers)
        offers << levelText(o);
    return offers.join(u", "_s);
}

} // namespace

QJsonObject toJson(const model::HardwareReport& report)
{
    QJsonArray descriptors;
    for (const auto& d : report.portDescriptors)
        descriptors.append(toJson(d));
    return {{u"identity"_s, toJson(report.identity)},
            {u"expectedPortCount"_s, qint64(report.expectedPortCount)},
            {u"rawControllerCount"_s, qint64(report.rawControllerCount)},
            {u"portDescriptors"_s, descriptors},
            {u"controllerCheckIsConclusive"_s, report.controllerCheckIsConclusive},
            {u"probableControllerFailure"_s, report.probableControllerFailure},
            {u"notes"_s, QJsonArray::fromStringList(report.notes)}};
}

QJsonObject toJson(const model::PowerSnapshot& power)
{
    return {{u"externalPowerConnected"_s, power.externalPowerConnected},
            {u"adapterWatts"_s, optionalJson(power.adapterWatts)},
            {u"adapterName"_s, optionalJson(power.adapterName)},
            {u"rawDescription"_s, power.rawDescription}};
}

QJsonObject toJson(const model::PortObservation& o)
{
    return {{u"descriptor"_s, toJson(o.descriptor)},
            {u"connected"_s, o.connected},
            {u"powerDeliveryActive"_s, o.powerDeliveryActive},
            {u"partnerIdentityVisible"_s, o.partnerIdentityVisible},
            {u"contract"_s, toJson(o.contract)}};
}

QJsonObject toJson(const ProbeReading& reading)
{
    QJsonArray observations;
    for (const auto& o : reading.observations)
        observations.append(toJson(o));
    return {{u"backend"_s, reading.backendName},
            {u"report"_s, toJson(reading.report)},
            {u"power"_s, toJson(reading.power)},
            {u"observations"_s, observations}};
}

QString toText(const ProbeReading& r)
{
    const auto& id = r.report.identity;
    QString out;
    auto line = [&](const QString& text) { out += text + u'\n'; };
    line(u"Backend: "_s + r.backendName);
    line({});
    line(u"Machine"_s);
    line(u"  Model identifier:  "_s + id.modelIdentifier);
    line(u"  Marketing name:    "_s + (id.marketingName.isEmpty() ? u"(none)"_s : id.marketingName));
    line(u"  Chip:              "_s + id.chipName);
    line(u"  Apple silicon:     "_s + yesNo(id.isAppleSilicon));
    line(u"  Notebook:          "_s + yesNo(id.isNotebook));
    line({});
    line(u"Controller check"_s);
    line(u"  Expected USB-C ports:        %1"_s.arg(r.report.expectedPortCount));
    line(u"  Raw controller count:        %1"_s.arg(r.report.rawControllerCount));
    line(u"  Check is conclusive:         "_s + yesNo(r.report.controllerCheckIsConclusive));
    line(u"  Probable controller failure: "_s + yesNo(r.report.probableControllerFailure));
    if (r.report.notes.isEmpty())
        line(u"  Notes: none"_s);
    else {
        line(u"  Notes:"_s);
        for (const QString& note : r.report.notes)
            line(u"    - "_s + note);
    }
    line({});
    line(u"Port descriptors, in port order: %1"_s.arg(r.report.portDescriptors.size()));
    int n = 0;
    for (const auto& d : r.report.portDescriptors) {
        line(u"  %1. %2  sort hint %3  id %4"_s.arg(++n).arg(d.serviceClass).arg(d.sortHint).arg(d.id));
        line(u"     "_s + d.registryPath);
    }
    line({});
    line(u"Power"_s);
    line(u"  External power connected: "_s + yesNo(r.power.externalPowerConnected));
    line(u"  Adapter watts:             "_s + (r.power.adapterWatts ? QString::number(*r.power.adapterWatts) : u"(none)"_s));
    line(u"  Adapter name:              "_s + r.power.adapterName.value_or(u"(none)"_s));
    line(u"  Raw description:           "_s
         + (r.power.rawDescription.isEmpty() ? u"(none)"_s : QString(r.power.rawDescription).replace(u'\n', u' ').simplified()));
    line({});
    line(u"Port observations: %1"_s.arg(r.observations.size()));
    for (const auto& o : r.observations) {
        line(u"  id %1  connected %2, power delivery %3, PD partner %4"_s.arg(o.descriptor.id)
                 .arg(yesNo(o.connected), yesNo(o.powerDeliveryActive), yesNo(o.partnerIdentityVisible)));
        line(u"     charger's offers: "_s + offersText(o.contract));
        line(u"     contract:         "_s + contractText(o.contract));
    }
    return out;
}

} // namespace kw::probe
