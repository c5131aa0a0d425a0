#pragma once

// The program's fixed texts and web addresses, written out letter by letter rather than taken from
// the program: a changed word, a lost "/" or a dropped note must fail a test, and it cannot when a
// test compares the program with its own constants.

#include <QString>

namespace kw::test::fixed {

using namespace Qt::StringLiterals;

// The notes of a controller scan, in the order a report lists them.
namespace notes {
inline const QString noPortControllerServices = u"macOS hat keine per-Port USB-C Controllerdienste veröffentlicht."_s;
inline const QString intelMachine =
    u"Auf Intel-MacBooks veröffentlicht macOS keine vollständigen USB-PD-Daten pro Anschluss. "
    u"Der Controllergrundtest verwendet daher USB-/Thunderbolt-Systemdienste und löst allein keinen "
    u"Platinenschaden-Hinweis aus."_s;
inline const QString noGenericControllers =
    u"Es wurden keine eindeutig zuordenbaren generischen Controllerdienste gefunden; die App fährt mit dem "
    u"praktischen Ladetest fort."_s;
inline const QString notAMacBook = u"Die App ist für MacBook Modelle ausgelegt."_s;
inline const QString countFromRegistry = u"Die Portanzahl wurde direkt aus der Hardware-Registry abgeleitet."_s;
// Ours: an Apple-silicon Mac whose Linux publishes no Type-C ports.
inline const QString noPortDataFromLinux =
    u"Linux veröffentlicht hier keine USB-C Anschlussdaten. Der Controllergrundtest kann daher nicht entscheiden und "
    u"löst keinen Platinenschaden-Hinweis aus; die App fährt mit dem praktischen Ladetest fort."_s;
} // namespace notes

// The note under each port result.
namespace resultNotes {
inline const QString passedWith96Watts = u"USB-C Power Delivery wurde mit einem 96-W-Netzteil erkannt."_s;
inline const QString passedWithoutWatts = u"USB-C Power Delivery und externe Stromversorgung wurden erkannt."_s;
inline const QString limited =
    u"Der Ladevorgang wurde erkannt. Dieses Intel-Modell erlaubt macOS jedoch keine eindeutige Zuordnung zum "
    u"physischen Anschluss."_s;
// Ours: a limited result where Linux publishes no port data.
inline const QString limitedWithoutPortData =
    u"Der Ladevorgang wurde erkannt. Linux veröffentlicht auf diesem Mac keine USB-C Anschlussdaten, daher ist "
    u"keine Zuordnung zum physischen Anschluss möglich."_s;
inline const QString timeout = u"Innerhalb des Prüfzeitraums wurde an diesem Anschluss kein USB-C Ladevorgang erkannt."_s;
} // namespace resultNotes

inline const QString reportCopied = u"Diagnosebericht wurde kopiert."_s;

// The maker's pages. The host is build configuration; everything after it is fixed.
namespace paths {
inline const QString estimate = u"/macbook-diagnose-kostenvoranschlag/"_s;
inline const QString repair12Inch = u"/macbook-12-zoll-usb-c-anschluss-ladebuchse-reparatur/"_s;
inline const QString repairPro = u"/macbook-pro-usb-c-reparatur/"_s;
inline const QString repairAir = u"/macbook-air-usb-c-reparatur/"_s;
inline const QString repairNeo = u"/macbook-neo-usb-c-reparatur/"_s;
} // namespace paths

} // namespace kw::test::fixed
