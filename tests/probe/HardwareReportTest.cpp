#include "probe/HardwareReportAssembly.h"

#include "support/FixedTexts.h"

#include <gtest/gtest.h>

#include <map>

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

// The table of ports per model, copied here entry by entry: a model dropped from it, typed wrong or
// listed twice would give that model a false verdict.
const std::map<std::int64_t, QStringList> portsPerModel{
    {1, {u"MacBook8,1"_s, u"MacBook9,1"_s, u"MacBook10,1"_s}},
    {2, {u"MacBookAir8,1"_s, u"MacBookAir8,2"_s, u"MacBookAir9,1"_s, u"MacBookAir10,1"_s, u"MacBookPro13,1"_s,
         u"MacBookPro14,1"_s, u"MacBookPro15,4"_s, u"MacBookPro16,3"_s, u"MacBookPro17,1"_s, u"Mac14,2"_s, u"Mac14,7"_s,
         u"Mac14,15"_s, u"Mac15,12"_s, u"Mac15,13"_s, u"Mac16,12"_s, u"Mac16,13"_s}},
    {3, {u"MacBookPro18,1"_s, u"MacBookPro18,2"_s, u"MacBookPro18,3"_s, u"MacBookPro18,4"_s, u"Mac14,5"_s, u"Mac14,6"_s,
         u"Mac14,9"_s, u"Mac14,10"_s, u"Mac15,3"_s, u"Mac15,6"_s, u"Mac15,7"_s, u"Mac15,8"_s, u"Mac15,9"_s, u"Mac15,10"_s,
         u"Mac15,11"_s, u"Mac16,1"_s, u"Mac16,5"_s, u"Mac16,6"_s, u"Mac16,7"_s, u"Mac16,8"_s}},
    {4, {u"MacBookPro13,2"_s, u"MacBookPro13,3"_s, u"MacBookPro14,2"_s, u"MacBookPro14,3"_s, u"MacBookPro15,1"_s,
         u"MacBookPro15,2"_s, u"MacBookPro15,3"_s, u"MacBookPro16,1"_s, u"MacBookPro16,2"_s, u"MacBookPro16,4"_s}},
};

} // namespace

TEST(ExpectedPortCount, EveryModelOfTheTable)
{
    std::map<QString, std::int64_t> expected;
    for (const auto& [ports, models] : portsPerModel)
        for (const QString& model : models)
            EXPECT_TRUE(expected.emplace(model, ports).second) << model.toStdString() << " listed twice here";
    ASSERT_EQ(expected.size(), 49u);

    // A name that matches no rule: the count can only come from the table.
    for (const auto& [model, ports] : expected)
        EXPECT_EQ(lookupExpectedPortCount(model, u"Mac mini"_s), ports) << model.toStdString();
    const auto& table = expectedPortCountTable();
    const std::map<QString, std::int64_t> inProgram(table.keyValueBegin(), table.keyValueEnd());
    EXPECT_EQ(inProgram, expected) << "no model more, none less";
}

struct NameRule {
    QString modelIdentifier;
    QString marketingName;
    std::optional<std::int64_t> ports;
};

