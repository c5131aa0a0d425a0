#include "probe/backends/sysfs/SysfsMachine.h"

#include "probe/backends/sysfs/SysfsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSysInfo>

#include <cmath>
#include <map>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

// One attribute, trimmed; empty when it is missing, unreadable, odd, leads out of the tree or
// vanishes while read.
QString attribute(const SysfsTree& tree, const QString& path)
{
    const std::optional<QByteArray> bytes = tree.read(path);
    return bytes ? QString::fromUtf8(*bytes).trimmed() : QString();
}

std::optional<std::int64_t> number(const SysfsTree& tree, const QString& path, int base = 10)
{
    bool ok = false;
    const qlonglong value = attribute(tree, path).toLongLong(&ok, base);
    return ok ? std::optional<std::int64_t>(value) : std::nullopt;
}

// Power-delivery objects carry their unit in the text ("5000mV", "3000mA", "45000mW").
std::optional<std::int64_t> milliValue(const SysfsTree& tree, const QString& path)
{
    static const QRegularExpression form(u"^(\\d{1,9})\\s*m[VAW]$"_s);
    const auto match = form.match(attribute(tree, path));
    return match.hasMatch() ? std::optional<std::int64_t>(match.captured(1).toLongLong()) : std::nullopt;
}

QStringList entries(const SysfsTree& tree, const QString& dir, const QRegularExpression& pattern)
{
    QStringList names = tree.folders(dir);
    names.erase(std::remove_if(names.begin(), names.end(), [&](const QString& n) { return !pattern.match(n).hasMatch(); }),
                names.end());
    return names;
}

struct Supply {
    QString name;
    QString type;
    bool online = false;
    std::optional<std::int64_t> voltageMax; // µV
    std::optional<std::int64_t> currentMax; // µA
};

std::vector<Supply> supplies(const SysfsTree& tree)
{
    static const QRegularExpression any(u"."_s);
    std::vector<Supply> list;
    const QString dir = tree.root() + u"/sys/class/power_supply"_s;
    for (const QString& name : entries(tree, dir, any)) {
        const QString path = dir + u'/' + name;
        Supply s;
        s.name = name;
        s.type = attribute(tree, path + u"/type"_s);
        s.online = attribute(tree, path + u"/online"_s) == u"1";
        // voltage_now and current_now of UCSI supplies report the 5 V default, not the contract.
        s.voltageMax = number(tree, path + u"/voltage_max"_s);
        s.currentMax = number(tree, path + u"/current_max"_s);
        list.push_back(s);
    }
    return list;
}

// No charger delivers more than this; a larger reading is nonsense, not a wattage.
constexpr double maxPlausibleWatts = 10'000;

std::optional<std::int64_t> plausibleWatts(double watts)
{
    if (!(watts > 0) || watts > maxPlausibleWatts)
        return std::nullopt;
    return std::int64_t(std::llround(watts));
}

std::optional<std::int64_t> supplyWatts(const Supply& s)
{
    if (!s.voltageMax || !s.currentMax || *s.voltageMax <= 0 || *s.currentMax <= 0)
        return std::nullopt;
    return plausibleWatts(double(*s.voltageMax) * double(*s.currentMax) / 1e12);
}

// What the partner at the other end of a port offers and says of itself.
struct Partner {
    bool powerDelivery = false;
    std::optional<std::int64_t> offeredWatts; // the best of its source capabilities
    QString name;                             // from its discover-identity answer
    PropertyArray fixedOffers;                // its fixed supplies, as the registry lists power options
};

PropertyDictionary powerOption(std::int64_t millivolts, std::int64_t milliamps)
{
    return {{u"Class"_s, u"IOPortFeaturePowerSourceOptionFixed"_s},
            {u"Voltage (mV)"_s, millivolts},
            {u"Max Current (mA)"_s, milliamps},
            {u"Max Power (mW)"_s, millivolts * milliamps / 1000}};
}

