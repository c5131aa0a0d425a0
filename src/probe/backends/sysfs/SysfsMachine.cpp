#include "probe/backends/sysfs/SysfsMachine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>

#include <cmath>
#include <map>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

// One attribute file, trimmed; empty when it is missing, unreadable or vanishes while read.
QString attribute(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return QString::fromUtf8(file.read(4096)).trimmed();
}

std::optional<std::int64_t> number(const QString& path)
{
    bool ok = false;
    const qlonglong value = attribute(path).toLongLong(&ok);
    return ok ? std::optional<std::int64_t>(value) : std::nullopt;
}

struct Supply {
    QString name;
    QString type;
    bool online = false;
    std::optional<std::int64_t> voltageMax; // µV
    std::optional<std::int64_t> currentMax; // µA
};

std::vector<Supply> supplies(const QString& root)
{
    std::vector<Supply> list;
    const QString dir = root + u"/sys/class/power_supply"_s;
    for (const QString& name : QDir(dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name)) {
        const QString path = dir + u'/' + name;
        Supply s;
        s.name = name;
        s.type = attribute(path + u"/type"_s);
        s.online = attribute(path + u"/online"_s) == u"1";
        // voltage_now and current_now of UCSI supplies report the 5 V default, not the contract.
        s.voltageMax = number(path + u"/voltage_max"_s);
        s.currentMax = number(path + u"/current_max"_s);
        list.push_back(s);
    }
    return list;
}

struct Identity {
    QString model;
    QString marketingName;
    QString chip;
    bool appleSilicon = false;
};

// The Apple chip of a SoC code of the device list.
QString chipOf(const QString& soc)
{
    static const std::map<QString, QString> chips{
        {u"T8103"_s, u"Apple M1"_s},     {u"T6000"_s, u"Apple M1 Pro"_s}, {u"T6001"_s, u"Apple M1 Max"_s},
        {u"T6002"_s, u"Apple M1 Ultra"_s}, {u"T8112"_s, u"Apple M2"_s},   {u"T6020"_s, u"Apple M2 Pro"_s},
        {u"T6021"_s, u"Apple M2 Max"_s}, {u"T6022"_s, u"Apple M2 Ultra"_s}, {u"T8122"_s, u"Apple M3"_s},
        {u"T6030"_s, u"Apple M3 Pro"_s}, {u"T6031"_s, u"Apple M3 Max"_s}, {u"T6034"_s, u"Apple M3 Max"_s}};
    auto it = chips.find(soc);
    return it == chips.end() ? QString() : it->second;
}

// Board names of the device tree ("apple,j314s") to model identifier and SoC, from the shipped list.
std::optional<std::pair<QString, QString>> appleBoard(const QStringList& compatible)
{
    QFile file(u":/sysfs/apple-silicon-devices.csv"_s);
    if (!file.open(QIODevice::ReadOnly))
        return std::nullopt;
    static const QRegularExpression field(u"\"([^\"]*)\"|([^,]+)"_s);
    for (const QByteArray& line : file.readAll().split('\n')) {
        QStringList fields;
        for (auto it = field.globalMatch(QString::fromUtf8(line)); it.hasNext();) {
            const auto m = it.next();
            fields << (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).trimmed();
        }
        if (fields.size() >= 5 && compatible.contains(fields[3]))
            return std::pair(fields[1], fields[4]);
    }
    return std::nullopt;
}

Identity identity(const QString& root)
{
    Identity id;
    QFile compatibleFile(root + u"/proc/device-tree/compatible"_s);
    if (compatibleFile.open(QIODevice::ReadOnly)) {
        QStringList compatible;
        for (const QByteArray& part : compatibleFile.read(4096).split('\0'))
            if (!part.isEmpty())
                compatible << QString::fromUtf8(part);
        id.appleSilicon = compatible.contains(u"apple,arm-platform"_s);
        id.marketingName = attribute(root + u"/proc/device-tree/model"_s).remove(QChar(0));
        if (id.marketingName.startsWith(u"Apple "))
            id.marketingName.remove(0, 6);
        if (auto board = appleBoard(compatible)) {
            id.model = board->first;
            id.chip = chipOf(board->second);
        }
        return id;
    }
    const QString dmi = root + u"/sys/class/dmi/id/"_s;
    id.model = attribute(dmi + u"product_version"_s);
    if (id.model.isEmpty())
        id.model = attribute(dmi + u"product_name"_s);
    id.marketingName = attribute(dmi + u"product_family"_s);
    return id;
}

