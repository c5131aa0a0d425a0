#include "probe/backends/simulated/IoregImport.h"

#include "probe/backends/simulated/JsonText.h"
#include "probe/backends/simulated/MachineDescription.h"
#include "probe/backends/simulated/PropertyList.h"

#include <QJsonArray>
#include <QJsonDocument>

#include <cmath>
#include <map>
#include <set>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

struct Problem {
    QString file;
    QString what;
};

// Keys ioreg adds to describe an entry and its service state; everything else is the entry's own
// property, as the registry hands it to a program.
const std::set<QString> entryKeys{u"IOObjectClass"_s,       u"IOObjectRetainCount"_s,     u"IORegistryEntryID"_s,
                                  u"IORegistryEntryName"_s, u"IORegistryEntryLocation"_s, u"IORegistryEntryChildren"_s,
                                  u"IOServiceBusyState"_s,  u"IOServiceBusyTime"_s,       u"IOServiceState"_s};

QJsonValue typedJson(const PropertyValue& value)
{
    return std::visit(
        [](const auto& v) -> QJsonValue {
            using T = std::decay_t<decltype(v)>;
            if constexpr (std::is_same_v<T, bool>)
                return v;
            else if constexpr (std::is_same_v<T, std::int64_t>)
                return qint64(v);
            else if constexpr (std::is_same_v<T, double>)
                return QJsonObject{{u"$real"_s, v}};
            else if constexpr (std::is_same_v<T, QString>)
                return v;
            else if constexpr (std::is_same_v<T, QByteArray>)
                return QJsonObject{{u"$data"_s, QString::fromLatin1(v.toHex())}};
            else if constexpr (std::is_same_v<T, QDateTime>)
                return QJsonObject{{u"$date"_s, v.toUTC().toString(Qt::ISODate)}};
            else if constexpr (std::is_same_v<T, PropertyArray>) {
                QJsonArray a;
                for (const auto& item : v)
                    a.append(typedJson(item));
                return a;
            } else {
                QJsonObject o;
                for (const auto& [key, item] : v)
                    o.insert(key, typedJson(item));
                return o;
            }
        },
        value.storage());
}

QString stringOf(const PropertyDictionary& d, const QString& key)
{
    const PropertyValue* v = d.find(key);
    return v && v->as<QString>() ? *v->as<QString>() : QString();
}

// Refuses, with its place, what a machine file cannot hold, so that the import never writes a file that
// the loader then refuses. A dictionary is at depth 1, each value one deeper than what holds it.
class ValueCheck {
public:
    explicit ValueCheck(QString file) : m_file(std::move(file)) {}

    void dictionary(const PropertyDictionary& d, const QString& place, int depth) const
    {
        if (depth > machinePropertyDepth)
            fail(place, u"nested more than %1 levels deep"_s.arg(machinePropertyDepth));
        for (const auto& [key, item] : d) {
            if (key.startsWith(u'$'))
                fail(place, u"the key '%1' begins with $, which a machine file keeps for typed values"_s.arg(key));
            value(item, place + u'.' + key, depth + 1);
        }
    }

    void value(const PropertyValue& v, const QString& place, int depth) const
    {
        if (depth > machinePropertyDepth)
            fail(place, u"nested more than %1 levels deep"_s.arg(machinePropertyDepth));
        if (auto d = v.as<PropertyDictionary>())
            dictionary(*d, place, depth);
        else if (auto a = v.as<PropertyArray>())
            for (std::size_t i = 0; i < a->size(); ++i)
                value((*a)[i], place + u'[' + QString::number(i) + u']', depth + 1);
        else if (auto real = v.as<double>(); real && !std::isfinite(*real))
            fail(place, u"%1 is not a finite number, which a machine file cannot hold"_s.arg(*real));
        else if (auto date = v.as<QDateTime>();
                 date && !QDateTime::fromString(date->toUTC().toString(Qt::ISODate), Qt::ISODate).isValid())
            fail(place, u"the date cannot be written in a machine file"_s);
    }

private:
    [[noreturn]] void fail(const QString& place, const QString& what) const { throw Problem{m_file, place + u": "_s + what}; }

    QString m_file;
};

struct Importer {
    QString file;
    std::set<std::uint64_t> ids;
    std::set<QString> classes;
    std::size_t count = 0;
    bool publishesPowerSources = false;
    struct Port {
        bool magSafe;
        std::int64_t number;
        std::uint64_t id;
        QString label;
    };
    std::vector<Port> ports;

    [[noreturn]] void fail(const QString& place, const QString& what) { throw Problem{file, place + u": "_s + what}; }

