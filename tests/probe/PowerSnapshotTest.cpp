#include "probe/PowerSnapshotReader.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::probe;
using namespace Qt::StringLiterals;

TEST(PowerSnapshot, OnBatteryWithoutAdapter)
{
    test::FakePowerSources power;
    power.type = u"Battery Power"_s;
    const auto s = readPowerSnapshot(power);
    EXPECT_FALSE(s.externalPowerConnected);
    EXPECT_EQ(s.adapterWatts, std::nullopt);
    EXPECT_EQ(s.adapterName, std::nullopt);
    EXPECT_EQ(s.rawDescription, u"Source: Battery Power"_s);

    power.type.reset();
    EXPECT_EQ(readPowerSnapshot(power).rawDescription, QString());
}

TEST(PowerSnapshot, AdapterDetailsMeanExternalPower)
{
    test::FakePowerSources power;
    power.type = u"Battery Power"_s;
    power.adapter = PropertyDictionary{{u"Watts"_s, 96}, {u"Name"_s, u"96W USB-C Power Adapter"_s}};
    const auto s = readPowerSnapshot(power);
    EXPECT_TRUE(s.externalPowerConnected);
    EXPECT_EQ(s.adapterWatts, 96);
    EXPECT_EQ(s.adapterName, u"96W USB-C Power Adapter"_s);
    EXPECT_EQ(s.rawDescription,
              u"Source: Battery Power | {\n    Name = \"96W USB-C Power Adapter\";\n    Watts = 96;\n}"_s);
}

TEST(PowerSnapshot, ProvidingTypeContainingAC)
{
    test::FakePowerSources power;
    for (const QString& type : {u"AC Power"_s, u"ac"_s, u"UPS Power (AC)"_s}) {
        power.type = type;
        EXPECT_TRUE(readPowerSnapshot(power).externalPowerConnected) << type.toStdString();
    }
    power.type = u"Battery Power"_s;
    EXPECT_FALSE(readPowerSnapshot(power).externalPowerConnected);
}

TEST(AdapterWatts, NumbersEndTheSearchStringsNeedDigits)
{
    const auto& keys = adapterWattsKeys();
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, 0}, {u"AdapterWatts"_s, 60}}, keys), 0);
    EXPECT_EQ(readAdapterWatts({{u"Power"_s, u"65 W"_s}}, keys), 65);
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, u"n/a"_s}, {u"MaxPower"_s, u"140W"_s}}, keys), 140);
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, u"0 W"_s}}, keys), std::nullopt);
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, u"\u0669\u0666"_s}, {u"Power"_s, 30}}, keys), 30)
        << "non-ASCII digits are numbers but do not parse";
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, u"99999999999999999999"_s}}, keys), std::nullopt);
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, 96.7}}, keys), 96);
    EXPECT_EQ(readAdapterWatts({{u"Watts"_s, PropertyArray{96}}}, keys), std::nullopt);
}

TEST(AdapterName, FirstNonEmptyString)
{
    const auto& keys = adapterNameKeys();
    EXPECT_EQ(readAdapterName({{u"Name"_s, QString()}, {u"Manufacturer"_s, u"Apple Inc."_s}}, keys), u"Apple Inc."_s);
    EXPECT_EQ(readAdapterName({{u"Name"_s, 5}, {u"Adapter Name"_s, u"X"_s}}, keys), u"X"_s);
    EXPECT_EQ(readAdapterName({{u"Watts"_s, 5}}, keys), std::nullopt);
}

TEST(PowerSnapshot, TheAdapterNameAndTypeComeWithoutControls)
{
    test::FakePowerSources power;
    power.type = u"AC Power\n"_s;
    power.adapter = PropertyDictionary{{u"Name"_s, u"\x1b]8;;https://x\x07" u"Charger\u202e\u2029"_s}};
    const auto s = readPowerSnapshot(power);
    EXPECT_EQ(s.adapterName, u" ]8;;https://x Charger "_s);
    EXPECT_EQ(s.rawDescription, u"Source: AC Power  | {\n    Name = \"\\U001b]8;;https://x\\U0007Charger\\U202e\\U2029\";\n}"_s);
}
