#include "probe/backends/simulated/MachineDescription.h"

#include "probe/MachineText.h"
#include "probe/backends/simulated/JsonText.h"

#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QJsonValue>
#include <QSet>

#include <cmath>
#include <set>
#include <vector>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

// Thrown only inside the parser; the public functions turn it into a message.
struct Problem {
    QString place;
    QString what;
};

QString keyPlace(const QString& parent, const QString& key)
{
    const bool simple = !key.isEmpty() && std::all_of(key.begin(), key.end(), [](QChar c) {
        return c.isLetterOrNumber() || c == u'_' || c == u'-' || c == u'.' || c == u'$';
    });
    const QString part = simple ? key : u"\""_s + key + u"\""_s;
    return parent.isEmpty() ? part : parent + u'.' + part;
}

QString indexPlace(const QString& parent, qsizetype index) { return parent + u'[' + QString::number(index) + u']'; }

QString describeType(const QJsonValue& v)
{
    switch (v.type()) {
    case QJsonValue::Null: return u"null"_s;
    case QJsonValue::Bool: return u"a boolean"_s;
    case QJsonValue::Double: return u"a number"_s;
    case QJsonValue::String: return u"a string"_s;
    case QJsonValue::Array: return u"an array"_s;
    case QJsonValue::Object: return u"an object"_s;
    default: return u"nothing"_s;
    }
}

[[noreturn]] void fail(const QString& place, const QString& what) { throw Problem{place, what}; }

std::optional<std::int64_t> exactInteger(const QJsonValue& v)
{
    if (!v.isDouble())
        return std::nullopt;
    const QVariant variant = v.toVariant();
    if (variant.typeId() == QMetaType::LongLong)
        return variant.toLongLong();
    return std::nullopt;
}

std::int64_t requireInteger(const QJsonValue& v, const QString& place)
{
    if (auto i = exactInteger(v))
        return *i;
    if (v.isDouble())
        fail(place, u"must be a whole number within the signed 64-bit range"_s);
    fail(place, u"must be an integer, not %1"_s.arg(describeType(v)));
}

QString requireString(const QJsonValue& v, const QString& place)
{
    if (!v.isString())
        fail(place, u"must be a string, not %1"_s.arg(describeType(v)));
    return v.toString();
}

QJsonObject requireObject(const QJsonValue& v, const QString& place)
{
    if (!v.isObject())
        fail(place, u"must be an object, not %1"_s.arg(describeType(v)));
    return v.toObject();
}

void rejectUnknownKeys(const QJsonObject& o, const QString& place, std::initializer_list<QStringView> known)
{
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (std::find(known.begin(), known.end(), it.key()) == known.end())
            fail(keyPlace(place, it.key()), u"unknown key"_s);
    }
}

PropertyValue typedValue(const QJsonValue& v, const QString& place, int depth);

PropertyDictionary typedDictionary(const QJsonObject& o, const QString& place, int depth)
{
    if (depth > machinePropertyDepth)
        fail(place, u"nested more than %1 levels deep"_s.arg(machinePropertyDepth));
    PropertyDictionary dict;
    for (auto it = o.begin(); it != o.end(); ++it) {
        if (it.key().startsWith(u'$'))
            fail(keyPlace(place, it.key()), u"dictionary keys must not begin with $"_s);
        dict.insert(it.key(), typedValue(it.value(), keyPlace(place, it.key()), depth + 1));
    }
    return dict;
}

