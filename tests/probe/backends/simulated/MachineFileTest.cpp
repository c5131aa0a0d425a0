#include "probe/backends/simulated/MachineDescription.h"
#include "probe/backends/simulated/SimulatedMac.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <gtest/gtest.h>

#include <chrono>

using namespace kw::probe;
using namespace Qt::StringLiterals;

namespace {

const char* minimalMachine = R"({
  "format": 1,
  "title": "Test",
  "kernel": { "hw.model": "Mac14,2", "hw.optional.arm64": 1 },
  "hardwareOverview": { "SPHardwareDataType": [ { "machine_name": "MacBook Air" } ] },
  "classes": { "IOService": "IORegistryEntry", "AppleHPMInterfaceType10": "IOService" },
  "registry": { "id": 1, "class": "IORegistryEntry", "name": "Root", "children": [
      { "id": 2, "class": "AppleHPMInterfaceType10", "name": "Port-USB-C", "location": "1",
        "properties": { "PortNumber": 1, "Ratio": {"$real": 2}, "Blob": {"$data": "0a0B"},
                        "When": {"$date": "2026-08-11T21:06:24Z"}, "List": [1, "x", {"k": true}] } } ] },
  "power": { "providingType": "Battery Power", "adapter": null },
  "charging": { "powerSourceFeatures": true },
  "sockets": [ { "kind": "USB-C", "number": 1, "entry": 2 } ]
})";

// The minimal machine with one value replaced, given as a JSON pointer-like path of keys.
QByteArray with(const QStringList& path, const QJsonValue& value)
{
    QJsonObject root = QJsonDocument::fromJson(minimalMachine).object();
    std::function<QJsonValue(QJsonValue, int)> set = [&](QJsonValue node, int depth) -> QJsonValue {
        if (depth == path.size())
            return value;
        if (node.isArray()) {
            QJsonArray a = node.toArray();
            const int i = path[depth].toInt();
            a[i] = set(a[i], depth + 1);
            return a;
        }
        QJsonObject o = node.toObject();
        if (value.isUndefined() && depth + 1 == path.size()) {
            o.remove(path[depth]);
            return o;
        }
        o[path[depth]] = set(o.value(path[depth]), depth + 1);
        return o;
    };
    return QJsonDocument(set(root, 0).toObject()).toJson();
}

QString errorOf(const QByteArray& json)
{
    const auto result = parseMachineFile(json, u"m.json"_s);
    EXPECT_FALSE(result.machine) << "expected a refusal";
    return result.error;
}

} // namespace

TEST(MachineFile, ReadsTypedValuesTreeAndSockets)
{
    const auto result = parseMachineFile(minimalMachine, u"m.json"_s);
    ASSERT_TRUE(result.machine) << result.error.toStdString();
    const MachineDescription& m = *result.machine;
    EXPECT_EQ(m.rootId, 1u);
    const MachineEntry& port = m.entries.at(2);
    EXPECT_EQ(port.parent, 1u);
    EXPECT_EQ(m.entries.at(1).children, std::vector<std::uint64_t>{2});
    EXPECT_EQ(*port.properties.find(u"PortNumber"_s), PropertyValue(1));
    EXPECT_EQ(*port.properties.find(u"Ratio"_s), PropertyValue(2.0));
    EXPECT_EQ(*port.properties.find(u"Blob"_s), PropertyValue(QByteArray("\x0a\x0b", 2)));
    EXPECT_TRUE(port.properties.find(u"When"_s)->as<QDateTime>());
    EXPECT_EQ(port.properties.find(u"List"_s)->as<PropertyArray>()->size(), 3u);
    EXPECT_EQ(m.sockets.at(0).entry, 2u);
    EXPECT_TRUE(m.publishesPowerSourceFeatures);
    EXPECT_FALSE(m.adapterDetails);
    EXPECT_TRUE(m.hardwareOverviewOutput->contains("MacBook Air"));
}

