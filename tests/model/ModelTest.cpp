#include "model/DiagnosticPhase.h"
#include "model/MacIdentity.h"
#include "model/PortDescriptor.h"
#include "model/PortResultState.h"
#include "model/PortTestResult.h"
#include "model/PortTestStatus.h"

#include <QHashFunctions>

#include <gtest/gtest.h>

#include <unordered_set>

using namespace kw::model;
using namespace Qt::StringLiterals;

TEST(PortResultState, RawValuesConvertExactlyBothWays)
{
    for (auto state : {PortResultState::passed, PortResultState::failed, PortResultState::limited})
        EXPECT_EQ(portResultStateFromRawValue(rawValue(state)), state);
    EXPECT_EQ(rawValue(PortResultState::limited), u"limited"_s);
    for (const QString& bad : {u"Passed"_s, u"FAILED"_s, u"Limited"_s, QString(), u" passed"_s, u"passed "_s})
        EXPECT_EQ(portResultStateFromRawValue(bad), std::nullopt) << bad.toStdString();
    EXPECT_EQ(std::hash<PortResultState>{}(PortResultState::passed), qHash(u"passed"_s));
}

TEST(CaseNames, RoundTripForEveryPhaseAndStatus)
{
    for (int i = 0; i <= int(DiagnosticPhase::result); ++i)
        EXPECT_EQ(diagnosticPhaseFromCaseName(caseName(DiagnosticPhase(i))), DiagnosticPhase(i));
    for (int i = 0; i <= int(PortTestStatus::success); ++i)
        EXPECT_EQ(portTestStatusFromCaseName(caseName(PortTestStatus(i))), PortTestStatus(i));
    EXPECT_EQ(caseName(PortTestStatus::waitingForConnection), u"waitingForConnection"_s);
    EXPECT_EQ(diagnosticPhaseFromCaseName(u"PortTesting"_s), std::nullopt);
}

namespace {
PortDescriptor descriptor()
{
    return {42, u"AppleHPMInterfaceType10"_s, u"IOService:/AppleARMPE/Port-USB-C@1"_s, 1, u"{\n}"_s};
}
} // namespace

TEST(PortDescriptor, EqualityAndHashCoverAllFiveFields)
{
    const PortDescriptor a = descriptor();
    EXPECT_EQ(a, descriptor());
    EXPECT_EQ(hashValue(a), hashValue(descriptor()));

    PortDescriptor otherHint = a;
    otherHint.sortHint = 2;
    EXPECT_NE(a, otherHint);
    EXPECT_NE(hashValue(a), hashValue(otherHint));

    PortDescriptor otherSummary = a;
    otherSummary.debugSummary = u"{\n    PortNumber = 1;\n}"_s;
    EXPECT_NE(a, otherSummary) << "same id, different summary: different values";

    std::unordered_set<PortDescriptor> set{a, otherHint, otherSummary, descriptor()};
    EXPECT_EQ(set.size(), 3u);
}

TEST(Text, CanonicallyEquivalentTextsAreEqualAndHashAlike)
{
    // "ü" precomposed and as u + combining diaeresis.
    PortDescriptor composed = descriptor();
    composed.registryPath = u"IOService:/Pr\u00FCfung"_s;
    PortDescriptor decomposed = descriptor();
    decomposed.registryPath = u"IOService:/Pru\u0308fung"_s;
    EXPECT_EQ(composed, decomposed);
    EXPECT_EQ(hashValue(composed), hashValue(decomposed));

    MacIdentity a{u"Mac14,2"_s, u"MacBook Air \u00C5"_s, u"Apple M2"_s, true, true};
    MacIdentity b{u"Mac14,2"_s, u"MacBook Air A\u030A"_s, u"Apple M2"_s, true, true};
    EXPECT_EQ(a, b);
}

TEST(MacIdentity, DiffersWhenOnlyNotebookFlagDiffers)
{
    MacIdentity a{u"Mac14,2"_s, u"MacBook Air"_s, u"Apple M2"_s, true, true};
    MacIdentity b = a;
    b.isNotebook = false;
    EXPECT_NE(a, b);
}

TEST(PortTestResult, EveryResultGetsItsOwnId)
{
    const auto first = PortTestResult::make(1, PortResultState::failed, std::nullopt, std::nullopt, u"n"_s);
    const auto second = PortTestResult::make(1, PortResultState::failed, std::nullopt, std::nullopt, u"n"_s);
    EXPECT_NE(first.id, second.id);
    EXPECT_FALSE(first.id.isNull());
}