    QJsonObject entry(const PropertyValue& value, const QString& place, int depth)
    {
        if (depth > maxRegistryDepth)
            fail(place, u"the registry is nested more than %1 entries deep"_s.arg(maxRegistryDepth));
        if (++count > maxRegistryEntries)
            fail(place, u"the registry holds more than %1 entries"_s.arg(maxRegistryEntries));
        const PropertyDictionary* d = value.as<PropertyDictionary>();
        if (!d)
            fail(place, u"a registry entry must be a <dict>"_s);
        const PropertyValue* id = d->find(u"IORegistryEntryID"_s);
        if (!id || !id->as<std::int64_t>())
            fail(place, u"the entry has no IORegistryEntryID (was the dump made with ioreg -a -l?)"_s);
        if (*id->as<std::int64_t>() < 0)
            fail(place, u"the IORegistryEntryID %1 is negative; a machine file holds IDs from 0 to 9223372036854775807"_s.arg(
                            *id->as<std::int64_t>()));
        const auto entryId = std::uint64_t(*id->as<std::int64_t>());
        if (!ids.insert(entryId).second)
            fail(place, u"the IORegistryEntryID %1 appears twice"_s.arg(entryId));
        QString className = stringOf(*d, u"IOObjectClass"_s);
        if (className.isEmpty())
            fail(place, u"the entry has no IOObjectClass"_s);
        QString name = stringOf(*d, u"IORegistryEntryName"_s);
        if (name.isEmpty())
            name = className;
        name.replace(u'/', u'_').replace(u'@', u'_');
        classes.insert(className);
        if (className.contains(u"IOPortFeaturePowerSource"))
            publishesPowerSources = true;

        QJsonObject properties;
        PropertyDictionary own;
        for (const auto& [key, v] : *d)
            if (!entryKeys.count(key))
                own.insert(key, v);
        ValueCheck(file).dictionary(own, place, 1);
        for (const auto& [key, v] : own)
            properties.insert(key, typedJson(v));
        const QString portType = stringOf(*d, u"PortTypeDescription"_s);
        if (portType == u"USB-C" || portType.startsWith(u"MagSafe")) {
            const PropertyValue* number = d->find(u"PortNumber"_s);
            ports.push_back({portType.startsWith(u"MagSafe"), number ? number->integerValue() : 0, entryId,
                             stringOf(*d, u"Description"_s)});
        }

        QJsonObject out{{u"id"_s, qint64(entryId)}, {u"class"_s, className}, {u"name"_s, name}};
        const QString location = stringOf(*d, u"IORegistryEntryLocation"_s).replace(u'/', u'_');
        if (!location.isEmpty())
            out.insert(u"location"_s, location);
        if (!properties.isEmpty())
            out.insert(u"properties"_s, properties);
        if (const PropertyValue* children = d->find(u"IORegistryEntryChildren"_s)) {
            const PropertyArray* list = children->as<PropertyArray>();
            if (!list)
                fail(place, u"IORegistryEntryChildren must be an <array>"_s);
            QJsonArray kids;
            for (std::size_t i = 0; i < list->size(); ++i)
                kids.append(entry((*list)[i], place + u"/"_s + name + u"["_s + QString::number(i) + u"]"_s, depth + 1));
            out.insert(u"children"_s, kids);
        }
        return out;
    }
};

QJsonObject hardwareOverview(const IoregInput& input)
{
    QJsonParseError error;
    const QJsonDocument doc = QJsonDocument::fromJson(input.bytes, &error);
    if (error.error != QJsonParseError::NoError)
        throw Problem{input.name, u"not valid JSON: "_s + error.errorString()};
    if (const auto problem = strictJsonProblem(input.bytes))
        throw Problem{input.name, u"at byte %1: %2"_s.arg(problem->offset).arg(problem->what)};
    if (!doc.isObject())
        throw Problem{input.name, u"the hardware overview must be a JSON object"_s};
    if (jsonNestingDepth(doc.object()) > maxHardwareOverviewDepth)
        throw Problem{input.name, u"nested more than %1 levels deep"_s.arg(maxHardwareOverviewDepth)};
    if (hardwareOverviewOutput(doc).size() > maxHardwareOverviewBytes)
        throw Problem{input.name, u"larger than %1 bytes as a machine file holds it"_s.arg(maxHardwareOverviewBytes)};
    return doc.object();
}

} // namespace

