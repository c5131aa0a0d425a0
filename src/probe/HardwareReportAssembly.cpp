#include "probe/HardwareReportAssembly.h"

#include "probe/MacIdentityDetection.h"
#include "probe/PortDiscovery.h"

#include <QHash>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace notes {
const QString noPortControllerServices = u"macOS hat keine per-Port USB-C Controllerdienste veröffentlicht."_s;
const QString intelMachine =
    u"Auf Intel-MacBooks veröffentlicht macOS keine vollständigen USB-PD-Daten pro Anschluss. Der Controllergrundtest "
    u"verwendet daher USB-/Thunderbolt-Systemdienste und löst allein keinen Platinenschaden-Hinweis aus."_s;
const QString noGenericControllers =
    u"Es wurden keine eindeutig zuordenbaren generischen Controllerdienste gefunden; die App fährt mit dem "
    u"praktischen Ladetest fort."_s;
const QString notAMacBook = u"Die App ist für MacBook Modelle ausgelegt."_s;
const QString countFromRegistry = u"Die Portanzahl wurde direkt aus der Hardware-Registry abgeleitet."_s;
const QString noPortDataFromLinux =
    u"Linux veröffentlicht hier keine USB-C Anschlussdaten. Der Controllergrundtest kann daher nicht entscheiden und "
    u"löst keinen Platinenschaden-Hinweis aus; die App fährt mit dem praktischen Ladetest fort."_s;
} // namespace notes

const QHash<QString, std::int64_t>& expectedPortCountTable()
{
    static const QHash<QString, std::int64_t> table = [] {
        QHash<QString, std::int64_t> t;
        auto add = [&](std::int64_t ports, std::initializer_list<const char16_t*> models) {
            for (const char16_t* m : models)
                t.insert(QString::fromUtf16(m), ports);
        };
        add(1, {u"MacBook8,1", u"MacBook9,1", u"MacBook10,1"});
        add(2, {u"MacBookAir8,1", u"MacBookAir8,2", u"MacBookAir9,1", u"MacBookAir10,1", u"MacBookPro13,1",
                u"MacBookPro14,1", u"MacBookPro15,4", u"MacBookPro16,3", u"MacBookPro17,1", u"Mac14,2", u"Mac14,7",
                u"Mac14,15", u"Mac15,12", u"Mac15,13", u"Mac16,12", u"Mac16,13"});
        add(3, {u"MacBookPro18,1", u"MacBookPro18,2", u"MacBookPro18,3", u"MacBookPro18,4", u"Mac14,5", u"Mac14,6",
                u"Mac14,9", u"Mac14,10", u"Mac15,3", u"Mac15,6", u"Mac15,7", u"Mac15,8", u"Mac15,9", u"Mac15,10",
                u"Mac15,11", u"Mac16,1", u"Mac16,5", u"Mac16,6", u"Mac16,7", u"Mac16,8"});
        add(4, {u"MacBookPro13,2", u"MacBookPro13,3", u"MacBookPro14,2", u"MacBookPro14,3", u"MacBookPro15,1",
                u"MacBookPro15,2", u"MacBookPro15,3", u"MacBookPro16,1", u"MacBookPro16,2", u"MacBookPro16,4"});
        return t;
    }();
    return table;
}

namespace {

bool mentionsMagSafe(const model::PortDescriptor& d)
{
    const QString text = (d.registryPath + u' ' + d.debugSummary).toLower();
    return text.contains(u"magsafe") || text.contains(u"mag safe");
}

} // namespace

std::optional<std::int64_t> lookupExpectedPortCount(const QString& modelIdentifier, const QString& marketingName)
{
    const auto& table = expectedPortCountTable();
    if (auto it = table.find(modelIdentifier); it != table.end())
        return *it;
    const QString name = marketingName.toLower();
    if (name.contains(u"macbook neo"))
        return 2;
    if (name.contains(u"macbook air"))
        return 2;
    if (name.contains(u"macbook pro"))
        return (name.contains(u"13") && !name.contains(u"14") && !name.contains(u"16")) ? 2 : 3;
    if (name == u"macbook" || name.contains(u"12-inch") || name.contains(u"12 zoll"))
        return 1;
    return std::nullopt;
}