PropertyDictionary portProperties(const QString& portPath, std::int64_t number, bool magSafe)
{
    PropertyDictionary props;
    props.insert(u"PortNumber"_s, number);
    props.insert(u"PortTypeDescription"_s, magSafe ? u"MagSafe 3"_s : u"USB-C"_s);
    props.insert(u"Description"_s, (magSafe ? u"Port-MagSafe 3@"_s : u"Port-USB-C@"_s) + QString::number(number));
    for (const QString& key : {u"data_role"_s, u"power_role"_s, u"power_operation_mode"_s, u"usb_power_delivery_revision"_s}) {
        const QString value = attribute(portPath + u'/' + key);
        if (!value.isEmpty())
            props.insert(key, value);
    }
    return props;
}

} // namespace

bool hasTypecPorts(const QString& root)
{
    static const QRegularExpression port(u"^port\\d+$"_s);
    const QStringList entries = QDir(root + u"/sys/class/typec"_s).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    return std::any_of(entries.begin(), entries.end(), [](const QString& e) { return port.match(e).hasMatch(); });
}

MachineDescription readSysfsMachine(const QString& root)
{
    MachineDescription m;
    const Identity id = identity(root);
    m.title = u"This computer (Linux)"_s;
    if (!id.model.isEmpty())
        m.kernelValues[u"hw.model"_s] = id.model;
    if (id.appleSilicon)
        m.kernelValues[u"hw.optional.arm64"_s] = std::int64_t(1);
    QJsonObject record{{u"machine_name"_s, id.marketingName}};
    if (!id.chip.isEmpty())
        record.insert(u"chip_type"_s, id.chip);
    m.hardwareOverviewOutput = QJsonDocument(QJsonObject{{u"SPHardwareDataType"_s, QJsonArray{record}}}).toJson();
    m.superclasses = {{u"IOService"_s, u"IORegistryEntry"_s},
                      {u"AppleHPMInterfaceType10"_s, u"IOService"_s},
                      {u"IOPortTransportStateCC"_s, u"IOService"_s},
                      {u"IOPortTransportComponentCCUSBPDSOP"_s, u"IOService"_s},
                      {u"IOPortFeaturePowerIn"_s, u"IOService"_s},
                      {u"IOPortFeaturePowerSource"_s, u"IOService"_s}};

    // IDs follow from the port's index, so that they stay the same from one reading to the next.
    auto add = [&](std::optional<std::uint64_t> parent, const QString& cls, const QString& name, const QString& location,
                   PropertyDictionary props, std::uint64_t id) {
        MachineEntry e;
        e.id = id;
        e.className = cls;
        e.name = name;
        e.location = location;
        e.properties = std::move(props);
        e.parent = parent;
        if (parent)
            m.entries.at(*parent).children.push_back(e.id);
        m.entries.emplace(id, std::move(e));
        return id;
    };
    m.rootId = add(std::nullopt, u"IORegistryEntry"_s, u"Root"_s, {}, {}, 1);

    const std::vector<Supply> power = supplies(root);
    // Apple's port controllers sit on i2c at fixed addresses; the typec class numbers them in probe
    // order, so the physical numbering comes from the address.
    static const std::map<QString, int> applePorts{{u"0-0038"_s, 1}, {u"0-003f"_s, 2}, {u"0-003b"_s, 3}};
    static const QString appleMagSafe = u"0-003a"_s;
    static const QRegularExpression i2cDevice(u"/(\\d+-00[0-9a-f]{2})/"_s);
    const QString typec = root + u"/sys/class/typec"_s;
    static const QRegularExpression portName(u"^port(\\d+)$"_s);
    QStringList ports = QDir(typec).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System);
    ports.erase(std::remove_if(ports.begin(), ports.end(), [](const QString& p) { return !portName.match(p).hasMatch(); }),
                ports.end());
    std::sort(ports.begin(), ports.end(), [](const QString& a, const QString& b) {
        return portName.match(a).captured(1).toInt() < portName.match(b).captured(1).toInt();
    });
    for (const QString& port : ports) {
        const int index = portName.match(port).captured(1).toInt();
        const QString path = typec + u'/' + port;
        const QString i2c = i2cDevice.match(QFileInfo(path).canonicalFilePath() + u'/').captured(1);
        const bool magSafe = i2c == appleMagSafe;
        std::int64_t physical = index + 1;
        if (auto known = applePorts.find(i2c); known != applePorts.end())
            physical = known->second;
        else if (magSafe)
            physical = 1;
        const std::uint64_t base = 0x1000 + std::uint64_t(index) * 0x10;
        const std::uint64_t entry = add(m.rootId, u"AppleHPMInterfaceType10"_s, magSafe ? u"Port-MagSafe 3"_s : u"Port-USB-C"_s,
                                        QString::number(physical), portProperties(path, physical, magSafe), base);
        const std::uint64_t cc = add(entry, u"IOPortTransportStateCC"_s, u"CC"_s, {}, {}, base + 1);
        const QString partner = typec + u'/' + port + u"-partner"_s;
        if (QFileInfo::exists(partner)) {
            const QString revision = attribute(partner + u"/usb_power_delivery_revision"_s);
            const bool pd = (!revision.isEmpty() && revision != u"0.0") || QFileInfo::exists(partner + u"/usb_power_delivery"_s);
            if (pd)
                add(cc, u"IOPortTransportComponentCCUSBPDSOP"_s, u"SOP"_s, {}, {{u"AddressDescription"_s, u"SOP"_s}}, base + 2);
        }
        const std::uint64_t powerIn = add(entry, u"IOPortFeaturePowerIn"_s, u"Power In"_s, {}, {}, base + 3);
        // UCSI names a port's supply by its 1-based connector number; Apple's sits on the same i2c device.
        const QString suffix = u":%1"_s.arg(index + 1, 3, 10, QChar(u'0'));
        auto belongs = [&](const Supply& s) {
            if (s.name.startsWith(u"ucsi-source-psy-"))
                return s.name.endsWith(suffix);
            return !i2c.isEmpty() && s.name.startsWith(u"tps6598x-source-psy-") && s.name.endsWith(i2c);
        };
        for (const Supply& s : power)
            if (s.online && belongs(s))
                add(powerIn, u"IOPortFeaturePowerSource"_s, u"USB-PD"_s, {}, {{u"PowerSourceName"_s, s.name}}, base + 4);
        if (magSafe)
            m.sockets.push_back({MachineSocket::Kind::magSafe, 0, {}, entry});
        else
            m.sockets.push_back({MachineSocket::Kind::usbC, int(physical), {}, entry});
    }

    // Mains or a USB supply online means the machine runs from outside.
    const Supply* online = nullptr;
    for (const Supply& s : power)
        if (s.online && (s.type == u"Mains" || s.type == u"USB") && (!online || online->type == u"Mains"))
            online = &s;
    m.providingPowerType = online ? u"AC Power"_s : u"Battery Power"_s;
    if (online) {
        PropertyDictionary details;
        const Supply* usb = online->type == u"USB" ? online : nullptr;
        if (!usb)
            for (const Supply& s : power)
                if (s.online && s.type == u"USB")
                    usb = &s;
        if (usb && usb->voltageMax && usb->currentMax)
            details.insert(u"Watts"_s, std::int64_t(std::llround(double(*usb->voltageMax) * double(*usb->currentMax) / 1e12)));
        details.insert(u"Name"_s, usb ? usb->name : online->name);
        m.adapterDetails = details;
    }
    m.publishesPowerSourceFeatures = true;
    return m;
}

} // namespace kw::probe