TEST(MachineFile, MessagesNameFilePlaceAndProblem)
{
    EXPECT_TRUE(errorOf("{\n  \"format\": 1,\n  oops\n}").startsWith(u"m.json:3:"_s));
    EXPECT_EQ(errorOf("[]"), u"m.json: the top level must be an object"_s);
    EXPECT_EQ(errorOf(with({u"format"_s}, 2)), u"m.json: format: must be 1 (this program reads format 1)"_s);
    EXPECT_EQ(errorOf(with({u"extra"_s}, 1)), u"m.json: extra: unknown key"_s);
    EXPECT_EQ(errorOf(with({u"title"_s}, QJsonValue::Undefined)), u"m.json: title: missing"_s);
    EXPECT_EQ(errorOf(with({u"registry"_s, u"children"_s, u"0"_s, u"properties"_s, u"PortNumber"_s}, 1.5)),
              u"m.json: registry.children[0].properties.PortNumber: a number with a fractional part must be written "
              u"as {\"$real\": …}; integers must fit in 64 bits"_s);
    EXPECT_EQ(errorOf(with({u"registry"_s, u"children"_s, u"0"_s, u"id"_s}, 1)),
              u"m.json: registry.children[0].id: the id 1 is used twice"_s);
    EXPECT_EQ(errorOf(with({u"registry"_s, u"children"_s, u"0"_s, u"class"_s}, u"Nope"_s)),
              u"m.json: registry.children[0].class: the class Nope is not listed in \"classes\""_s);
    EXPECT_EQ(errorOf(with({u"registry"_s, u"children"_s, u"0"_s, u"properties"_s, u"Blob"_s},
                           QJsonObject{{u"$data"_s, u"abc"_s}})),
              u"m.json: registry.children[0].properties.Blob.$data: must be hexadecimal bytes, two digits per byte"_s);
    EXPECT_EQ(errorOf(with({u"sockets"_s, u"0"_s, u"entry"_s}, 77)),
              u"m.json: sockets[0].entry: no registry entry has the id 77"_s);
    EXPECT_EQ(errorOf(with({u"sockets"_s, u"0"_s, u"number"_s}, 2)),
              u"m.json: sockets: USB-C sockets must be numbered 1, 2, 3 … without gaps or repeats"_s);
    EXPECT_EQ(errorOf(with({u"classes"_s, u"IOService"_s}, u"AppleHPMInterfaceType10"_s)),
              u"m.json: classes.AppleHPMInterfaceType10: the chain of superclasses loops through AppleHPMInterfaceType10"_s);
    EXPECT_EQ(errorOf(with({u"power"_s, u"adapter"_s}, u"96W"_s)),
              u"m.json: power.adapter: must be an object, not a string"_s);
    EXPECT_EQ(errorOf(with({u"kernel"_s, u"hw.model"_s}, QJsonArray{})),
              u"m.json: kernel.hw.model: must be a string or an integer, not an array"_s);
}

TEST(MachineFile, DeepOrHugeInputIsRefusedWithoutCrashing)
{
    // Nesting far beyond any limit: the JSON reader itself refuses it.
    QByteArray deepJson = "{\"a\":" + QByteArray(100000, '[') + QByteArray(100000, ']') + "}";
    EXPECT_TRUE(errorOf(deepJson).startsWith(u"m.json:1:"_s));

    QJsonValue nested = 1;
    for (int i = 0; i < 70; ++i)
        nested = QJsonArray{nested};
    EXPECT_TRUE(errorOf(with({u"registry"_s, u"properties"_s}, QJsonObject{{u"Deep"_s, nested}}))
                    .endsWith(u"nested more than 64 levels deep"_s));

    QJsonObject entry{{u"id"_s, 1000}, {u"class"_s, u"IOService"_s}, {u"name"_s, u"E"_s}};
    for (int i = 1; i < 140; ++i)
        entry = QJsonObject{{u"id"_s, 1000 + i}, {u"class"_s, u"IOService"_s}, {u"name"_s, u"E"_s},
                            {u"children"_s, QJsonArray{entry}}};
    EXPECT_TRUE(errorOf(with({u"registry"_s, u"children"_s}, QJsonArray{entry}))
                    .endsWith(u"the registry is nested more than 128 entries deep"_s));
}

TEST(MachineFile, UnreadableFiles)
{
    EXPECT_TRUE(loadMachineFile(u"/nonexistent/m.json"_s).error.startsWith(u"/nonexistent/m.json: cannot be read"_s));
    EXPECT_EQ(loadMachineFile(u"/tmp"_s).error, u"/tmp: not a regular file"_s);
    EXPECT_EQ(loadMachineFile(u"/dev/zero"_s).error, u"/dev/zero: not a regular file"_s);
}

