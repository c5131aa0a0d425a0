#include "probe/backends/sysfs/SysfsFiles.h"
#include "probe/backends/sysfs/SysfsMachine.h"
#include "probe/backends/sysfs/SysfsPlatform.h"
#include "probe/backends/sysfs/SysfsRecorder.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <thread>

using namespace kw::probe;
using namespace Qt::StringLiterals;

namespace {

// A tree in sysfs layout, written file by file.
class Tree {
public:
    QString root() const { return m_dir.path(); }
    void write(const QString& path, const QByteArray& content) const
    {
        QDir().mkpath(QFileInfo(full(path)).path());
        QFile f(full(path));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
    }
    void link(const QString& path, const QString& target) const
    {
        QDir().mkpath(QFileInfo(full(path)).path());
        ASSERT_TRUE(QFile::link(target, full(path)));
    }
    void fifo(const QString& path) const
    {
        QDir().mkpath(QFileInfo(full(path)).path());
        ASSERT_EQ(::mkfifo(QFile::encodeName(full(path)).constData(), 0644), 0);
    }
    void dir(const QString& path) const { QDir().mkpath(full(path)); }
    // A UCSI port (portN) and its partner, linked from the typec class as sysfs links them.
    void ucsiPort(int n) const
    {
        const QString port = u"port%1"_s.arg(n);
        link(u"sys/class/typec/"_s + port, u"../../devices/platform/USBC000:00/typec/"_s + port);
        link(u"sys/class/typec/%1-partner"_s.arg(port), u"../../devices/platform/USBC000:00/typec/%1/%1-partner"_s.arg(port));
    }
    QString full(const QString& path) const { return m_dir.path() + u'/' + path; }

private:
    QTemporaryDir m_dir;
};

const MachineEntry* childOfClass(const MachineDescription& m, const MachineEntry& parent, const QString& cls)
{
    for (std::uint64_t id : parent.children)
        if (m.entries.at(id).className == cls)
            return &m.entries.at(id);
    return nullptr;
}

std::vector<const MachineEntry*> ports(const MachineDescription& m)
{
    std::vector<const MachineEntry*> found;
    for (std::uint64_t id : m.entries.at(m.rootId).children)
        if (m.entries.at(id).className == u"AppleHPMInterfaceType10")
            found.push_back(&m.entries.at(id));
    std::sort(found.begin(), found.end(), [](auto* a, auto* b) { return a->id < b->id; });
    return found;
}

PropertyValue valueOf(const PropertyDictionary& d, const QString& key)
{
    const PropertyValue* v = d.find(key);
    return v ? *v : PropertyValue(u"(missing)"_s);
}

} // namespace

TEST(SysfsFiles, OnlyRegularFilesThatCanBeReadHaveContent)
{
    Tree t;
    t.write(u"plain"_s, "1\n");
    t.fifo(u"pipe"_s);
    t.dir(u"folder"_s);
    EXPECT_EQ(readSysfsFile(t.full(u"plain"_s)), QByteArray("1\n"));
    EXPECT_EQ(readSysfsFile(t.full(u"pipe"_s)), std::nullopt) << "a pipe with no writer must not block";
    EXPECT_EQ(readSysfsFile(t.full(u"folder"_s)), std::nullopt);
    EXPECT_EQ(readSysfsFile(t.full(u"gone"_s)), std::nullopt);
    // Opens, then fails on read, as an attribute of a device that went away does (ENODEV).
    EXPECT_EQ(readSysfsFile(u"/proc/self/mem"_s), std::nullopt);
    t.write(u"big"_s, QByteArray(10000, 'x'));
    EXPECT_EQ(readSysfsFile(t.full(u"big"_s), 100)->size(), 100);
}