// The fixed supplies among the source capabilities, in their order.
PropertyArray fixedOffers(const SysfsTree& tree, const QString& pd)
{
    static const QRegularExpression fixed(u"^\\d+:fixed_supply$"_s);
    const QString caps = pd + u"/source-capabilities"_s;
    QStringList names = entries(tree, caps, fixed);
    std::sort(names.begin(), names.end(), [](const QString& a, const QString& b) {
        return a.section(u':', 0, 0).toInt() < b.section(u':', 0, 0).toInt();
    });
    PropertyArray offers;
    for (const QString& name : names) {
        const QString dir = caps + u'/' + name + u'/';
        const auto volts = milliValue(tree, dir + u"voltage"_s);
        const auto current = milliValue(tree, dir + u"maximum_current"_s);
        if (volts && current && *volts > 0 && *current > 0)
            offers.push_back(powerOption(*volts, *current));
    }
    return offers;
}

// The Type-C current a port without a Power Delivery contract draws at 5 V, by its operation mode;
// "default" is USB's own, 900 mA on a USB 3 port.
std::optional<std::int64_t> typeCMilliamps(const QString& mode)
{
    if (mode == u"default")
        return 900;
    if (mode == u"1.5A")
        return 1500;
    if (mode == u"3.0A")
        return 3000;
    return std::nullopt;
}

// What the registry of a Mac shows under "Power In" while the port takes power, from what the kernel
// documents: the operation mode says whether a Power Delivery contract is in place; the partner's
// source capabilities are the charger's offers. Which offer was agreed Linux does not say; a charging
// notebook asks for the most it can get, so the best offer stands for it.
std::vector<PropertyDictionary> powerSources(const QString& mode, const PropertyArray& offers, const QString& supply)
{
    PropertyDictionary powerDelivery{{u"PowerSourceName"_s, u"USB-PD"_s},
                                     {u"PowerSupply"_s, supply},
                                     {u"PowerSourceOptions"_s, offers}};
    if (mode == u"usb_power_delivery") {
        auto power = [](const PropertyValue& o) { return o.as<PropertyDictionary>()->find(u"Max Power (mW)"_s)->integerValue(); };
        const auto best = std::max_element(offers.begin(), offers.end(),
                                           [&](const PropertyValue& a, const PropertyValue& b) { return power(a) < power(b); });
        if (best != offers.end())
            powerDelivery.insert(u"WinningPowerSourceOption"_s, *best);
        return {powerDelivery};
    }
    if (const auto milliamps = typeCMilliamps(mode)) {
        const PropertyDictionary option = powerOption(5000, *milliamps);
        PropertyDictionary typeC{{u"PowerSourceName"_s, u"TypeC"_s},
                                 {u"PowerSupply"_s, supply},
                                 {u"PowerSourceOptions"_s, PropertyArray{option}},
                                 {u"WinningPowerSourceOption"_s, option}};
        if (offers.empty())
            return {typeC};
        return {powerDelivery, typeC}; // offers came, yet no contract: the power path failed
    }
    return {{{u"PowerSourceName"_s, supply}}};
}

// The most power any one offered object promises: fixed and variable supplies and PPS as volts
// times amperes, batteries as their stated power.
std::optional<std::int64_t> offeredWatts(const SysfsTree& tree, const QString& pd)
{
    static const QRegularExpression object(u"^\\d+:[a-z_]+$"_s);
    const QString caps = pd + u"/source-capabilities"_s;
    std::optional<double> best;
    for (const QString& name : entries(tree, caps, object)) {
        const QString dir = caps + u'/' + name + u'/';
        std::optional<double> watts;
        if (auto power = milliValue(tree, dir + u"maximum_power"_s))
            watts = double(*power) / 1e3;
        else if (auto current = milliValue(tree, dir + u"maximum_current"_s)) {
            auto volts = milliValue(tree, dir + u"voltage"_s);
            if (!volts)
                volts = milliValue(tree, dir + u"maximum_voltage"_s);
            if (volts)
                watts = double(*volts) * double(*current) / 1e6;
        }
        if (watts && (!best || *watts > *best))
            best = watts;
    }
    return best ? plausibleWatts(*best) : std::nullopt;
}