TEST(MachineFile, WhatTheJsonReaderLetsPassSilentlyIsRefused)
{
    // Qt's reader keeps the last of two equal keys; the file would say two things at once.
    EXPECT_EQ(errorOf("{\n  \"format\": 1,\n  \"format\": 1\n}"), u"m.json:3:3: the key \"format\" appears twice in one object"_s);
    QByteArray twice = minimalMachine;
    twice.replace("\"PortNumber\": 1,", "\"PortNumber\": 1, \"Port\\u004eumber\": 2,");
    EXPECT_TRUE(errorOf(twice).endsWith(u"the key \"PortNumber\" appears twice in one object"_s)) << errorOf(twice).toStdString();
    // One past either end of the signed 64-bit range: both refused alike, neither clamped nor rounded.
    for (const QByteArray& number : {QByteArray("-9223372036854775809"), QByteArray("9223372036854775808"),
                                     QByteArray("18446744073709551615")}) {
        QByteArray big = minimalMachine;
        big.replace("\"PortNumber\": 1,", "\"PortNumber\": " + number + ",");
        EXPECT_TRUE(errorOf(big).endsWith(QString::fromLatin1(number) + u" does not fit in 64 bits; integers must lie from "
                                          u"-9223372036854775808 to 9223372036854775807"_s))
            << errorOf(big).toStdString();
    }
    for (const QByteArray& number : {QByteArray("-9223372036854775808"), QByteArray("9223372036854775807")}) {
        QByteArray edge = minimalMachine;
        edge.replace("\"PortNumber\": 1,", "\"PortNumber\": " + number + ",");
        const auto result = parseMachineFile(edge, u"m.json"_s);
        ASSERT_TRUE(result.machine) << result.error.toStdString();
        EXPECT_EQ(*result.machine->entries.at(2).properties.find(u"PortNumber"_s), PropertyValue(std::int64_t(number.toLongLong())));
    }
    // Equal keys in different objects, and strings that look like keys, are fine.
    QByteArray fine = minimalMachine;
    fine.replace("\"List\": [1, \"x\", {\"k\": true}]", "\"List\": [{\"k\": 1}, {\"k\": 2}, \"k\", \"k\"]");
    EXPECT_TRUE(parseMachineFile(fine, u"m.json"_s).machine);
}

TEST(MachineFile, TheHardwareOverviewIsBounded)
{
    QJsonValue deep = QJsonObject{{u"machine_name"_s, u"MacBook Air"_s}};
    for (int i = 0; i < 70; ++i)
        deep = QJsonObject{{u"x"_s, deep}};
    EXPECT_EQ(errorOf(with({u"hardwareOverview"_s}, deep)), u"m.json: hardwareOverview: nested more than 64 levels deep"_s);
    const QJsonObject big{{u"SPHardwareDataType"_s, QJsonArray{QJsonObject{{u"machine_name"_s, QString(70000, u'x')}}}}};
    EXPECT_EQ(errorOf(with({u"hardwareOverview"_s}, big)), u"m.json: hardwareOverview: is larger than 65536 bytes"_s);
}

TEST(MachineFile, LongChainsOfClassesCostTimeInProportionToTheirLength)
{
    // A chain of 20,000 classes and 8,000 entries of the last: once quadratic (minutes), now linear.
    constexpr int chain = 20000;
    constexpr int entries = 8000;
    QByteArray json = R"({"format": 1, "title": "Chain", "kernel": {}, "classes": {"IOService": "IORegistryEntry", "C0": "IOService")";
    for (int i = 1; i < chain; ++i)
        json += ", \"C" + QByteArray::number(i) + "\": \"C" + QByteArray::number(i - 1) + "\"";
    json += R"(}, "registry": {"id": 1, "class": "IORegistryEntry", "name": "Root", "children": [)";
    for (int i = 0; i < entries; ++i)
        json += (i ? ", " : "") + QByteArray(R"({"id": )") + QByteArray::number(i + 2) + R"(, "class": "C)"
              + QByteArray::number(chain - 1) + R"(", "name": "E"})";
    json += R"(]}, "power": {"providingType": null, "adapter": null}, "charging": {"powerSourceFeatures": false}, "sockets": []})";

    const auto start = std::chrono::steady_clock::now();
    auto loaded = parseMachineFile(json, u"chain.json"_s);
    ASSERT_TRUE(loaded.machine) << loaded.error.toStdString();
    const auto mac = SimulatedMac::create(std::move(*loaded.machine), QString());
    EXPECT_EQ(mac->matchingServices(u"C0"_s)->size(), std::size_t(entries));
    EXPECT_EQ(mac->matchingServices(u"C100"_s)->size(), std::size_t(entries));
    EXPECT_EQ(mac->matchingServices(u"AppleHPMInterfaceType10"_s)->size(), 0u);
    const auto seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    constexpr double bound = 60.0; // the sanitizers slow every step many times over; quadratic still takes far longer
#else
    constexpr double bound = 10.0;
#endif
    EXPECT_LT(seconds, bound) << "loading and matching a long chain must not walk it once per class or entry";
}
