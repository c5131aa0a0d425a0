// The import against the loader: whatever the import accepts, the loader loads, value for value;
// what a machine file cannot hold is refused with its place instead of written.
#include "probe/backends/simulated/IoregImport.h"
#include "probe/backends/simulated/MachineDescription.h"
#include "probe/backends/simulated/PropertyList.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QRandomGenerator>

#include <gtest/gtest.h>

using namespace kw::probe;
using namespace Qt::StringLiterals;

namespace {

// One registry entry of a dump, its properties given as property-list XML.
QByteArray entry(std::int64_t id, const QByteArray& properties = {}, const QByteArray& children = {})
{
    QByteArray xml = "<dict><key>IOObjectClass</key><string>IOService</string><key>IORegistryEntryID</key><integer>"
                   + QByteArray::number(id) + "</integer>" + properties;
    if (!children.isEmpty())
        xml += "<key>IORegistryEntryChildren</key><array>" + children + "</array>";
    return xml + "</dict>";
}

QByteArray plist(const QByteArray& value) { return "<?xml version=\"1.0\"?><plist version=\"1.0\">" + value + "</plist>"; }

// A value nested so that its innermost value lies at the given depth, the entry's properties being 1.
QByteArray nestedTo(int depth)
{
    QByteArray xml = "<integer>7</integer>";
    for (int level = depth; level > 2; --level)
        xml = (level % 2 ? "<array>" : "<dict><key>k</key>") + xml + (level % 2 ? "</array>" : "</dict>");
    return xml;
}

IoregImportResult import(const QByteArray& dump, const std::optional<QByteArray>& hardware = std::nullopt,
                         const std::optional<QByteArray>& battery = std::nullopt)
{
    std::optional<IoregInput> h, b;
    if (hardware)
        h = IoregInput{u"hw.json"_s, *hardware};
    if (battery)
        b = IoregInput{u"battery.plist"_s, *battery};
    return importIoreg({u"d.plist"_s, dump}, h, b);
}

enum class Compare { everyValue, loadOnly };

// Imports the dump; when the import accepts it, the loader must load what it wrote, with every
// property as the dump had it. Returns the import's error, empty when it was accepted.
QString roundTrip(const QByteArray& dump, const std::optional<QByteArray>& hardware = std::nullopt,
                  const std::optional<QByteArray>& battery = std::nullopt, Compare compare = Compare::everyValue)
{
    const IoregImportResult imported = import(dump, hardware, battery);
    if (!imported.machine)
        return imported.error;
    EXPECT_TRUE(imported.error.isEmpty());
    const MachineLoadResult loaded = parseMachineFile(imported.json, u"imported.json"_s);
    EXPECT_TRUE(loaded.machine) << "the import wrote what the loader refuses: " << loaded.error.toStdString();
    if (!loaded.machine || compare == Compare::loadOnly)
        return {};
    // Value for value: every entry of the dump, with its own properties.
    const PropertyListResult read = readXmlPropertyList(dump);
    std::vector<const PropertyDictionary*> pending;
    if (auto list = read.value->as<PropertyArray>())
        for (const auto& item : *list)
            pending.push_back(item.as<PropertyDictionary>());
    else
        pending.push_back(read.value->as<PropertyDictionary>());
    while (!pending.empty()) {
        const PropertyDictionary& d = *pending.back();
        pending.pop_back();
        const auto id = std::uint64_t(*d.find(u"IORegistryEntryID"_s)->as<std::int64_t>());
        PropertyDictionary own;
        for (const auto& [key, value] : d)
            if (!key.startsWith(u"IOObject") && !key.startsWith(u"IORegistryEntry") && !key.startsWith(u"IOService"))
                own.insert(key, value);
        EXPECT_EQ(loaded.machine->entries.at(id).properties, own) << "entry " << id;
        if (auto children = d.find(u"IORegistryEntryChildren"_s))
            for (const auto& child : *children->as<PropertyArray>())
                pending.push_back(child.as<PropertyDictionary>());
    }
    return {};
}

} // namespace

