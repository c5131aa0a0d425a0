#include "probe/HardwareReportAssembly.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::probe;
using namespace Qt::StringLiterals;

namespace {

model::PortDescriptor service(std::uint64_t id, const QString& cls, std::int64_t hint, const QString& summary = {})
{
    return {id, cls, u"IOService:/Port@%1"_s.arg(id), hint, summary.isEmpty() ? u"{\n}"_s : summary};
}

model::MacIdentity appleSilicon(const QString& model, const QString& name = u"MacBook Pro"_s)
{
    return {model, name, u"Apple M1 Pro"_s, true, name.contains(u"MacBook"_s) || model.startsWith(u"MacBook"_s)};
}

std::vector<std::uint64_t> ids(const std::vector<model::PortDescriptor>& list)
{
    std::vector<std::uint64_t> out;
    for (const auto& d : list)
        out.push_back(d.id);
    return out;
}

} // namespace

TEST(ExpectedPortCount, TableThenMarketingName)
{
    EXPECT_EQ(lookupExpectedPortCount(u"Mac14,2"_s, u"MacBook Pro 16"_s), 2);
    EXPECT_EQ(lookupExpectedPortCount(u"MacBookPro16,1"_s, {}), 4);
    EXPECT_EQ(lookupExpectedPortCount(u"MacBook10,1"_s, {}), 1);
    EXPECT_EQ(lookupExpectedPortCount(u"Mac16,8"_s, {}), 3);
    EXPECT_EQ(lookupExpectedPortCount(u"mac14,2"_s, {}), std::nullopt) << "keys are case-sensitive";
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook Pro (13-inch, 2026)"_s), 2);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook Pro 13 14"_s), 3);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook Pro 16-inch"_s), 3);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook Pro"_s), 3);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook Air"_s), 2);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook Neo"_s), 2);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook"_s), 1);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"MacBook (Retina, 12-inch)"_s), 1);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, u"Mac mini"_s), std::nullopt);
    EXPECT_EQ(lookupExpectedPortCount(u"X"_s, {}), std::nullopt);
}

TEST(RegistryPortCount, FromNameWithoutServicesElseNonMagSafeServices)
{
    EXPECT_EQ(registryPortCount({}, appleSilicon(u"X"_s, u"Some AIR thing"_s)), 2);
    EXPECT_EQ(registryPortCount({}, appleSilicon(u"X"_s, u"pro"_s)), 3);
    EXPECT_EQ(registryPortCount({}, appleSilicon(u"X"_s, u"Mac mini"_s)), 1);
    const std::vector all{service(1, u"c"_s, 1), service(2, u"c"_s, 2, u"{ PortTypeDescription = \"MagSafe 3\"; }"_s)};
    EXPECT_EQ(registryPortCount(all, appleSilicon(u"X"_s)), 1);
    const std::vector onlyMagSafe{service(2, u"c"_s, 2, u"MagSafe"_s), service(3, u"c"_s, 2, u"magsafe"_s)};
    EXPECT_EQ(registryPortCount(onlyMagSafe, appleSilicon(u"X"_s)), 2);
}

TEST(SelectPortDescriptors, FiltersMagSafeReducesType11AndSorts)
{
    // Two HPM and one TC Type11 with three expected: nothing to reduce, all three.
    const std::vector three{service(1, u"AppleHPMInterfaceType10"_s, 3), service(2, u"AppleHPMInterfaceType10"_s, 1),
                            service(3, u"AppleTCControllerType11"_s, 2)};
    EXPECT_EQ(ids(selectPortDescriptors(three, 3)), (std::vector<std::uint64_t>{2, 3, 1}));

    const std::vector reduce{service(1, u"AppleHPMInterfaceType11"_s, 2), service(2, u"AppleTCControllerType11"_s, 1),
                             service(3, u"AppleHPMInterfaceType11"_s, 1)};
    EXPECT_EQ(ids(selectPortDescriptors(reduce, 2)), (std::vector<std::uint64_t>{3, 1}));

    // Filtering MagSafe would leave too few: fall back to all services.
    const std::vector magsafe{service(1, u"c"_s, 1, u"Port-MagSafe 3"_s), service(2, u"c"_s, 2)};
    EXPECT_EQ(ids(selectPortDescriptors(magsafe, 2)), (std::vector<std::uint64_t>{1, 2}));

    auto pathMag = service(4, u"c"_s, 0);
    pathMag.registryPath = u"IOService:/Mag Safe@1"_s;
    const std::vector byPath{pathMag, service(5, u"c"_s, 1), service(6, u"c"_s, 2)};
    EXPECT_EQ(ids(selectPortDescriptors(byPath, 2)), (std::vector<std::uint64_t>{5, 6}));
    EXPECT_EQ(ids(selectPortDescriptors(byPath, 1)), (std::vector<std::uint64_t>{5}));
    EXPECT_TRUE(selectPortDescriptors(byPath, 0).empty());
}