// The partner's vendor and product from its identity (ID header and product VDO); empty when it
// never answered Discover Identity.
QString partnerName(const SysfsTree& tree, const QString& identity)
{
    static const std::map<unsigned, QString> vendors{
        {0x05ac, u"Apple"_s},  {0x17ef, u"Lenovo"_s}, {0x04e8, u"Samsung"_s}, {0x18d1, u"Google"_s},
        {0x413c, u"Dell"_s},   {0x03f0, u"HP"_s},     {0x291a, u"Anker"_s},   {0x0b05, u"ASUS"_s},
        {0x045e, u"Microsoft"_s}, {0x050d, u"Belkin"_s}};
    const std::optional<std::int64_t> header = number(tree, identity + u"/id_header"_s, 16);
    if (!header || (*header & 0xffff) == 0)
        return {};
    const unsigned vendor = unsigned(*header & 0xffff);
    const unsigned product = unsigned((number(tree, identity + u"/product"_s, 16).value_or(0) >> 16) & 0xffff);
    const auto known = vendors.find(vendor);
    const QString ids = u"%1:%2"_s.arg(vendor, 4, 16, QChar(u'0')).arg(product, 4, 16, QChar(u'0'));
    return known == vendors.end() ? u"USB-PD adapter "_s + ids : known->second + u" USB-PD adapter "_s + ids;
}

Partner partner(const SysfsTree& tree, const QString& path)
{
    Partner p;
    if (!tree.isFolder(path))
        return p;
    const QString revision = attribute(tree, path + u"/usb_power_delivery_revision"_s);
    const QString pd = path + u"/usb_power_delivery"_s;
    p.powerDelivery = (!revision.isEmpty() && revision != u"0.0") || tree.isFolder(pd);
    p.offeredWatts = offeredWatts(tree, pd);
    p.fixedOffers = fixedOffers(tree, pd);
    p.name = partnerName(tree, path + u"/identity"_s);
    return p;
}

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

// Board name of the device tree ("apple,j314s") to model identifier and SoC, from the shipped list,
// which is read once.
std::optional<std::pair<QString, QString>> appleBoard(const QStringList& compatible)
{
    static const std::map<QString, std::pair<QString, QString>> boards = [] {
        std::map<QString, std::pair<QString, QString>> table;
        QFile file(u":/sysfs/apple-silicon-devices.csv"_s);
        if (!file.open(QIODevice::ReadOnly))
            return table;
        static const QRegularExpression field(u"\"([^\"]*)\"|([^,]+)"_s);
        for (const QByteArray& line : file.readAll().split('\n')) {
            QStringList fields;
            for (auto it = field.globalMatch(QString::fromUtf8(line)); it.hasNext();) {
                const auto m = it.next();
                fields << (m.captured(1).isEmpty() ? m.captured(2) : m.captured(1)).trimmed();
            }
            if (fields.size() >= 5)
                table.emplace(fields[3], std::pair(fields[1], fields[4]));
        }
        return table;
    }();
    for (const QString& name : compatible)
        if (auto it = boards.find(name); it != boards.end())
            return it->second;
    return std::nullopt;
}

QStringList deviceTreeCompatible(const SysfsTree& tree)
{
    QStringList compatible;
    if (const auto bytes = tree.read(tree.root() + u"/proc/device-tree/compatible"_s))
        for (const QByteArray& part : bytes->split('\0'))
            if (!part.isEmpty())
                compatible << QString::fromUtf8(part);
    return compatible;
}

// Firmware fills DMI fields it has nothing for with placeholders.
bool placeholder(const QString& value)
{
    static const QStringList known{u"None"_s, u"Not Applicable"_s, u"Not Specified"_s, u"To Be Filled By O.E.M."_s,
                                   u"System Version"_s, u"Default string"_s, u"1.0"_s, u"0.1"_s};
    return value.isEmpty() || known.contains(value, Qt::CaseInsensitive);
}