TEST(IoregImport, EveryLimitHoldsAlikeForTheImportAndTheLoader)
{
    // Property nesting: the deepest value the loader takes is imported; one level more is refused.
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>Deep</key>" + nestedTo(64)))), QString());
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>Deep</key>" + nestedTo(65)))),
              u"d.plist: [0].Deep"_s + QString(u"[0].k"_s).repeated(31) + u"[0]: nested more than 64 levels deep"_s);
    // The same for the adapter's details from the battery service.
    const QByteArray idle = plist("<array>" + entry(2) + "</array>");
    auto battery = [](const QByteArray& details) {
        return plist("<dict><key>AdapterDetails</key><dict><key>Watts</key><integer>96</integer>" + details + "</dict></dict>");
    };
    EXPECT_EQ(roundTrip(idle, std::nullopt, battery("<key>Deep</key>" + nestedTo(64))), QString());
    EXPECT_EQ(roundTrip(idle, std::nullopt, battery("<key>Deep</key>" + nestedTo(65))),
              u"battery.plist: AdapterDetails.Deep"_s + QString(u"[0].k"_s).repeated(31) + u"[0]: nested more than 64 levels deep"_s);
    EXPECT_EQ(roundTrip(idle, std::nullopt, battery("<key>$Watts</key><integer>1</integer>")),
              u"battery.plist: AdapterDetails: the key '$Watts' begins with $, which a machine file keeps for typed values"_s);

    // Registry depth: 128 entries deep in a whole tree (the root being one of them), and not one more.
    auto chain = [](int length, bool wholeTree) {
        QByteArray xml;
        for (int i = length; i >= 1; --i) {
            const QByteArray cls = i == 1 && wholeTree ? "IORegistryEntry" : "IOService";
            xml = "<dict><key>IOObjectClass</key><string>" + cls + "</string><key>IORegistryEntryID</key><integer>"
                + QByteArray::number(i) + "</integer>"
                + (xml.isEmpty() ? QByteArray() : "<key>IORegistryEntryChildren</key><array>" + xml + "</array>") + "</dict>";
        }
        return plist(wholeTree ? xml : "<array>" + xml + "</array>");
    };
    EXPECT_EQ(roundTrip(chain(128, true)), QString());
    EXPECT_TRUE(roundTrip(chain(129, true)).endsWith(u"the registry is nested more than 128 entries deep"_s));
    // A subset hangs from a made-up root, which counts for the depth as for the number of entries.
    EXPECT_EQ(roundTrip(chain(127, false)), QString());
    EXPECT_TRUE(roundTrip(chain(128, false)).endsWith(u"the registry is nested more than 128 entries deep"_s));

    // The hardware overview: size as the machine file holds it, and depth.
    const QByteArray name = QByteArray(70'000, 'x');
    EXPECT_EQ(roundTrip(idle, "{\"SPHardwareDataType\": [{\"machine_name\": \"" + name + "\"}]}"),
              u"hw.json: larger than 65536 bytes as a machine file holds it"_s);
    QByteArray deep = "1";
    for (int i = 0; i < 1000; ++i)
        deep = "[" + deep + "]";
    EXPECT_EQ(roundTrip(idle, "{\"SPHardwareDataType\": [{\"machine_name\": \"MacBook Air\"}], \"x\": " + deep + "}"),
              u"hw.json: nested more than 64 levels deep"_s);
    EXPECT_EQ(roundTrip(idle, "{\"SPHardwareDataType\": [{\"machine_model\": \"Mac14,2\", \"machine_model\": \"Mac15,6\"}]}"),
              u"hw.json: at byte 53: the key \"machine_model\" appears twice in one object"_s);
}

TEST(IoregImport, ValuesAMachineFileCannotHoldAreRefusedWithTheirPlace)
{
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>Ratio</key><real>nan</real>"))),
              u"d.plist: [0].Ratio: nan is not a finite number, which a machine file cannot hold"_s);
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>List</key><array><real>1.5</real><real>-inf</real></array>"))),
              u"d.plist: [0].List[1]: -inf is not a finite number, which a machine file cannot hold"_s);
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>$class</key><string>x</string>"))),
              u"d.plist: [0]: the key '$class' begins with $, which a machine file keeps for typed values"_s);
    EXPECT_EQ(roundTrip(plist(entry(-1))),
              u"d.plist: [0]: the IORegistryEntryID -1 is negative; a machine file holds IDs from 0 to 9223372036854775807"_s);
    // Integers beyond 64 bits once became other numbers (2^64-1 became -1); now they are refused.
    EXPECT_TRUE(roundTrip(plist(entry(2, "<key>Big</key><integer>18446744073709551615</integer>")))
                    .endsWith(u"'18446744073709551615' does not fit in 64 bits; integers must lie from -9223372036854775808 to "
                              u"9223372036854775807"_s));
    EXPECT_TRUE(roundTrip(plist(entry(2)).replace("<integer>2<", "<integer>18446744073709551615<")).contains(u"does not fit in 64 bits"_s));
    EXPECT_TRUE(roundTrip(plist("<array>" + entry(2) + "</array>"), std::nullopt,
                          plist("<dict><key>AdapterDetails</key><dict><key>Watts</key><integer>18446744073709551615</integer>"
                                "</dict></dict>"))
                    .contains(u"does not fit in 64 bits"_s));
    // The edges of the range themselves are values like any other.
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>Min</key><integer>-9223372036854775808</integer><key>Max</key><integer>"
                                       "9223372036854775807</integer>"))),
              QString());
}