TEST(AssembleHardwareReport, AppleSiliconComplete)
{
    const std::vector all{service(1, u"AppleTCControllerType10"_s, 1), service(2, u"AppleTCControllerType10"_s, 2),
                          service(3, u"AppleTCControllerType10"_s, 3),
                          service(4, u"AppleTCControllerType11"_s, 1, u"MagSafe 3"_s)};
    const auto report = assembleHardwareReport(appleSilicon(u"MacBookPro18,3"_s), all, 5);
    EXPECT_EQ(report.expectedPortCount, 3);
    EXPECT_EQ(report.rawControllerCount, 4);
    EXPECT_EQ(ids(report.portDescriptors), (std::vector<std::uint64_t>{1, 2, 3}));
    EXPECT_TRUE(report.controllerCheckIsConclusive);
    EXPECT_FALSE(report.probableControllerFailure);
    EXPECT_TRUE(report.notes.isEmpty());
}

TEST(AssembleHardwareReport, MissingControllerIsProbableFailure)
{
    const std::vector two{service(1, u"AppleHPMInterfaceType10"_s, 1), service(3, u"AppleHPMInterfaceType10"_s, 3)};
    const auto report = assembleHardwareReport(appleSilicon(u"Mac15,6"_s), two, 3);
    EXPECT_TRUE(report.probableControllerFailure);
    EXPECT_EQ(report.rawControllerCount, 2);

    const auto none = assembleHardwareReport(appleSilicon(u"Mac15,6"_s), {}, 3);
    EXPECT_TRUE(none.probableControllerFailure);
    EXPECT_EQ(none.notes, QStringList{notes::noPortControllerServices});
}

TEST(AssembleHardwareReport, IntelNeverDecides)
{
    model::MacIdentity intel{u"MacBookPro16,1"_s, u"MacBook Pro"_s, u"Intel"_s, false, true};
    const std::vector four{service(1, u"c"_s, 1), service(2, u"c"_s, 2), service(3, u"c"_s, 3), service(4, u"c"_s, 4)};
    const auto report = assembleHardwareReport(intel, four, 0);
    EXPECT_EQ(report.rawControllerCount, 0);
    EXPECT_FALSE(report.controllerCheckIsConclusive);
    EXPECT_FALSE(report.probableControllerFailure);
    EXPECT_EQ(report.notes, (QStringList{notes::intelMachine, notes::noGenericControllers}));

    const auto withGeneric = assembleHardwareReport(intel, {}, 4);
    EXPECT_EQ(withGeneric.rawControllerCount, 4);
    EXPECT_EQ(withGeneric.notes, QStringList{notes::intelMachine});
}

TEST(AssembleHardwareReport, UnknownDesktopCountsFromRegistry)
{
    model::MacIdentity mini{u"Mac14,3"_s, u"Mac mini"_s, u"Apple M2"_s, true, false};
    const std::vector two{service(1, u"AppleHPMInterfaceType10"_s, 1), service(2, u"AppleHPMInterfaceType10"_s, 2)};
    const auto report = assembleHardwareReport(mini, two, 2);
    EXPECT_EQ(report.expectedPortCount, 2);
    EXPECT_FALSE(report.probableControllerFailure);
    EXPECT_EQ(report.notes, (QStringList{notes::notAMacBook, notes::countFromRegistry}));
}

TEST(AssembleHardwareReport, AppleSiliconWithoutPortDataIsNotJudged)
{
    // Linux on an M1 without its Type-C driver: still Apple silicon, but no port can be judged.
    const auto report = assembleHardwareReport(appleSilicon(u"MacBookAir10,1"_s, u"MacBook Air"_s), {}, 0,
                                               /*portDataPublished=*/false);
    EXPECT_TRUE(report.identity.isAppleSilicon);
    EXPECT_EQ(report.expectedPortCount, 2);
    EXPECT_FALSE(report.controllerCheckIsConclusive);
    EXPECT_FALSE(report.probableControllerFailure);
    EXPECT_EQ(report.notes, QStringList{notes::noPortDataFromLinux}) << "neither the macOS nor the Intel notes";
    // With port data the same machine is judged as ever.
    EXPECT_TRUE(assembleHardwareReport(appleSilicon(u"MacBookAir10,1"_s, u"MacBook Air"_s), {}, 0).probableControllerFailure);
}