TEST(SysfsMachine, BrokenAndOddTreesGiveFallbacksNotCrashes)
{
    Tree t;
    const QString dev = u"sys/devices/platform/USBC000:00/typec/"_s;
    // port0: its partner's class link dangles (the cable was pulled between listing and reading),
    // one attribute is a folder, one a pipe, one empty.
    t.dir(dev + u"port0"_s);
    t.ucsiPort(0);
    t.dir(dev + u"port0/power_role"_s);
    t.fifo(dev + u"port0/data_role"_s);
    t.write(dev + u"port0/power_operation_mode"_s, "");
    // port1: a PD partner whose offers are nonsense and whose power-delivery link loops.
    t.ucsiPort(1);
    const QString partner = dev + u"port1/port1-partner/"_s;
    t.write(partner + u"usb_power_delivery_revision"_s, "3.0\n");
    t.write(partner + u"pd1/source-capabilities/1:fixed_supply/voltage"_s, "abc");
    t.write(partner + u"pd1/source-capabilities/1:fixed_supply/maximum_current"_s, "-5mA");
    t.write(partner + u"pd1/source-capabilities/2:fixed_supply/voltage"_s, "99999999999999999999mV");
    t.write(partner + u"pd1/source-capabilities/2:fixed_supply/maximum_current"_s, "3000mA");
    t.link(partner + u"usb_power_delivery"_s, u"pd1"_s);
    t.link(partner + u"pd1/usb_power_delivery"_s, u".."_s);
    t.write(partner + u"identity/id_header"_s, "\xff\xfe garbage");
    // Names the class has no business holding.
    t.dir(u"sys/class/typec/port99999999999"_s);
    t.dir(u"sys/class/typec/portx"_s);
    // Supplies: one online with junk after its value, one whose link dangles.
    t.write(u"sys/class/power_supply/ucsi-source-psy-USBC000:002/online"_s, QByteArray("1\0junk", 6));
    t.write(u"sys/class/power_supply/ucsi-source-psy-USBC000:002/type"_s, "USB\n");
    t.write(u"sys/class/power_supply/ucsi-source-psy-USBC000:002/voltage_max"_s, "abc");
    t.link(u"sys/class/power_supply/AC"_s, u"../../devices/gone/AC"_s);
    t.fifo(u"proc/device-tree/compatible"_s);
    t.write(u"sys/bus/usb/devices/usb1/product"_s, "");

    const MachineDescription m = readSysfsMachine(t.root());
    const auto found = ports(m);
    ASSERT_EQ(found.size(), 2u);
    const MachineEntry& port0 = *found[0];
    EXPECT_EQ(nullptr, port0.properties.find(u"power_role"_s));
    EXPECT_EQ(nullptr, port0.properties.find(u"data_role"_s));
    EXPECT_EQ(nullptr, port0.properties.find(u"power_operation_mode"_s));
    EXPECT_TRUE(m.entries.at(childOfClass(m, port0, u"IOPortTransportStateCC"_s)->id).children.empty())
        << "a partner that vanished is no partner";
    const MachineEntry& cc1 = *childOfClass(m, *found[1], u"IOPortTransportStateCC"_s);
    EXPECT_EQ(cc1.children.size(), 1u) << "the partner speaks PD";
    // "1\0junk" is not "1": the supply is not online, so nothing is supplied from outside.
    EXPECT_EQ(m.providingPowerType, u"Battery Power"_s);
    EXPECT_FALSE(m.adapterDetails);
    EXPECT_EQ(m.entries.at(m.rootId).children.size(), 2u) << "a root hub that is not xHCI is not counted";

    // The recorder copes with the same tree, and ends despite the loop.
    QTemporaryDir out;
    EXPECT_EQ(recordSysfs(t.root(), out.filePath(u"copy"_s)).error, QString());
    EXPECT_EQ(ports(readSysfsMachine(out.filePath(u"copy"_s))).size(), 2u);
}