TEST(IoregImport, WholeRealsBeyond64BitsStayReals)
{
    // Written without a fraction, as Qt writes whole reals, they would read back as integers that do
    // not fit in 64 bits, and the loader would refuse the imported file.
    const QByteArray idle = plist("<array>" + entry(2) + "</array>");
    const QByteArray overview = "{\"SPHardwareDataType\": [{\"machine_name\": \"MacBook Air\"}], "
                                "\"e\": [99900000000409360895., -99900000000409360895., 1e17]}";
    EXPECT_EQ(roundTrip(idle, overview), QString());
    const IoregImportResult imported = import(idle, overview);
    ASSERT_TRUE(imported.machine) << imported.error.toStdString();
    const MachineLoadResult loaded = parseMachineFile(imported.json, u"imported.json"_s);
    ASSERT_TRUE(loaded.machine) << loaded.error.toStdString();
    const QJsonArray e = QJsonDocument::fromJson(*loaded.machine->hardwareOverviewOutput)[u"e"_s].toArray();
    ASSERT_EQ(e.size(), 3);
    EXPECT_EQ(e[0].toDouble(), 99900000000409360895.);
    EXPECT_EQ(e[1].toDouble(), -99900000000409360895.);
    EXPECT_EQ(e[2].toInteger(), 100000000000000000) << "a whole real within 64 bits may come back as an integer";
    // Registry reals alike, value for value.
    EXPECT_EQ(roundTrip(plist(entry(2, "<key>Huge</key><real>1e20</real><key>Low</key><real>-99900000000409360895</real>"))),
              QString());
}

TEST(IoregImport, WhatIsNotQuiteAPropertyListIsRefused)
{
    auto error = [](const QByteArray& bytes) { return import(bytes).error; };
    EXPECT_EQ(error(plist(entry(2, "<key>A</key><integer>1</integer><key>A</key><integer>2</integer>"))),
              u"d.plist: line 1, column 190: the key 'A' appears twice in one <dict>"_s);
    EXPECT_TRUE(error(plist(entry(2, "<key>Flag</key><true>x</true>"))).endsWith(u"<true> holds 'x'; it is written <true/>"_s));
    EXPECT_TRUE(error(plist(entry(2)) + "garbage").contains(u"Extra content at end of document"_s)) << error(plist(entry(2)) + "garbage").toStdString();
    EXPECT_TRUE(error(plist(entry(2) + entry(3))).endsWith(u"<plist> holds a second value, <dict>; it holds one"_s));
    EXPECT_TRUE(error(plist(entry(2)) + "<!-- a comment -->\n").isEmpty()) << "comments and white space may follow";
    EXPECT_TRUE(error("{\"json\": true}").startsWith(u"d.plist: line 1, column 1:"_s));
    EXPECT_TRUE(error("bplist00\x01\x02").contains(u"binary property list"_s));
    EXPECT_TRUE(error("<?xml version=\"1.0\"?><plist><dict><key>IOObjectClass</key>").contains(u"Premature end"_s));
    EXPECT_EQ(error("<plist><dict><key>IOObjectClass</key><string>X</string></dict></plist>"),
              u"d.plist: [0]: the entry has no IORegistryEntryID (was the dump made with ioreg -a -l?)"_s);
    // Two entries under one ID would make one of them unreachable by its ID.
    EXPECT_EQ(error(plist("<dict><key>IORegistryEntryID</key><integer>1</integer><key>IOObjectClass</key>"
                          "<string>IORegistryEntry</string><key>IORegistryEntryName</key><string>Root</string>"
                          "<key>IORegistryEntryChildren</key><array>" + entry(7) + entry(7) + "</array></dict>")),
              u"d.plist: root/Root[1]: the IORegistryEntryID 7 appears twice"_s);
    // Nested beyond the reader's own limit, and unterminated: refused before anything is built.
    EXPECT_TRUE(error("<plist>" + QByteArray("<array>").repeated(2000)).contains(u"nested more than"_s));
    QByteArray tall = "<plist><array>";
    for (int i = 0; i < 200; ++i)
        tall += "<dict><key>IORegistryEntryID</key><integer>" + QByteArray::number(i + 1)
              + "</integer><key>IOObjectClass</key><string>IOService</string><key>IORegistryEntryChildren</key><array>";
    EXPECT_TRUE(error(tall).contains(u"Premature end"_s));
}

