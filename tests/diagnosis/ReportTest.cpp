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

} // namespace

TEST(Report, PassedAndDefectivePortGiveFifteenLines)
{
    const std::vector results{
        PortTestResult::make(1, PortResultState::passed, 1, 96, texts::passedNote(96)),
        PortTestResult::make(2, PortResultState::failed, std::nullopt, std::nullopt, texts::timeoutNote)};
    const QString expected = uR"(Kabelwacht ZIV-A Dodiv – Diagnosebericht
Gerät: MacBook Air
Modellkennung: Mac14,2
Chip: Apple M2
Erwartete USB-C Anschlüsse: 2
Erreichbare Portdienste: 2

USB-C Anschluss 1: Anschluss in Ordnung, 96 W erkannt
  USB-C Power Delivery wurde mit einem 96-W-Netzteil erkannt.
USB-C Anschluss 2: Anschluss vermutlich defekt
  Innerhalb des Prüfzeitraums wurde an diesem Anschluss kein USB-C Ladevorgang erkannt.

Gesamtergebnis: Mindestens ein USB-C Anschluss ist vermutlich defekt.

Hinweis: Softwaregestützte Vorprüfung; ersetzt keine elektrische Werkstattmessung.)"_s;
    EXPECT_EQ(reportText(airReport(), results), expected);
    EXPECT_EQ(expected.split(u'\n').size(), 15);
    EXPECT_TRUE(expected.contains(QChar(0x2013))) << "an en dash in the heading";
}

TEST(Report, ControllerFailureGivesTenLinesWhateverTheResults)
{
    auto report = airReport();
    report.probableControllerFailure = true;
    report.portDescriptors.pop_back();
    const std::vector results{PortTestResult::make(1, PortResultState::passed, 1, 96, texts::passedNote(96))};
    const QStringList lines = reportText(report, results).split(u'\n');
    ASSERT_EQ(lines.size(), 10);
    EXPECT_EQ(lines[5], u"Erreichbare Portdienste: 1"_s);
    EXPECT_EQ(lines[7], u"Ergebnis: Voraussichtlicher Platinenschaden – mindestens ein USB-C Controller ist nicht erreichbar."_s);
    EXPECT_EQ(lines[9], u"Hinweis: Softwaregestützte Vorprüfung; ersetzt keine elektrische Werkstattmessung."_s);
}

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