TEST(ExpectedPortCount, TableFirstThenTheMarketingNameRules)
{
    const std::vector<NameRule> cases{
        {u"Mac14,2"_s, u"MacBook Pro 16"_s, 2},   // the table wins over the name
        {u"mac14,2"_s, {}, std::nullopt},          // keys are case-sensitive
        {u"Mac14,2 "_s, {}, std::nullopt},         // and whole
        {u"X"_s, u"MacBook Neo"_s, 2},
        {u"X"_s, u"MacBook Neo Pro 16"_s, 2},     // Neo is looked for first
        {u"X"_s, u"MacBook Air"_s, 2},
        {u"X"_s, u"MacBook Air 15 Pro"_s, 2},     // Air before Pro
        {u"X"_s, u"MacBook Pro 13"_s, 2},
        {u"X"_s, u"MacBook Pro (13-inch, 2026)"_s, 2},
        {u"X"_s, u"MacBook Pro 13 14"_s, 3},      // a 14 or a 16 beside the 13: not a 13-inch model
        {u"X"_s, u"MacBook Pro 13 16"_s, 3},
        {u"X"_s, u"MacBook Pro 16-inch"_s, 3},
        {u"X"_s, u"MacBook Pro"_s, 3},
        {u"X"_s, u"MACBOOK PRO 13"_s, 2},         // the name is lowercased first
        {u"X"_s, u"MacBook"_s, 1},
        {u"X"_s, u"MacBook (Retina, 12-inch)"_s, 1},
        {u"X"_s, u"MacBook 12 Zoll"_s, 1},
        {u"X"_s, u"MacBook 2026"_s, std::nullopt}, // only exactly "macbook" counts on its own
        {u"X"_s, u"Mac mini"_s, std::nullopt},
        {u"X"_s, {}, std::nullopt},
    };
    for (const NameRule& c : cases)
        EXPECT_EQ(lookupExpectedPortCount(c.modelIdentifier, c.marketingName), c.ports)
            << c.modelIdentifier.toStdString() << " / " << c.marketingName.toStdString();
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

struct VerdictCase {
    const char* what;
    model::MacIdentity identity;
    std::vector<model::PortDescriptor> services;
    std::int64_t genericControllers;
    bool portDataPublished;
    std::int64_t expectedPorts;
    std::int64_t rawControllers;
    std::vector<std::uint64_t> ports;
    bool conclusive;
    bool failure;
};

TEST(AssembleHardwareReport, TheControllerVerdict)
{
    const model::MacIdentity intel{u"MacBookPro16,1"_s, u"MacBook Pro"_s, u"Intel"_s, false, true};
    const model::MacIdentity mini{u"Mac14,3"_s, u"Mac mini"_s, u"Apple M2"_s, true, false};
    const auto hpm = [](std::uint64_t id, std::int64_t hint) { return service(id, u"AppleHPMInterfaceType10"_s, hint); };
    const std::vector<VerdictCase> cases{
        {"Apple silicon complete, MagSafe aside", appleSilicon(u"MacBookPro18,3"_s),
         {service(1, u"AppleTCControllerType10"_s, 1), service(2, u"AppleTCControllerType10"_s, 2),
          service(3, u"AppleTCControllerType10"_s, 3), service(4, u"AppleTCControllerType11"_s, 1, u"MagSafe 3"_s)},
         5, true, 3, 4, {1, 2, 3}, true, false},
        {"a controller missing", appleSilicon(u"Mac15,6"_s), {hpm(1, 1), hpm(3, 3)}, 3, true, 3, 2, {1, 3}, true, true},
        {"no controller at all", appleSilicon(u"Mac15,6"_s), {}, 3, true, 3, 0, {}, true, true},
        {"Intel: services are not counted", intel, {service(1, u"c"_s, 1), service(2, u"c"_s, 2), service(3, u"c"_s, 3),
                                                    service(4, u"c"_s, 4)}, 0, true, 4, 0, {1, 2, 3, 4}, false, false},
        {"Intel with generic controllers", intel, {}, 4, true, 4, 4, {}, false, false},
        {"an unlisted desktop counts from the registry", mini, {hpm(1, 1), hpm(2, 2)}, 2, true, 2, 2, {1, 2}, true, false},
        // Linux on an M1 without its Type-C driver: still Apple silicon, but no port can be judged.
        {"no port data published", appleSilicon(u"MacBookAir10,1"_s, u"MacBook Air"_s), {}, 0, false, 2, 0, {}, false, false},
        {"the same with port data", appleSilicon(u"MacBookAir10,1"_s, u"MacBook Air"_s), {}, 0, true, 2, 0, {}, true, true},
    };
    for (const VerdictCase& c : cases) {
        const auto report = assembleHardwareReport(c.identity, c.services, c.genericControllers, c.portDataPublished);
        EXPECT_EQ(report.expectedPortCount, c.expectedPorts) << c.what;
        EXPECT_EQ(report.rawControllerCount, c.rawControllers) << c.what;
        EXPECT_EQ(ids(report.portDescriptors), c.ports) << c.what;
        EXPECT_EQ(report.controllerCheckIsConclusive, c.conclusive) << c.what;
        EXPECT_EQ(report.probableControllerFailure, c.failure) << c.what;
    }
}

struct NotesCase {
    const char* what;
    model::MacIdentity identity;
    bool servicesFound;
    std::int64_t genericControllers;
    QStringList notes;
    bool portDataPublished = true;
};

TEST(AssembleHardwareReport, NotesWordForWordAndInOrder)
{
    using namespace kw::test::fixed::notes;
    const model::MacIdentity listedNotebook{u"Mac15,6"_s, u"MacBook Pro"_s, u"Apple M3 Pro"_s, true, true};
    const model::MacIdentity intelNotebook{u"MacBookPro16,1"_s, u"MacBook Pro"_s, u"Intel"_s, false, true};
    const model::MacIdentity unlistedDesktop{u"Mac14,3"_s, u"Mac mini"_s, u"Apple M2"_s, true, false};
    const model::MacIdentity unlistedIntelDesktop{u"Macmini8,1"_s, u"Mac mini"_s, u"Intel"_s, false, false};
    const std::vector<NotesCase> cases{
        {"Apple silicon with its services", listedNotebook, true, 0, {}},
        {"Apple silicon without any service", listedNotebook, false, 0, {noPortControllerServices}},
        {"Intel with generic controllers", intelNotebook, true, 4, {intelMachine}},
        {"Intel without generic controllers", intelNotebook, false, 0, {intelMachine, noGenericControllers}},
        {"an unlisted desktop", unlistedDesktop, true, 2, {notAMacBook, countFromRegistry}},
        {"an unlisted desktop without services", unlistedDesktop, false, 2,
         {noPortControllerServices, notAMacBook, countFromRegistry}},
        {"every note an Intel machine can get", unlistedIntelDesktop, true, 0,
         {intelMachine, noGenericControllers, notAMacBook, countFromRegistry}},
        {"Apple silicon without port data: neither the macOS nor the Intel notes", listedNotebook, false, 0,
         {noPortDataFromLinux}, false},
    };
    const std::vector three{service(1, u"AppleHPMInterfaceType10"_s, 1), service(2, u"AppleHPMInterfaceType10"_s, 2),
                            service(3, u"AppleHPMInterfaceType10"_s, 3)};
    for (const NotesCase& c : cases)
        EXPECT_EQ(assembleHardwareReport(c.identity, c.servicesFound ? three : std::vector<model::PortDescriptor>{},
                                         c.genericControllers, c.portDataPublished)
                      .notes,
                  c.notes)
            << c.what;
}
