#include "probe/PropertyValue.h"

#include <gtest/gtest.h>

using namespace kw::probe;
using namespace Qt::StringLiterals;

TEST(TextForm, OldStylePropertyListText)
{
    const PropertyDictionary dict{
        {u"PortTypeDescription"_s, u"MagSafe 3"_s},
        {u"PortNumber"_s, 1},
        {u"ConnectionActive"_s, false},
        {u"PartnerPresent"_s, true},
        {u"FeaturesEnabled"_s, PropertyArray{u"TRM"_s, u"Power In"_s}},
        {u"IOPowerManagement"_s, PropertyDictionary{{u"CurrentPowerState"_s, 2}}},
        {u"FW Version"_s, QByteArray("\x00\x87\x20\x00\x01", 5)},
        {u"Ratio"_s, 0.5},
        {u"Empty"_s, QString()},
        {u"Quote"_s, u"a\"b\\c"_s},
        {u"Path"_s, u"IOService:/a-b.c_d$"_s},
    };
    EXPECT_EQ(textForm(dict), uR"({
    ConnectionActive = 0;
    Empty = "";
    "FW Version" = <00872000 01>;
    FeaturesEnabled =     (
        TRM,
        "Power In"
    );
    IOPowerManagement =     {
        CurrentPowerState = 2;
    };
    PartnerPresent = 1;
    Path = IOService:/a-b.c_d$;
    PortNumber = 1;
    PortTypeDescription = "MagSafe 3";
    Quote = "a\"b\\c";
    Ratio = 0.5;
})"_s);
    EXPECT_TRUE(textForm(dict).toLower().contains(u"partnerpresent = 1"_s));
    EXPECT_EQ(textForm(PropertyDictionary()), u"{\n}"_s);
}

TEST(PropertyDictionary, InsertReplacesAndKeepsKeysSorted)
{
    PropertyDictionary d{{u"b"_s, 1}, {u"a"_s, 2}};
    d.insert(u"b"_s, 3);
    ASSERT_EQ(d.size(), 2u);
    EXPECT_EQ(d.begin()->first, u"a"_s);
    EXPECT_EQ(*d.find(u"b"_s), PropertyValue(3));
    EXPECT_TRUE(d.remove(u"a"_s));
    EXPECT_FALSE(d.remove(u"a"_s));
    EXPECT_EQ(d.find(u"a"_s), nullptr);
}

TEST(TextForm, ValuesDeeperThanLoadersAllowAreCutShort)
{
    PropertyValue deep = 1;
    for (int i = 0; i < 1000; ++i) {
        PropertyArray wrapper;
        wrapper.push_back(std::move(deep));
        deep = PropertyValue(std::move(wrapper));
    }
    const QString text = textForm(deep);
    EXPECT_TRUE(text.contains(u"..."_s));
    EXPECT_LT(text.size(), 100000) << "output stays bounded";
}
