#include "diagnosis/DiagnosisReport.h"

#include <gtest/gtest.h>

using namespace kw;
using namespace kw::diagnosis;
using namespace Qt::StringLiterals;

namespace {

model::HardwareReport airReport()
{
    model::HardwareReport r;
    r.identity = {u"Mac14,2"_s, u"MacBook Air"_s, u"Apple M2"_s, true, true};
    r.expectedPortCount = 2;
    r.portDescriptors = {{1, u"c"_s, u"p1"_s, 1, {}}, {2, u"c"_s, u"p2"_s, 2, {}}};
    return r;
}

using model::PortResultState;
using model::PortTestResult;

// The reports of whole runs are the scripts' transcripts (tests/scripts); here what no script reaches.

} // namespace

TEST(Report, WithoutReportOrResults)
{
    const std::vector results{PortTestResult::make(1, PortResultState::limited, std::nullopt, std::nullopt,
                                                   texts::limitedNote)};
    const QStringList lines = reportText(std::nullopt, results).split(u'\n');
    EXPECT_EQ(lines.mid(1, 5), (QStringList{u"Gerät: Unbekannt"_s, u"Modellkennung: Unbekannt"_s, u"Chip: Unbekannt"_s,
                                           u"Erwartete USB-C Anschlüsse: 1"_s, u"Erreichbare Portdienste: 0"_s}));
    EXPECT_EQ(lines[7], u"USB-C Anschluss 1: Laden erkannt – Portzuordnung eingeschränkt"_s);
    EXPECT_EQ(lines[10], u"Gesamtergebnis: Alle geprüften USB-C Anschlüsse reagieren auf ein Ladekabel."_s);

    const QStringList empty = reportText(airReport(), {}).split(u'\n');
    ASSERT_EQ(empty.size(), 11);
    EXPECT_EQ(empty[6], QString());
    EXPECT_EQ(empty[7], QString());
    EXPECT_EQ(empty[8], u"Gesamtergebnis: Alle geprüften USB-C Anschlüsse reagieren auf ein Ladekabel."_s);
}

TEST(Report, DeviceLineFallsBackToModelIdentifier)
{
    auto report = airReport();
    report.identity.marketingName.clear();
    EXPECT_EQ(reportText(report, {}).split(u'\n')[1], u"Gerät: Mac14,2"_s);
}

TEST(Report, PassedNoteWithoutWattage)
{
    EXPECT_EQ(texts::passedNote(std::nullopt), u"USB-C Power Delivery und externe Stromversorgung wurden erkannt."_s);
}