SysfsFixedFacts identity(const SysfsTree& tree)
{
    const QString& root = tree.root();
    SysfsFixedFacts id;
    const QStringList compatible = deviceTreeCompatible(tree);
    if (!compatible.isEmpty()) {
        id.appleSilicon = compatible.contains(u"apple,arm-platform"_s);
        id.marketingName = attribute(tree, root + u"/proc/device-tree/model"_s).remove(QChar(0));
        if (id.marketingName.startsWith(u"Apple "))
            id.marketingName.remove(0, 6);
        if (auto board = appleBoard(compatible)) {
            id.model = board->first;
            id.chip = chipOf(board->second);
        }
    } else {
        // Intel Macs put the model identifier in product_name; other makers their model in product_version.
        const QString dmi = root + u"/sys/class/dmi/id/"_s;
        const QString name = attribute(tree, dmi + u"product_name"_s);
        const QString version = attribute(tree, dmi + u"product_version"_s);
        const bool apple = attribute(tree, dmi + u"sys_vendor"_s).startsWith(u"Apple"_s);
        id.model = apple || placeholder(version) ? name : version;
        id.marketingName = attribute(tree, dmi + u"product_family"_s);
        if (placeholder(id.marketingName))
            id.marketingName = apple ? QString() : id.model;
    }
    if (id.appleSilicon) {
        id.arm64 = 1;
        return id;
    }
    QString arch = attribute(tree, root + u"/proc/sys/kernel/arch"_s);
    if (arch.isEmpty() && root == u"/")
        arch = QSysInfo::currentCpuArchitecture();
    if (!arch.isEmpty())
        id.arm64 = arch == u"aarch64" || arch == u"arm64" ? 1 : 0;
    return id;
}

PropertyDictionary portProperties(const SysfsTree& tree, const QString& portPath, std::int64_t number, bool magSafe)
{
    PropertyDictionary props;
    props.insert(u"PortNumber"_s, number);
    props.insert(u"PortTypeDescription"_s, magSafe ? u"MagSafe 3"_s : u"USB-C"_s);
    props.insert(u"Description"_s, (magSafe ? u"Port-MagSafe 3@"_s : u"Port-USB-C@"_s) + QString::number(number));
    for (const QString& key : {u"data_role"_s, u"power_role"_s, u"power_operation_mode"_s, u"usb_power_delivery_revision"_s}) {
        const QString value = attribute(tree, portPath + u'/' + key);
        if (!value.isEmpty())
            props.insert(key, value);
    }
    return props;
}

// xHCI host controllers, each once although it has a USB 2 and a USB 3 root hub, then
// Thunderbolt/USB4 domains: the generic controllers, by their class.
std::vector<std::pair<QString, QString>> genericControllers(const SysfsTree& tree)
{
    static const QRegularExpression rootHub(u"^usb\\d+$"_s);
    static const QRegularExpression domain(u"^domain\\d+$"_s);
    std::vector<std::pair<QString, QString>> found;
    QStringList hosts;
    const QString usb = tree.root() + u"/sys/bus/usb/devices/"_s;
    for (const QString& hub : entries(tree, usb, rootHub)) {
        const QString resolved = tree.resolve(usb + hub);
        const QString host = resolved.isEmpty() ? QString() : QFileInfo(resolved).path();
        if (attribute(tree, usb + hub + u"/product"_s).contains(u"xHCI"_s) && !host.isEmpty() && !hosts.contains(host)) {
            hosts << host;
            found.emplace_back(u"AppleUSBXHCI"_s, QFileInfo(host).fileName());
        }
    }
    for (const QString& name : entries(tree, tree.root() + u"/sys/bus/thunderbolt/devices"_s, domain))
        found.emplace_back(u"AppleThunderboltNHI"_s, name);
    return found;
}

const QRegularExpression& portName()
{
    static const QRegularExpression name(u"^port(\\d{1,6})$"_s);
    return name;
}

// The Type-C ports (portN) in the kernel's numbering.
QStringList typecPorts(const SysfsTree& tree)
{
    QStringList ports = entries(tree, tree.root() + u"/sys/class/typec"_s, portName());
    std::sort(ports.begin(), ports.end(), [](const QString& a, const QString& b) {
        return portName().match(a).captured(1).toInt() < portName().match(b).captured(1).toInt();
    });
    return ports;
}