std::int64_t registryPortCount(const std::vector<model::PortDescriptor>& all, const model::MacIdentity& identity)
{
    if (all.empty()) {
        if (identity.marketingName.contains(u"Air", Qt::CaseInsensitive))
            return 2;
        if (identity.marketingName.contains(u"Pro", Qt::CaseInsensitive))
            return 3;
        return 1;
    }
    const auto withoutMagSafe = std::count_if(all.begin(), all.end(), [](const model::PortDescriptor& d) {
        return !d.debugSummary.toLower().contains(u"magsafe");
    });
    return withoutMagSafe > 0 ? std::int64_t(withoutMagSafe) : std::int64_t(all.size());
}

std::vector<model::PortDescriptor> selectPortDescriptors(const std::vector<model::PortDescriptor>& all,
                                                         std::int64_t count)
{
    if (count < 1)
        return {};
    std::vector<model::PortDescriptor> filtered;
    std::copy_if(all.begin(), all.end(), std::back_inserter(filtered),
                 [](const model::PortDescriptor& d) { return !mentionsMagSafe(d); });
    std::vector<model::PortDescriptor> base = std::int64_t(filtered.size()) < count ? all : filtered;
    if (std::int64_t(base.size()) > count) {
        std::vector<model::PortDescriptor> reduced;
        std::copy_if(base.begin(), base.end(), std::back_inserter(reduced), [](const model::PortDescriptor& d) {
            return d.serviceClass != u"AppleTCControllerType11";
        });
        if (std::int64_t(reduced.size()) >= count)
            base = std::move(reduced);
    }
    sortInPortOrder(base);
    if (std::int64_t(base.size()) > count)
        base.resize(std::size_t(count));
    return base;
}

model::HardwareReport assembleHardwareReport(const model::MacIdentity& identity,
                                             const std::vector<model::PortDescriptor>& all,
                                             std::int64_t genericControllerCount, bool portDataPublished)
{
    model::HardwareReport report;
    report.identity = identity;
    std::optional<std::int64_t> count = lookupExpectedPortCount(identity.modelIdentifier, identity.marketingName);
    const bool countFromRegistry = !count;
    if (!count)
        count = registryPortCount(all, identity);
    report.expectedPortCount = *count;
    report.portDescriptors = selectPortDescriptors(all, *count);

    const bool appleSilicon = identity.isAppleSilicon;
    // A machine whose system publishes no ports is not judged: every port would look dead.
    const bool judged = appleSilicon && portDataPublished;
    report.rawControllerCount = appleSilicon ? std::int64_t(all.size()) : genericControllerCount;
    report.controllerCheckIsConclusive = judged && *count > 0;
    report.probableControllerFailure = judged && *count >= 1 && std::int64_t(report.portDescriptors.size()) < *count;
    report.portDataPublished = portDataPublished;

    if (appleSilicon && !portDataPublished)
        report.notes << notes::noPortDataFromLinux;
    else if (appleSilicon && all.empty())
        report.notes << notes::noPortControllerServices;
    if (!appleSilicon)
        report.notes << notes::intelMachine;
    if (!appleSilicon && genericControllerCount == 0)
        report.notes << notes::noGenericControllers;
    if (!identity.isNotebook)
        report.notes << notes::notAMacBook;
    if (countFromRegistry)
        report.notes << notes::countFromRegistry;
    return report;
}

model::HardwareReport buildHardwareReport(const Platform& platform)
{
    const model::MacIdentity identity = detectMacIdentity(platform);
    const std::vector<model::PortDescriptor> all = discoverPortDescriptors(*platform.registry);
    const std::int64_t genericCount = countServices(*platform.registry, systemControllerClassNames());
    return assembleHardwareReport(identity, all, genericCount, platform.registry->publishesPortData());
}

} // namespace kw::probe