PropertyValue typedValue(const QJsonValue& v, const QString& place, int depth)
{
    if (depth > machinePropertyDepth)
        fail(place, u"nested more than %1 levels deep"_s.arg(machinePropertyDepth));
    switch (v.type()) {
    case QJsonValue::Bool:
        return v.toBool();
    case QJsonValue::Double:
        if (auto i = exactInteger(v))
            return *i;
        fail(place, u"a number with a fractional part must be written as {\"$real\": …}; integers must fit in 64 bits"_s);
    case QJsonValue::String:
        return v.toString();
    case QJsonValue::Array: {
        PropertyArray array;
        const QJsonArray a = v.toArray();
        array.reserve(std::size_t(a.size()));
        for (qsizetype i = 0; i < a.size(); ++i)
            array.push_back(typedValue(a.at(i), indexPlace(place, i), depth + 1));
        return array;
    }
    case QJsonValue::Object: {
        const QJsonObject o = v.toObject();
        if (o.size() == 1 && o.begin().key().startsWith(u'$')) {
            const QString tag = o.begin().key();
            const QJsonValue inner = o.begin().value();
            const QString innerPlace = keyPlace(place, tag);
            if (tag == u"$real") {
                if (!inner.isDouble() || !std::isfinite(inner.toDouble()))
                    fail(innerPlace, u"must be a finite number"_s);
                return inner.toDouble();
            }
            if (tag == u"$data") {
                const QString hex = requireString(inner, innerPlace);
                const QByteArray bytes = QByteArray::fromHex(hex.toLatin1());
                if (hex.size() % 2 != 0 || bytes.toHex() != hex.toLower().toLatin1())
                    fail(innerPlace, u"must be hexadecimal bytes, two digits per byte"_s);
                return bytes;
            }
            if (tag == u"$date") {
                const QDateTime date = QDateTime::fromString(requireString(inner, innerPlace), Qt::ISODate);
                if (!date.isValid())
                    fail(innerPlace, u"must be an ISO 8601 date and time"_s);
                return date;
            }
            fail(innerPlace, u"unknown value type (known: $real, $data, $date)"_s);
        }
        return typedDictionary(o, place, depth);
    }
    default:
        fail(place, u"null is not a registry value"_s);
    }
}

struct Parser {
    MachineDescription machine;
    std::size_t entryCount = 0;