// Without its Type-C driver Linux publishes no ports; on a machine taken for Apple silicon (or
// another arm64 machine, which is judged alike) a conclusive controller check would then call every
// port dead.
bool portDataUnavailable(const SysfsFixedFacts& facts, bool hasPorts)
{
    return facts.arm64 == 1 && !hasPorts;
}

} // namespace

bool hasTypecPorts(const QString& root)
{
    return typecPortCount(root) > 0;
}

qsizetype typecPortCount(const QString& root)
{
    return typecPorts(SysfsTree(root)).size();
}

QString typecPortsProblem(const QString& root, const QString& where)
{
    const qsizetype count = typecPortCount(root);
    if (count <= maxTypecPorts)
        return {};
    return u"%1 publishes %2 Type-C ports; no computer has more than %3, so it is not read"_s.arg(where).arg(count).arg(
        maxTypecPorts);
}

bool portDataUnavailable(const QString& root)
{
    const SysfsTree tree(root);
    return portDataUnavailable(identity(tree), !typecPorts(tree).isEmpty());
}

SysfsFixedFacts readSysfsFixedFacts(const QString& root)
{
    const SysfsTree tree(root);
    SysfsFixedFacts facts = identity(tree);
    facts.genericControllers = genericControllers(tree);
    return facts;
}

MachineDescription readSysfsMachine(const QString& root)
{
    return readSysfsMachine(root, readSysfsFixedFacts(root));
}

