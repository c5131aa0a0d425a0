#include "probe/MacIdentityDetection.h"
#include "support/FakePlatform.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::probe;
using namespace Qt::StringLiterals;

namespace {

struct IdentityFixture : ::testing::Test {
    std::shared_ptr<test::FakeKernelValues> kernel = std::make_shared<test::FakeKernelValues>();
    std::shared_ptr<test::FakeProcessLauncher> launcher = std::make_shared<test::FakeProcessLauncher>();

    model::MacIdentity detect()
    {
        Platform platform{u"fake"_s, kernel, launcher, nullptr, nullptr, nullptr};
        return detectMacIdentity(platform);
    }
    void appleSilicon(const QString& model)
    {
        kernel->setString(u"hw.model"_s, model);
        kernel->setInt(u"hw.optional.arm64"_s, 1);
    }
};

} // namespace

TEST_F(IdentityFixture, ReadsKernelValuesAndFirstHardwareRecord)
{
    appleSilicon(u"Mac15,6"_s);
    launcher->printsJson(R"({"SPHardwareDataType":[{"machine_name":"MacBook Pro","chip_type":"Apple M3 Pro"},
                                                   {"machine_name":"ignored"}]})");
    const auto id = detect();
    EXPECT_EQ(id, (model::MacIdentity{u"Mac15,6"_s, u"MacBook Pro"_s, u"Apple M3 Pro"_s, true, true}));
    EXPECT_EQ(launcher->lastPath, u"/usr/sbin/system_profiler"_s);
    EXPECT_EQ(launcher->lastArguments, (QStringList{u"SPHardwareDataType"_s, u"-json"_s}));
    EXPECT_EQ(launcher->lastTimeout, 8.0);
}

TEST_F(IdentityFixture, FallbacksWhenNothingCanBeRead)
{
    const auto id = detect();
    EXPECT_EQ(id, (model::MacIdentity{u"Unbekanntes Mac Modell"_s, QString(), u"Intel"_s, false, false}));
}

TEST_F(IdentityFixture, AppleSiliconOnlyWhenFlagReadsOne)
{
    kernel->setString(u"hw.model"_s, u"Mac14,2"_s);
    kernel->setInt(u"hw.optional.arm64"_s, 0);
    EXPECT_FALSE(detect().isAppleSilicon);
    EXPECT_EQ(detect().chipName, u"Intel"_s);
    kernel->setInt(u"hw.optional.arm64"_s, 1);
    EXPECT_EQ(detect().chipName, u"Apple Chip"_s);
    // A value wider than four bytes cannot be read into the 4-byte buffer.
    kernel->values[u"hw.optional.arm64"_s] = QByteArray(8, '\1');
    EXPECT_FALSE(detect().isAppleSilicon);
}

TEST_F(IdentityFixture, IntelTakesChipFromCpuType)
{
    kernel->setString(u"hw.model"_s, u"MacBookPro16,1"_s);
    launcher->printsJson(R"({"SPHardwareDataType":[{"_name":"MacBook Pro","cpu_type":"8-Core Intel Core i9"}]})");
    const auto id = detect();
    EXPECT_EQ(id.chipName, u"8-Core Intel Core i9"_s);
    EXPECT_EQ(id.marketingName, u"MacBook Pro"_s);
    EXPECT_FALSE(id.isAppleSilicon);
}

TEST_F(IdentityFixture, RecordFieldsFollowKeyPreferenceAndTypes)
{
    appleSilicon(u"Mac14,2"_s);
    launcher->printsJson(R"({"SPHardwareDataType":[{"machine_name":42,"_name":"MacBook Pro",
                                                   "chip_type":"Apple M2","cpu_type":"other"}]})");
    auto id = detect();
    EXPECT_EQ(id.marketingName, u"MacBook Pro"_s);
    EXPECT_EQ(id.chipName, u"Apple M2"_s);
}