TEST(SysfsMachine, TheChargerIsDescribedByItsBestOfferAndItsIdentity)
{
    Tree t;
    const QString dev = u"sys/devices/platform/USBC000:00/"_s;
    t.ucsiPort(0);
    const QString caps = dev + u"typec/port0/port0-partner/pd3/source-capabilities/"_s;
    t.write(caps + u"1:fixed_supply/voltage"_s, "5000mV\n");
    t.write(caps + u"1:fixed_supply/maximum_current"_s, "3000mA\n");
    t.write(caps + u"2:fixed_supply/voltage"_s, "20000mV\n");
    t.write(caps + u"2:fixed_supply/maximum_current"_s, "2250mA\n"); // 45 W
    t.write(caps + u"3:programmable_supply/maximum_voltage"_s, "21000mV\n");
    t.write(caps + u"3:programmable_supply/maximum_current"_s, "2500mA\n"); // 52.5 W
    t.write(caps + u"4:battery/maximum_power"_s, "30000mW\n");
    t.link(dev + u"typec/port0/port0-partner/usb_power_delivery"_s, u"pd3"_s);
    t.write(dev + u"typec/port0/port0-partner/identity/id_header"_s, "0x0000291a\n");
    t.write(dev + u"typec/port0/port0-partner/identity/product"_s, "0x15120000\n");
    t.link(u"sys/class/power_supply/ucsi-source-psy-USBC000:001"_s,
           u"../../devices/platform/USBC000:00/power_supply/ucsi-source-psy-USBC000:001"_s);
    const QString supply = dev + u"power_supply/ucsi-source-psy-USBC000:001/"_s;
    t.write(supply + u"type"_s, "USB\n");
    t.write(supply + u"online"_s, "1\n");
    t.write(supply + u"voltage_max"_s, "20000000\n");
    t.write(supply + u"current_max"_s, "1000000\n");
    t.write(supply + u"voltage_now"_s, "5000000\n");

    MachineDescription m = readSysfsMachine(t.root());
    ASSERT_TRUE(m.adapterDetails);
    EXPECT_EQ(valueOf(*m.adapterDetails, u"Watts"_s), PropertyValue(std::int64_t(53))) << "the PPS offer, rounded";
    EXPECT_EQ(valueOf(*m.adapterDetails, u"Name"_s), PropertyValue(u"Anker USB-PD adapter 291a:1512"_s));

    // Without offers or identity, the supply's own contract and name stand in.
    QDir(t.full(caps)).removeRecursively();
    t.write(dev + u"typec/port0/port0-partner/identity/id_header"_s, "0x0\n");
    m = readSysfsMachine(t.root());
    EXPECT_EQ(valueOf(*m.adapterDetails, u"Watts"_s), PropertyValue(std::int64_t(20)));
    EXPECT_EQ(valueOf(*m.adapterDetails, u"Name"_s), PropertyValue(u"ucsi-source-psy-USBC000:001"_s));
    // Values no charger has give no wattage at all.
    t.write(supply + u"voltage_max"_s, "9223372036854775807\n");
    t.write(supply + u"current_max"_s, "9223372036854775807\n");
    m = readSysfsMachine(t.root());
    ASSERT_TRUE(m.adapterDetails);
    EXPECT_EQ(m.adapterDetails->find(u"Watts"_s), nullptr);
}

TEST(SysfsMachine, IdentityFromDmiAndTheTreesArchitecture)
{
    Tree intelMac;
    intelMac.write(u"sys/class/dmi/id/sys_vendor"_s, "Apple Inc.\n");
    intelMac.write(u"sys/class/dmi/id/product_name"_s, "MacBookPro16,1\n");
    intelMac.write(u"sys/class/dmi/id/product_version"_s, "1.0\n");
    intelMac.write(u"sys/class/dmi/id/product_family"_s, "MacBook Pro\n");
    intelMac.write(u"proc/sys/kernel/arch"_s, "x86_64\n");
    MachineDescription m = readSysfsMachine(intelMac.root());
    EXPECT_EQ(std::get<QString>(m.kernelValues.at(u"hw.model"_s)), u"MacBookPro16,1"_s) << "not the version 1.0";
    EXPECT_EQ(std::get<std::int64_t>(m.kernelValues.at(u"hw.optional.arm64"_s)), 0);
    EXPECT_TRUE(m.hardwareOverviewOutput->contains("\"machine_name\": \"MacBook Pro\""));

    Tree armLaptop;
    armLaptop.write(u"proc/device-tree/compatible"_s, QByteArray("lenovo,thinkpad-x13s\0qcom,sc8280xp\0", 35));
    armLaptop.write(u"proc/sys/kernel/arch"_s, "aarch64\n");
    // Without Type-C ports its controllers would all look dead: it stays arm64, and its registry
    // says that it publishes no port data, so the controllers are not judged.
    EXPECT_TRUE(portDataUnavailable(armLaptop.root()));
    m = readSysfsMachine(armLaptop.root());
    EXPECT_EQ(std::get<std::int64_t>(m.kernelValues.at(u"hw.optional.arm64"_s)), 1) << "the identity stays true";
    EXPECT_TRUE(m.portDataUnavailable);
    armLaptop.dir(u"sys/class/typec/port0"_s);
    EXPECT_FALSE(portDataUnavailable(armLaptop.root()));
    m = readSysfsMachine(armLaptop.root());
    EXPECT_EQ(std::get<std::int64_t>(m.kernelValues.at(u"hw.optional.arm64"_s)), 1) << "follows the architecture";
    EXPECT_FALSE(m.portDataUnavailable);
    EXPECT_FALSE(m.kernelValues.contains(u"hw.model"_s)) << "not a board the list knows";

    Tree unknown;
    unknown.dir(u"sys"_s);
    EXPECT_TRUE(readSysfsMachine(unknown.root()).kernelValues.empty()) << "a tree without architecture claims none";
}