MachineDescription readSysfsMachine(const QString& root, const SysfsFixedFacts& id)
{
    MachineDescription m;
    m.title = u"This computer (Linux)"_s;
    const SysfsTree tree(root);
    const QStringList ports = typecPorts(tree).mid(0, maxTypecPorts);
    if (!id.model.isEmpty())
        m.kernelValues[u"hw.model"_s] = id.model;
    // The identity stays true; that the ports cannot be judged is said by the registry instead.
    if (id.arm64)
        m.kernelValues[u"hw.optional.arm64"_s] = *id.arm64;
    m.portDataUnavailable = portDataUnavailable(id, !ports.isEmpty());
    QJsonObject record{{u"machine_name"_s, id.marketingName}};
    if (!id.chip.isEmpty())
        record.insert(u"chip_type"_s, id.chip);
    m.hardwareOverviewOutput = QJsonDocument(QJsonObject{{u"SPHardwareDataType"_s, QJsonArray{record}}}).toJson();
    m.superclasses = {{u"IOService"_s, u"IORegistryEntry"_s},
                      {u"AppleHPMInterfaceType10"_s, u"IOService"_s},
                      {u"IOPortTransportStateCC"_s, u"IOService"_s},
                      {u"IOPortTransportComponentCCUSBPDSOP"_s, u"IOService"_s},
                      {u"IOPortFeaturePowerIn"_s, u"IOService"_s},
                      {u"IOPortFeaturePowerSource"_s, u"IOService"_s},
                      {u"AppleUSBXHCI"_s, u"IOService"_s},
                      {u"AppleThunderboltNHI"_s, u"IOService"_s}};

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

    const std::vector<Supply> power = supplies(tree);
    std::map<QString, Partner> partnerOfSupply;
    // Apple's port controllers sit on i2c at fixed addresses; the typec class numbers them in probe
    // order, so the physical numbering comes from the address.
    static const std::map<QString, int> applePorts{{u"0-0038"_s, 1}, {u"0-003f"_s, 2}, {u"0-003b"_s, 3}};
    static const QString appleMagSafe = u"0-003a"_s;
    static const QRegularExpression i2cDevice(u"/(\\d+-00[0-9a-f]{2})/"_s);
    const QString typec = root + u"/sys/class/typec"_s;
    for (const QString& port : ports) {
        const int index = portName().match(port).captured(1).toInt();
        const QString path = typec + u'/' + port;
        const QString i2c = i2cDevice.match(tree.resolve(path) + u'/').captured(1);
        const bool magSafe = i2c == appleMagSafe;
        std::int64_t physical = index + 1;
        if (auto known = applePorts.find(i2c); known != applePorts.end())
            physical = known->second;
        else if (magSafe)
            physical = 1;
        const std::uint64_t base = 0x1000 + std::uint64_t(index) * 0x10;
        const std::uint64_t entry = add(m.rootId, u"AppleHPMInterfaceType10"_s, magSafe ? u"Port-MagSafe 3"_s : u"Port-USB-C"_s,
                                        QString::number(physical), portProperties(tree, path, physical, magSafe), base);
        const std::uint64_t cc = add(entry, u"IOPortTransportStateCC"_s, u"CC"_s, {}, {}, base + 1);
        const Partner other = partner(tree, path + u"-partner"_s);
        if (other.powerDelivery)
            add(cc, u"IOPortTransportComponentCCUSBPDSOP"_s, u"SOP"_s, {}, {{u"AddressDescription"_s, u"SOP"_s}}, base + 2);
        const std::uint64_t powerIn = add(entry, u"IOPortFeaturePowerIn"_s, u"Power In"_s, {}, {}, base + 3);
        // UCSI names a port's supply by its 1-based connector number; Apple's sits on the same i2c device.
        const QString suffix = u":%1"_s.arg(index + 1, 3, 10, QChar(u'0'));
        auto belongs = [&](const Supply& s) {
            if (s.name.startsWith(u"ucsi-source-psy-"))
                return s.name.endsWith(suffix);
            return !i2c.isEmpty() && s.name.startsWith(u"tps6598x-source-psy-") && s.name.endsWith(i2c);
        };
        const QString mode = attribute(tree, path + u"/power_operation_mode"_s);
        for (const Supply& s : power)
            if (s.online && belongs(s)) {
                std::uint64_t sourceId = base + 4;
                for (PropertyDictionary& source : powerSources(mode, other.fixedOffers, s.name)) {
                    const bool typeC = *source.find(u"PowerSourceName"_s) == PropertyValue(u"TypeC"_s);
                    add(powerIn, u"IOPortFeaturePowerSource"_s, typeC ? u"TypeC"_s : u"USB-PD"_s, {}, std::move(source),
                        sourceId++);
                }
                partnerOfSupply[s.name] = other;
            }
        if (magSafe)
            m.sockets.push_back({MachineSocket::Kind::magSafe, 0, {}, entry});
        else
            m.sockets.push_back({MachineSocket::Kind::usbC, int(physical), {}, entry});
    }
    std::uint64_t genericId = 0x100000;
    for (const auto& [cls, name] : id.genericControllers)
        add(m.rootId, cls, cls == u"AppleUSBXHCI" ? u"XHCI"_s : u"NHI"_s, name, {}, genericId++);

    // Mains or a USB supply online means the machine runs from outside.
    const Supply* online = nullptr;
    for (const Supply& s : power)
        if (s.online && (s.type == u"Mains" || s.type == u"USB") && (!online || online->type == u"Mains"))
            online = &s;
    m.providingPowerType = online ? u"AC Power"_s : u"Battery Power"_s;
    if (online) {
        // The adapter is best described by the USB supply and the partner behind it: the mains
        // supply of a notebook knows nothing of the charger.
        const Supply* usb = online->type == u"USB" ? online : nullptr;
        if (!usb)
            for (const Supply& s : power)
                if (s.online && s.type == u"USB")
                    usb = &s;
        const Partner none;
        const auto known = usb ? partnerOfSupply.find(usb->name) : partnerOfSupply.end();
        const Partner& charger = known == partnerOfSupply.end() ? none : known->second;
        PropertyDictionary details;
        if (auto watts = charger.offeredWatts ? charger.offeredWatts : usb ? supplyWatts(*usb) : std::nullopt)
            details.insert(u"Watts"_s, *watts);
        details.insert(u"Name"_s, !charger.name.isEmpty() ? charger.name : usb ? usb->name : online->name);
        m.adapterDetails = details;
    }
    m.publishesPowerSourceFeatures = true;
    return m;
}

} // namespace kw::probe