TEST(IoregImport, TheLimitsOfSizeAndCountHoldAtTheirEdge)
{
    // 200,000 entries of a subset and the made-up root above them are one too many.
    QByteArray flat = "<?xml version=\"1.0\"?><plist><array>";
    for (int i = 0; i < 200'000; ++i)
        flat += "<dict><key>IOObjectClass</key><string>S</string><key>IORegistryEntryID</key><integer>"
              + QByteArray::number(i + 2) + "</integer></dict>";
    const QByteArray justTooMany = flat + "</array></plist>";
    EXPECT_TRUE(import(justTooMany).error.endsWith(u"the registry holds more than 200000 entries"_s));
    const qsizetype last = flat.lastIndexOf("<dict>");
    EXPECT_EQ(roundTrip(flat.left(last) + "</array></plist>", std::nullopt, std::nullopt, Compare::loadOnly), QString())
        << "199,999 and the root load";

    // A value whose machine file would pass the loader's size limit (its bytes are written as hex).
    const QByteArray data = QByteArray(34 * 1024 * 1024, '\x5a').toBase64();
    EXPECT_EQ(import(plist(entry(2, "<key>Blob</key><data>" + data + "</data>"))).error,
              u"d.plist: the machine file would be larger than 64 MiB, more than the program loads"_s);
}

TEST(IoregImport, RandomDumpsRoundTrip)
{
    // Dumps of every kind of value, some nested beyond the limit, made up at random but the same on
    // every run.
    QRandomGenerator random(13);
    auto tree = [&](auto& self, int levels) -> QByteArray {
        switch (random.bounded(levels > 0 ? 9 : 6)) {
        case 0: return "<integer>" + QByteArray::number(qint64(random.generate64())) + "</integer>";
        case 1: return "<real>" + QByteArray::number(random.generateDouble() * 1e6 - 5e5, 'g', 17) + "</real>";
        case 2: return "<string>" + QByteArray::number(random.generate()) + " &amp; &lt;x&gt; \\ \"</string>";
        case 3: return random.bounded(2) ? "<true/>" : "<false/>";
        case 4: return "<data>" + QByteArray::number(random.generate()).toBase64() + "</data>";
        case 5: return "<date>20" + QByteArray::number(10 + random.bounded(20)) + "-01-02T03:04:05Z</date>";
        case 6: case 7: {
            QByteArray d = "<dict>";
            for (int k = 0, n = random.bounded(3); k < n; ++k)
                d += "<key>k" + QByteArray::number(k) + "</key>" + self(self, levels - 1);
            return d + "</dict>";
        }
        default: {
            QByteArray a = "<array>";
            for (int k = 0, n = random.bounded(3); k < n; ++k)
                a += self(self, levels - 1);
            return a + "</array>";
        }
        }
    };
    auto property = [&] {
        QByteArray xml = tree(tree, 4);
        // Half of them deep in single-member containers, near the limit or beyond it.
        for (int i = 0, wraps = random.bounded(2) ? 55 + random.bounded(12) : 0; i < wraps; ++i)
            xml = random.bounded(2) ? "<array>" + xml + "</array>" : "<dict><key>w</key>" + xml + "</dict>";
        return xml;
    };
    int accepted = 0, refused = 0;
    for (int run = 0; run < 300; ++run) {
        QByteArray entries;
        std::int64_t id = 10;
        for (int e = 0, n = 1 + random.bounded(4); e < n; ++e) {
            QByteArray properties;
            for (int p = 0, m = random.bounded(4); p < m; ++p)
                properties += "<key>P" + QByteArray::number(p) + "</key>" + property();
            entries += entry(id++, properties);
        }
        const QString error = roundTrip(plist("<array>" + entries + "</array>"));
        (error.isEmpty() ? accepted : refused) += 1;
        if (!error.isEmpty()) {
            EXPECT_TRUE(error.endsWith(u"nested more than 64 levels deep"_s)) << error.toStdString();
        }
    }
    EXPECT_GT(accepted, 50) << "many dumps are within the limits";
    EXPECT_GT(refused, 50) << "and many go beyond them";
}