TEST(SysfsMachine, NothingIsReadFromOutsideTheTree)
{
    // What a tree's links may point at: files of the computer that are none of the program's business.
    QTemporaryDir outside;
    auto secret = [&](const QString& name, const QByteArray& content) {
        QFile f(outside.filePath(name));
        EXPECT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(content);
        return outside.filePath(name);
    };
    const QString shadow = secret(u"shadow"_s, "SECRET-SHADOW\n");
    const QString environ = secret(u"environ"_s, "SHELL=/bin/bash\n");
    QDir().mkpath(outside.filePath(u"dmi"_s));
    secret(u"dmi/product_name"_s, "SECRET-DMI\n");
    secret(u"dmi/sys_vendor"_s, "Apple Inc.\n");
    QDir().mkpath(outside.filePath(u"supply"_s));
    secret(u"supply/online"_s, "1\n");
    secret(u"supply/type"_s, "Mains\n");

    Tree dmi;
    dmi.dir(u"sys/class/typec"_s);
    dmi.link(u"sys/class/dmi/id/product_name"_s, shadow);
    dmi.link(u"sys/class/dmi/id/product_version"_s, environ);
    dmi.link(u"sys/class/dmi/id/product_family"_s, environ);
    dmi.link(u"proc/sys/kernel/arch"_s, environ);
    dmi.link(u"sys/class/power_supply/AC"_s, outside.filePath(u"supply"_s));
    Tree deviceTree;
    deviceTree.dir(u"sys/class/typec"_s);
    deviceTree.link(u"proc/device-tree/compatible"_s, shadow);
    deviceTree.link(u"proc/device-tree/model"_s, environ);
    Tree dmiFolder;
    dmiFolder.dir(u"sys/class/typec"_s);
    dmiFolder.link(u"sys/class/dmi/id"_s, outside.filePath(u"dmi"_s));

    for (const Tree* t : {&dmi, &deviceTree, &dmiFolder}) {
        const MachineDescription m = readSysfsMachine(t->root());
        QString seen = QString::fromUtf8(m.hardwareOverviewOutput.value_or(QByteArray()));
        for (const auto& [name, value] : m.kernelValues)
            seen += std::holds_alternative<QString>(value) ? std::get<QString>(value) : QString::number(std::get<std::int64_t>(value));
        EXPECT_FALSE(seen.contains(u"SECRET"_s) || seen.contains(u"SHELL"_s)) << seen.toStdString();
        EXPECT_FALSE(m.kernelValues.contains(u"hw.model"_s));
        EXPECT_FALSE(m.kernelValues.contains(u"hw.optional.arm64"_s)) << "the architecture was read from outside";
        EXPECT_EQ(m.providingPowerType, u"Battery Power"_s) << "a supply outside the tree is none of this machine's";

        QTemporaryDir out;
        const QString copy = out.filePath(u"copy"_s);
        const SysfsRecording recording = recordSysfs(t->root(), copy);
        ASSERT_EQ(recording.error, QString());
        EXPECT_FALSE(recording.leftOut.isEmpty()) << "the summary names what was left out";
        for (QDirIterator it(copy, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories); it.hasNext();) {
            QFile f(it.next());
            ASSERT_TRUE(f.open(QIODevice::ReadOnly));
            const QByteArray content = f.readAll();
            EXPECT_FALSE(content.contains("SECRET") || content.contains("SHELL")) << it.filePath().toStdString();
        }
    }
    EXPECT_EQ(recordSysfs(dmi.root(), QTemporaryDir().filePath(u"x"_s)).leftOut,
              (QStringList{u"/sys/class/power_supply/AC"_s, u"/sys/class/dmi/id/product_name"_s,
                           u"/sys/class/dmi/id/product_version"_s, u"/sys/class/dmi/id/product_family"_s,
                           u"/proc/sys/kernel/arch"_s}));
}