TEST_F(IdentityFixture, MalformedOverviewsKeepDefaults)
{
    appleSilicon(u"Mac14,2"_s);
    for (const QByteArray& output : {QByteArray(R"({"SPHardwareDataType":[]})"), QByteArray(R"([{"machine_name":"x"}])"),
                                     QByteArray("{}"), QByteArray("not json"),
                                     QByteArray(R"({"SPHardwareDataType":{"machine_name":"x"}})"),
                                     QByteArray(R"({"SPHardwareDataType":[{"machine_name":"x"}, 3]})")}) {
        launcher->printsJson(output);
        const auto id = detect();
        EXPECT_EQ(id.marketingName, QString()) << output.constData();
        EXPECT_EQ(id.chipName, u"Apple Chip"_s) << output.constData();
    }
}

TEST_F(IdentityFixture, FailedOrUndecodableChildOutputIsIgnored)
{
    appleSilicon(u"Mac14,2"_s);
    const QByteArray good = R"({"SPHardwareDataType":[{"machine_name":"MacBook Air"}]})";
    launcher->result = ChildExit{true, 1, good};
    EXPECT_EQ(detect().marketingName, QString()) << "non-zero exit";
    launcher->result = ChildExit{false, 15, good};
    EXPECT_EQ(detect().marketingName, QString()) << "terminated at the deadline";
    launcher->result = ChildExit{true, 0, good + "\xff"};
    EXPECT_EQ(detect().marketingName, QString()) << "not UTF-8";
    launcher->result = ChildExit{true, 0, good};
    EXPECT_EQ(detect().marketingName, u"MacBook Air"_s);
}

TEST_F(IdentityFixture, NotebookRule)
{
    kernel->setString(u"hw.model"_s, u"Mac14,2"_s);
    launcher->printsJson(R"({"SPHardwareDataType":[{"machine_name":"macbook air"}]})");
    EXPECT_TRUE(detect().isNotebook);
    launcher->printsJson(R"({"SPHardwareDataType":[{"machine_name":""}]})");
    EXPECT_FALSE(detect().isNotebook);
    launcher->printsJson(R"({"SPHardwareDataType":[{"machine_name":"Mac mini"}]})");
    EXPECT_FALSE(detect().isNotebook);
    kernel->setString(u"hw.model"_s, u"MacBookPro16,1"_s);
    EXPECT_TRUE(detect().isNotebook);
    kernel->setString(u"hw.model"_s, u"macbookpro16,1"_s);
    EXPECT_FALSE(detect().isNotebook) << "the model prefix is case-sensitive";
}

TEST(SysctlReading, StringsNeedTwoBytesAndEndAtFirstZero)
{
    test::FakeKernelValues kernel;
    kernel.values[u"a"_s] = QByteArray("\0", 1);
    kernel.values[u"b"_s] = QByteArray("Mac\0junk", 8);
    kernel.values[u"c"_s] = QByteArray("no terminator");
    kernel.values[u"d"_s] = QByteArray("M\xffX\0", 4);
    EXPECT_EQ(readSysctlString(kernel, u"a"_s), std::nullopt);
    EXPECT_EQ(readSysctlString(kernel, u"b"_s), u"Mac"_s);
    EXPECT_EQ(readSysctlString(kernel, u"c"_s), u"no terminator"_s);
    EXPECT_EQ(readSysctlString(kernel, u"d"_s), u"M\uFFFDX"_s);
    EXPECT_EQ(readSysctlString(kernel, u"missing"_s), std::nullopt);
}

TEST_F(IdentityFixture, TheMachinesWordsComeWithoutControlsOrReordering)
{
    // A line break would forge a line of the copied report; escapes and overrides act on the terminal.
    kernel->setString(u"hw.model"_s, u"Mac14,2\x1b[2J\x1b]0;title\x07"_s);
    kernel->setInt(u"hw.optional.arm64"_s, 1);
    launcher->printsJson(R"({"SPHardwareDataType":[{"machine_name":"MacBook\r\nGesamtergebnis: Alle OK",
                                                   "chip_type":"Apple \u202eM2\u2066\u0000\u0085"}]})");
    const auto id = detect();
    EXPECT_EQ(id.modelIdentifier, u"Mac14,2 [2J ]0;title "_s);
    EXPECT_EQ(id.marketingName, u"MacBook  Gesamtergebnis: Alle OK"_s);
    EXPECT_EQ(id.chipName, u"Apple M2  "_s);
    EXPECT_TRUE(id.isNotebook);
}