    void parseKernel(const QJsonValue& v)
    {
        const QJsonObject o = requireObject(v, u"kernel"_s);
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString place = keyPlace(u"kernel"_s, it.key());
            if (it.value().isString())
                machine.kernelValues[it.key()] = it.value().toString();
            else if (auto i = exactInteger(it.value()))
                machine.kernelValues[it.key()] = *i;
            else
                fail(place, u"must be a string or an integer, not %1"_s.arg(describeType(it.value())));
        }
    }

    void parseClasses(const QJsonValue& v)
    {
        const QJsonObject o = requireObject(v, u"classes"_s);
        for (auto it = o.begin(); it != o.end(); ++it) {
            const QString place = keyPlace(u"classes"_s, it.key());
            if (it.key() == u"IORegistryEntry")
                fail(place, u"IORegistryEntry is the root class and has no superclass"_s);
            const QString super = requireString(it.value(), place);
            if (super.isEmpty())
                fail(place, u"the superclass name is empty"_s);
            machine.superclasses[it.key()] = super;
        }
        // Each class is followed up to the root once: a chain already known to end well ends the walk.
        std::set<QString> known{u"IORegistryEntry"_s};
        for (const auto& [name, super] : machine.superclasses) {
            std::vector<QString> walked;
            std::set<QString> onThisWalk;
            for (QString current = name; !known.count(current);) {
                if (!onThisWalk.insert(current).second)
                    fail(keyPlace(u"classes"_s, name), u"the chain of superclasses loops through %1"_s.arg(current));
                walked.push_back(current);
                auto next = machine.superclasses.find(current);
                if (next == machine.superclasses.end())
                    fail(keyPlace(u"classes"_s, name),
                         u"the chain of superclasses ends in %1, which is not IORegistryEntry and has no superclass"_s.arg(current));
                current = next->second;
            }
            known.insert(walked.begin(), walked.end());
        }
    }

    std::uint64_t parseEntry(const QJsonValue& v, const QString& place, int depth, std::optional<std::uint64_t> parent)
    {
        if (depth > maxRegistryDepth)
            fail(place, u"the registry is nested more than %1 entries deep"_s.arg(maxRegistryDepth));
        if (++entryCount > maxRegistryEntries)
            fail(place, u"the registry holds more than %1 entries"_s.arg(maxRegistryEntries));
        const QJsonObject o = requireObject(v, place);
        rejectUnknownKeys(o, place, {u"id", u"class", u"name", u"location", u"properties", u"children"});
        for (auto key : {u"id"_s, u"class"_s, u"name"_s})
            if (!o.contains(key))
                fail(place, u"the entry has no \"%1\""_s.arg(key));

        MachineEntry entry;
        const std::int64_t id = requireInteger(o.value(u"id"), keyPlace(place, u"id"_s));
        if (id < 0)
            fail(keyPlace(place, u"id"_s), u"must not be negative"_s);
        entry.id = std::uint64_t(id);
        if (machine.entries.count(entry.id))
            fail(keyPlace(place, u"id"_s), u"the id %1 is used twice"_s.arg(id));
        entry.className = requireString(o.value(u"class"), keyPlace(place, u"class"_s));
        if (entry.className != u"IORegistryEntry" && !machine.superclasses.count(entry.className))
            fail(keyPlace(place, u"class"_s), u"the class %1 is not listed in \"classes\""_s.arg(entry.className));
        entry.name = requireString(o.value(u"name"), keyPlace(place, u"name"_s));
        if (entry.name.isEmpty() || entry.name.contains(u'/') || entry.name.contains(u'@'))
            fail(keyPlace(place, u"name"_s), u"must be non-empty and contain neither / nor @"_s);
        if (o.contains(u"location")) {
            entry.location = requireString(o.value(u"location"), keyPlace(place, u"location"_s));
            if (entry.location.contains(u'/'))
                fail(keyPlace(place, u"location"_s), u"must not contain /"_s);
        }
        if (o.contains(u"properties"))
            entry.properties = typedDictionary(requireObject(o.value(u"properties"), keyPlace(place, u"properties"_s)),
                                               keyPlace(place, u"properties"_s), 1);
        entry.parent = parent;
        const std::uint64_t myId = entry.id;
        machine.entries.emplace(myId, std::move(entry));

        if (o.contains(u"children")) {
            const QString childrenPlace = keyPlace(place, u"children"_s);
            const QJsonValue children = o.value(u"children");
            if (!children.isArray())
                fail(childrenPlace, u"must be an array, not %1"_s.arg(describeType(children)));
            const QJsonArray a = children.toArray();
            for (qsizetype i = 0; i < a.size(); ++i) {
                const std::uint64_t childId = parseEntry(a.at(i), indexPlace(childrenPlace, i), depth + 1, myId);
                machine.entries.at(myId).children.push_back(childId);
            }
        }
        return myId;
    }

    void parseHardwareOverview(const QJsonObject& top)
    {
        const bool hasDocument = top.contains(u"hardwareOverview") && !top.value(u"hardwareOverview").isNull();
        const bool hasText = top.contains(u"hardwareOverviewText");
        if (hasDocument && hasText)
            fail(u"hardwareOverviewText"_s, u"give either \"hardwareOverview\" or \"hardwareOverviewText\", not both"_s);
        if (hasDocument) {
            const QJsonValue doc = top.value(u"hardwareOverview");
            QJsonDocument d = doc.isObject() ? QJsonDocument(doc.toObject())
                            : doc.isArray()  ? QJsonDocument(doc.toArray())
                                             : QJsonDocument();
            if (d.isNull())
                fail(u"hardwareOverview"_s, u"must be an object or an array (what the tool prints)"_s);
            if (jsonNestingDepth(doc) > maxHardwareOverviewDepth)
                fail(u"hardwareOverview"_s, u"nested more than %1 levels deep"_s.arg(maxHardwareOverviewDepth));
            machine.hardwareOverviewOutput = hardwareOverviewOutput(d);
        } else if (hasText) {
            machine.hardwareOverviewOutput = requireString(top.value(u"hardwareOverviewText"), u"hardwareOverviewText"_s).toUtf8();
        }
        if (machine.hardwareOverviewOutput) {
            if (machine.hardwareOverviewOutput->size() > maxHardwareOverviewBytes)
                fail(hasText ? u"hardwareOverviewText"_s : u"hardwareOverview"_s,
                     u"is larger than %1 bytes"_s.arg(maxHardwareOverviewBytes));
            if (machine.hardwareOverviewOutput->contains('\0'))
                fail(u"hardwareOverviewText"_s, u"must not contain a zero byte"_s);
        }
        if (top.contains(u"hardwareOverviewExitStatus")) {
            const auto status = requireInteger(top.value(u"hardwareOverviewExitStatus"), u"hardwareOverviewExitStatus"_s);
            if (status < 0 || status > 255)
                fail(u"hardwareOverviewExitStatus"_s, u"must be from 0 to 255"_s);
            machine.hardwareOverviewExitStatus = int(status);
        }
        if (top.contains(u"hardwareOverviewDelaySeconds")) {
            const QJsonValue delay = top.value(u"hardwareOverviewDelaySeconds");
            if (!delay.isDouble() || delay.toDouble() < 0 || delay.toDouble() > 3600)
                fail(u"hardwareOverviewDelaySeconds"_s, u"must be a number of seconds from 0 to 3600"_s);
            machine.hardwareOverviewDelaySeconds = delay.toDouble();
        }
    }

    void parsePower(const QJsonValue& v)
    {
        const QJsonObject o = requireObject(v, u"power"_s);
        rejectUnknownKeys(o, u"power"_s, {u"providingType", u"adapter"});
        if (!o.contains(u"providingType") || !o.contains(u"adapter"))
            fail(u"power"_s, u"needs both \"providingType\" and \"adapter\" (either may be null)"_s);
        if (!o.value(u"providingType").isNull())
            machine.providingPowerType = requireString(o.value(u"providingType"), u"power.providingType"_s);
        if (!o.value(u"adapter").isNull())
            machine.adapterDetails = typedDictionary(requireObject(o.value(u"adapter"), u"power.adapter"_s),
                                                     u"power.adapter"_s, 1);
    }

    void parseCharging(const QJsonValue& v)
    {
        const QJsonObject o = requireObject(v, u"charging"_s);
        rejectUnknownKeys(o, u"charging"_s, {u"powerSourceFeatures"});
        const QJsonValue flag = o.value(u"powerSourceFeatures");
        if (!flag.isBool())
            fail(u"charging.powerSourceFeatures"_s, u"must be true or false"_s);
        machine.publishesPowerSourceFeatures = flag.toBool();
    }

    void parseSockets(const QJsonValue& v)
    {
        if (!v.isArray())
            fail(u"sockets"_s, u"must be an array, not %1"_s.arg(describeType(v)));
        const QJsonArray a = v.toArray();
        std::set<std::uint64_t> usedEntries;
        bool magSafeSeen = false;
        for (qsizetype i = 0; i < a.size(); ++i) {
            const QString place = indexPlace(u"sockets"_s, i);
            const QJsonObject o = requireObject(a.at(i), place);
            rejectUnknownKeys(o, place, {u"kind", u"number", u"label", u"entry"});
            MachineSocket socket;
            const QString kind = requireString(o.value(u"kind"), keyPlace(place, u"kind"_s));
            if (kind == u"USB-C") {
                socket.kind = MachineSocket::Kind::usbC;
                socket.number = int(requireInteger(o.value(u"number"), keyPlace(place, u"number"_s)));
            } else if (kind == u"MagSafe") {
                socket.kind = MachineSocket::Kind::magSafe;
                if (o.contains(u"number"))
                    fail(keyPlace(place, u"number"_s), u"a MagSafe socket has no number"_s);
                if (magSafeSeen)
                    fail(place, u"a machine has at most one MagSafe socket"_s);
                magSafeSeen = true;
            } else {
                fail(keyPlace(place, u"kind"_s), u"must be \"USB-C\" or \"MagSafe\", not \"%1\""_s.arg(kind));
            }
            if (o.contains(u"label")) // an imported one comes from the registry
                socket.label = cleanMachineText(requireString(o.value(u"label"), keyPlace(place, u"label"_s)));
            if (o.contains(u"entry") && !o.value(u"entry").isNull()) {
                const QString entryPlace = keyPlace(place, u"entry"_s);
                const std::int64_t id = requireInteger(o.value(u"entry"), entryPlace);
                if (id < 0 || !machine.entries.count(std::uint64_t(id)))
                    fail(entryPlace, u"no registry entry has the id %1"_s.arg(id));
                if (!usedEntries.insert(std::uint64_t(id)).second)
                    fail(entryPlace, u"the entry %1 belongs to another socket already"_s.arg(id));
                socket.entry = std::uint64_t(id);
            }
            machine.sockets.push_back(socket);
        }
        std::vector<int> numbers;
        for (const auto& s : machine.sockets)
            if (s.kind == MachineSocket::Kind::usbC)
                numbers.push_back(s.number);
        std::sort(numbers.begin(), numbers.end());
        for (std::size_t i = 0; i < numbers.size(); ++i)
            if (numbers[i] != int(i) + 1)
                fail(u"sockets"_s, u"USB-C sockets must be numbered 1, 2, 3 … without gaps or repeats"_s);
    }

    void parse(const QJsonObject& top)
    {
        rejectUnknownKeys(top, {}, {u"format", u"title", u"origin", u"kernel", u"hardwareOverview", u"hardwareOverviewText",
                                    u"hardwareOverviewExitStatus", u"hardwareOverviewDelaySeconds", u"classes",
                                    u"registry", u"power", u"charging", u"sockets"});
        for (auto key : {u"format"_s, u"title"_s, u"kernel"_s, u"classes"_s, u"registry"_s, u"power"_s, u"charging"_s,
                         u"sockets"_s})
            if (!top.contains(key))
                fail(key, u"missing"_s);
        if (exactInteger(top.value(u"format")) != 1)
            fail(u"format"_s, u"must be 1 (this program reads format 1)"_s);
        // Shown as they are (the machine list, the backend's name); an imported title holds the model.
        machine.title = cleanMachineText(requireString(top.value(u"title"), u"title"_s));
        if (top.contains(u"origin"))
            machine.origin = cleanMachineText(requireString(top.value(u"origin"), u"origin"_s));
        parseKernel(top.value(u"kernel"));
        parseHardwareOverview(top);
        parseClasses(top.value(u"classes"));
        machine.rootId = parseEntry(top.value(u"registry"), u"registry"_s, 1, std::nullopt);
        parsePower(top.value(u"power"));
        parseCharging(top.value(u"charging"));
        parseSockets(top.value(u"sockets"));
    }
};

