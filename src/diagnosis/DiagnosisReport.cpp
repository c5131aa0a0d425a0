#include "diagnosis/DiagnosisReport.h"

#include "diagnosis/PowerVerdict.h"

#include <QStringList>

#include <algorithm>

namespace kw::diagnosis {

using namespace Qt::StringLiterals;

namespace links {
QString host() { return QStringLiteral(KABELWACHT_MAKER_HOST); }
QString home() { return u"https://"_s + host(); }
QString estimatePage() { return home() + u"/macbook-diagnose-kostenvoranschlag/"_s; }
QString repairPage12Inch() { return home() + u"/macbook-12-zoll-usb-c-anschluss-ladebuchse-reparatur/"_s; }
QString repairPageMacBookPro() { return home() + u"/macbook-pro-usb-c-reparatur/"_s; }
QString repairPageMacBookAir() { return home() + u"/macbook-air-usb-c-reparatur/"_s; }
QString repairPageMacBookNeo() { return home() + u"/macbook-neo-usb-c-reparatur/"_s; }
} // namespace links

namespace texts {
QString passedNote(std::optional<std::int64_t> adapterWatts)
{
    if (adapterWatts)
        return u"USB-C Power Delivery wurde mit einem "_s + QString::number(*adapterWatts) + u"-W-Netzteil erkannt."_s;
    return u"USB-C Power Delivery und externe Stromversorgung wurden erkannt."_s;
}
const QString limitedNote = u"Der Ladevorgang wurde erkannt. Dieses Intel-Modell erlaubt macOS jedoch keine eindeutige "
                            u"Zuordnung zum physischen Anschluss."_s;
const QString limitedNoteWithoutPortData = u"Der Ladevorgang wurde erkannt. Linux veröffentlicht auf diesem Mac keine "
                                           u"USB-C Anschlussdaten, daher ist keine Zuordnung zum physischen Anschluss "
                                           u"möglich."_s;
const QString& limitedNoteFor(const std::optional<model::HardwareReport>& report)
{
    return report && !report->portDataPublished ? limitedNoteWithoutPortData : limitedNote;
}
const QString timeoutNote =
    u"Innerhalb des Prüfzeitraums wurde an diesem Anschluss kein USB-C Ladevorgang erkannt."_s;
const QString reportCopied = u"Diagnosebericht wurde kopiert."_s;
} // namespace texts

namespace {

QString stateText(model::PortResultState state)
{
    switch (state) {
    case model::PortResultState::passed: return u"Anschluss in Ordnung"_s;
    case model::PortResultState::failed: return u"Anschluss vermutlich defekt"_s;
    case model::PortResultState::limited: return u"Laden erkannt – Portzuordnung eingeschränkt"_s;
    }
    return {};
}

const QString closingRemark = u"Hinweis: Softwaregestützte Vorprüfung; ersetzt keine elektrische Werkstattmessung."_s;

} // namespace

bool hasFailures(const std::vector<model::PortTestResult>& results)
{
    return std::any_of(results.begin(), results.end(),
                       [](const model::PortTestResult& r) { return r.state == model::PortResultState::failed; });
}

QString reportText(const std::optional<model::HardwareReport>& report, const std::vector<model::PortTestResult>& results)
{
    const QString unknown = u"Unbekannt"_s;
    QStringList lines;
    lines << u"Kabelwacht ZIV-A Dodiv – Diagnosebericht"_s;
    if (report) {
        const auto& id = report->identity;
        lines << u"Gerät: "_s + (id.marketingName.isEmpty() ? id.modelIdentifier : id.marketingName)
              << u"Modellkennung: "_s + id.modelIdentifier << u"Chip: "_s + id.chipName
              << u"Erwartete USB-C Anschlüsse: "_s + QString::number(report->expectedPortCount)
              << u"Erreichbare Portdienste: "_s + QString::number(report->portDescriptors.size());
    } else {
        lines << u"Gerät: "_s + unknown << u"Modellkennung: "_s + unknown << u"Chip: "_s + unknown
              << u"Erwartete USB-C Anschlüsse: 1"_s << u"Erreichbare Portdienste: 0"_s;
    }
    lines << QString();

    if (report && report->probableControllerFailure) {
        lines << u"Ergebnis: Voraussichtlicher Platinenschaden – mindestens ein USB-C Controller ist nicht erreichbar."_s
              << QString() << closingRemark;
        return lines.join(u'\n');
    }
    const std::vector<WeakPort> weakPorts = findWeakPorts(results);
    for (const auto& r : results) {
        const auto weak = std::find_if(weakPorts.begin(), weakPorts.end(),
                                       [&](const WeakPort& w) { return w.ordinal == r.ordinal; });
        const bool isWeak = weak != weakPorts.end();
        QString line = u"USB-C Anschluss "_s + QString::number(r.ordinal) + u": "_s
            + (isWeak ? texts::weakStateText : stateText(r.state));
        if (r.adapterWatts)
            line += u", "_s + QString::number(*r.adapterWatts) + u" W erkannt"_s;
        lines << line << u"  "_s + (isWeak ? texts::weakNote(*weak) : r.note);
    }
    QString verdict = u"Gesamtergebnis: Alle geprüften USB-C Anschlüsse reagieren auf ein Ladekabel."_s;
    if (hasFailures(results))
        verdict = u"Gesamtergebnis: Mindestens ein USB-C Anschluss ist vermutlich defekt."_s;
    else if (!weakPorts.empty())
        verdict = u"Gesamtergebnis: Alle geprüften USB-C Anschlüsse reagieren, mindestens einer lädt jedoch nur eingeschränkt."_s;
    lines << QString() << verdict << QString() << closingRemark;
    return lines.join(u'\n');
}

QString repairPageURL(const std::optional<model::HardwareReport>& report)
{
    const QString name = report ? report->identity.marketingName.toLower() : QString();
    const QString model = report ? report->identity.modelIdentifier : QString();
    if (name.contains(u"neo"))
        return links::repairPageMacBookNeo();
    if (name.contains(u"air") || model.startsWith(u"MacBookAir"))
        return links::repairPageMacBookAir();
    if (name.contains(u"pro") || model.startsWith(u"MacBookPro"))
        return links::repairPageMacBookPro();
    if (model == u"MacBook8,1" || model == u"MacBook9,1" || model == u"MacBook10,1")
        return links::repairPage12Inch();
    if (name.contains(u"12"))
        return links::repairPage12Inch();
    return links::estimatePage();
}

} // namespace kw::diagnosis