TEST(SysfsRecorder, RecordsWholeIntoANewOrEmptyFolderAndCutsLongAttributes)
{
    QTemporaryDir out;
    SysfsRecording recording = recordSysfs(u"/nonexistent"_s, out.filePath(u"x"_s));
    EXPECT_TRUE(recording.badInput);
    EXPECT_EQ(recording.error, u"/nonexistent: not a tree to record (it has no sys folder)"_s);
    Tree t;
    t.ucsiPort(0);
    t.write(u"sys/devices/platform/USBC000:00/typec/port0/data_role"_s, "[host] device\n");
    t.write(u"out/file"_s, "x");
    recording = recordSysfs(t.root(), t.full(u"out"_s));
    EXPECT_TRUE(recording.badInput);
    EXPECT_TRUE(recording.error.endsWith(u"exists and is not an empty folder; name a new folder"_s));
    EXPECT_TRUE(QDir(out.path()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot));

    // An empty folder is taken; the recording lands whole in it, long attributes cut and said so.
    const QString port = u"sys/devices/platform/USBC000:00/typec/port0/"_s;
    t.write(port + u"huge"_s, QByteArray(100 * 1024, 'x'));
    QDir().mkpath(out.filePath(u"empty"_s));
    recording = recordSysfs(t.root(), out.filePath(u"empty"_s));
    EXPECT_EQ(recording.error, QString());
    EXPECT_EQ(recording.cut, QStringList{u"/"_s + port + u"huge"_s});
    EXPECT_EQ(QFileInfo(out.filePath(u"empty/"_s + port + u"huge"_s)).size(), maxRecordedAttributeBytes);
    EXPECT_EQ(QFileInfo(out.filePath(u"empty/"_s + port + u"data_role"_s)).size(), 14);
    EXPECT_TRUE(QFileInfo(out.filePath(u"empty/sys/class/typec/port0"_s)).isSymLink());
    EXPECT_EQ(QDir(out.path()).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot), QStringList{u"empty"_s});
}

TEST(SysfsPlatform, AnOperationHoldsOneReadingHoweverLongItTakes)
{
    Tree t;
    t.dir(u"sys/class/typec/port0"_s);
    const auto platform = SysfsPlatform::create(t.root(), QString());
    auto ports = [&] { return platform->matchingServices(u"AppleHPMInterfaceType10"_s)->size(); };
    {
        const auto held = platform->hold();
        EXPECT_EQ(ports(), 1u);
        t.dir(u"sys/class/typec/port1"_s); // a port appears in the middle of the operation
        EXPECT_EQ(ports(), 1u) << "the operation goes on with the reading it began with";
        {
            const auto inner = platform->hold();
            EXPECT_EQ(ports(), 1u) << "an operation within it keeps the outer reading";
        }
        EXPECT_EQ(ports(), 1u);
        std::size_t elsewhere = 0;
        std::thread([&] { elsewhere = ports(); }).join();
        EXPECT_EQ(elsewhere, 2u) << "another thread holds nothing and reads afresh";
    }
    EXPECT_EQ(ports(), 2u) << "the next operation sees the change";
}