std::pair<int, int> lineAndColumn(const QByteArray& text, qsizetype offset)
{
    int line = 1, column = 1;
    for (qsizetype i = 0; i < offset && i < text.size(); ++i) {
        if (text[i] == '\n') {
            ++line;
            column = 1;
        } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            ++column;
        }
    }
    return {line, column};
}

} // namespace

QByteArray hardwareOverviewOutput(const QJsonDocument& document) { return document.toJson(QJsonDocument::Indented); }

MachineLoadResult parseMachineFile(const QByteArray& json, const QString& fileName)
{
    if (json.size() > maxMachineFileBytes)
        return {std::nullopt, u"%1: the file is larger than %2 MiB"_s.arg(fileName).arg(maxMachineFileBytes / (1024 * 1024))};
    QJsonParseError parseError;
    const QJsonDocument doc = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        const auto [line, column] = lineAndColumn(json, parseError.offset);
        return {std::nullopt, u"%1:%2:%3: not valid JSON: %4"_s.arg(fileName).arg(line).arg(column).arg(parseError.errorString())};
    }
    if (const auto problem = strictJsonProblem(json)) {
        const auto [line, column] = lineAndColumn(json, problem->offset);
        return {std::nullopt, u"%1:%2:%3: %4"_s.arg(fileName).arg(line).arg(column).arg(problem->what)};
    }
    if (!doc.isObject())
        return {std::nullopt, u"%1: the top level must be an object"_s.arg(fileName)};
    Parser parser;
    try {
        parser.parse(doc.object());
    } catch (const Problem& p) {
        return {std::nullopt, u"%1: %2: %3"_s.arg(fileName, p.place.isEmpty() ? u"top level"_s : p.place, p.what)};
    }
    return {std::move(parser.machine), {}};
}

MachineLoadResult loadMachineFile(const QString& path)
{
    // A FIFO or a device could block or never end; machine files are plain files.
    if (QFileInfo info(path); info.exists() && !info.isFile())
        return {std::nullopt, u"%1: not a regular file"_s.arg(path)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt, u"%1: cannot be read: %2"_s.arg(path, file.errorString())};
    if (file.size() > maxMachineFileBytes)
        return {std::nullopt, u"%1: the file is larger than %2 MiB"_s.arg(path).arg(maxMachineFileBytes / (1024 * 1024))};
    // In pieces: a read of the largest size allowed would reserve all of it for a file of a few KiB.
    QByteArray content;
    while (content.size() <= maxMachineFileBytes) {
        const QByteArray piece = file.read(1024 * 1024);
        if (piece.isEmpty())
            break;
        content += piece;
    }
    if (content.size() > maxMachineFileBytes)
        return {std::nullopt, u"%1: the file is larger than %2 MiB"_s.arg(path).arg(maxMachineFileBytes / (1024 * 1024))};
    return parseMachineFile(content, path);
}

} // namespace kw::probe