IoregImportResult importIoreg(const IoregInput& dump, const std::optional<IoregInput>& hardware,
                              const std::optional<IoregInput>& battery)
{
    try {
        if (dump.bytes.size() > maxPropertyListBytes)
            throw Problem{dump.name, u"the dump is larger than %1 MiB"_s.arg(maxPropertyListBytes / (1024 * 1024))};
        const PropertyListResult plist = readXmlPropertyList(dump.bytes);
        if (!plist.value)
            throw Problem{dump.name, plist.error};

        Importer importer{dump.name, {}, {}, 0, false, {}};
        std::vector<PropertyValue> roots;
        if (auto list = plist.value->as<PropertyArray>())
            roots = *list;
        else
            roots.push_back(*plist.value);
        if (roots.empty())
            throw Problem{dump.name, u"the dump holds no registry entry"_s};

        QJsonObject root;
        const bool wholeTree = roots.size() == 1 && roots.front().as<PropertyDictionary>()
                            && stringOf(*roots.front().as<PropertyDictionary>(), u"IOObjectClass"_s) == u"IORegistryEntry";
        if (wholeTree) {
            root = importer.entry(roots.front(), u"root"_s, 1);
        } else {
            // Subsets ("-r -c CLASS") have no common root: they hang from a made-up one, which counts.
            importer.count = 1;
            QJsonArray children;
            for (std::size_t i = 0; i < roots.size(); ++i)
                children.append(importer.entry(roots[i], u"["_s + QString::number(i) + u"]"_s, 2));
            std::uint64_t rootId = 1;
            while (importer.ids.count(rootId))
                ++rootId;
            root = QJsonObject{{u"id"_s, qint64(rootId)}, {u"class"_s, u"IORegistryEntry"_s}, {u"name"_s, u"Root"_s},
                               {u"children"_s, children}};
        }

        QJsonObject kernel;
        QJsonObject overview;
        if (hardware) {
            overview = hardwareOverview(*hardware);
            const QJsonArray records = overview.value(u"SPHardwareDataType"_s).toArray();
            const QJsonObject record = records.isEmpty() ? QJsonObject() : records.first().toObject();
            if (record.value(u"machine_model"_s).isString())
                kernel.insert(u"hw.model"_s, record.value(u"machine_model"_s));
            else if (record.value(u"model_identifier"_s).isString())
                kernel.insert(u"hw.model"_s, record.value(u"model_identifier"_s));
            if (record.value(u"chip_type"_s).isString())
                kernel.insert(u"hw.optional.arm64"_s, 1);
        }

        QJsonObject power{{u"providingType"_s, u"Battery Power"_s}, {u"adapter"_s, QJsonValue()}};
        if (battery) {
            const PropertyListResult b = readXmlPropertyList(battery->bytes);
            if (!b.value)
                throw Problem{battery->name, b.error};
            const PropertyDictionary* service = b.value->as<PropertyDictionary>();
            if (auto list = b.value->as<PropertyArray>(); list && !list->empty())
                service = list->front().as<PropertyDictionary>();
            const PropertyValue* details = service ? service->find(u"AdapterDetails"_s) : nullptr;
            if (details && details->as<PropertyDictionary>() && !details->as<PropertyDictionary>()->empty()) {
                ValueCheck(battery->name).dictionary(*details->as<PropertyDictionary>(), u"AdapterDetails"_s, 1);
                power = QJsonObject{{u"providingType"_s, u"AC Power"_s}, {u"adapter"_s, typedJson(*details)}};
            }
        }

        // Does a charger show as power-source entries? What the dump shows decides; an idle dump
        // falls back to the family: M2 and later (Mac14,x and up) publish them, earlier ones do not.
        bool powerSources = importer.publishesPowerSources;
        const QString model = kernel.value(u"hw.model"_s).toString();
        if (!powerSources && model.startsWith(u"Mac") && !model.startsWith(u"MacBook") && !model.startsWith(u"Macmini")) {
            bool ok = false;
            const int generation = model.mid(3, model.indexOf(u',') - 3).toInt(&ok);
            powerSources = ok && generation >= 14;
        }

        QJsonObject classes{{u"IOService"_s, u"IORegistryEntry"_s}};
        for (const QString& c : importer.classes)
            if (c != u"IORegistryEntry" && c != u"IOService")
                classes.insert(c, u"IOService"_s);

        std::stable_sort(importer.ports.begin(), importer.ports.end(),
                         [](const auto& a, const auto& b) { return a.number < b.number; });
        QJsonArray sockets;
        int number = 0;
        bool magSafeSeen = false;
        for (const auto& port : importer.ports) {
            if (port.magSafe) {
                if (magSafeSeen)
                    continue;
                magSafeSeen = true;
                sockets.append(QJsonObject{{u"kind"_s, u"MagSafe"_s}, {u"entry"_s, qint64(port.id)}, {u"label"_s, port.label}});
            } else {
                sockets.append(QJsonObject{{u"kind"_s, u"USB-C"_s}, {u"number"_s, ++number}, {u"entry"_s, qint64(port.id)},
                                           {u"label"_s, port.label}});
            }
        }

        QJsonObject machine{{u"format"_s, 1},
                            {u"title"_s, u"Imported: %1"_s.arg(model.isEmpty() ? dump.name : model)},
                            {u"origin"_s, u"Imported from %1 by kabelwacht import-ioreg"_s.arg(dump.name)},
                            {u"kernel"_s, kernel},
                            {u"classes"_s, classes},
                            {u"registry"_s, root},
                            {u"power"_s, power},
                            {u"charging"_s, QJsonObject{{u"powerSourceFeatures"_s, powerSources}}},
                            {u"sockets"_s, sockets}};
        if (hardware)
            machine.insert(u"hardwareOverview"_s, overview);
        QByteArray json = jsonTextKeepingReals(QJsonDocument(machine));
        if (json.size() > maxMachineFileBytes)
            throw Problem{dump.name, u"the machine file would be larger than %1 MiB, more than the program loads"_s.arg(
                                         maxMachineFileBytes / (1024 * 1024))};
        return {machine, std::move(json), {}};
    } catch (const Problem& p) {
        return {std::nullopt, {}, p.file + u": "_s + p.what};
    }
}

} // namespace kw::probe
