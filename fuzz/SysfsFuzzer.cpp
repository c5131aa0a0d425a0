#include "FuzzTarget.h"

#include "probe/backends/sysfs/SysfsMachine.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>

using namespace Qt::StringLiterals;

namespace {

// The attribute files the backend reads, in a tree laid out once; each input fills them anew.
constexpr std::array attributes{
    "sys/devices/platform/USBC000:00/typec/port0/data_role",
    "sys/devices/platform/USBC000:00/typec/port0/power_role",
    "sys/devices/platform/USBC000:00/typec/port0/power_operation_mode",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/usb_power_delivery_revision",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/identity/id_header",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/identity/product",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/pd1/source-capabilities/1:fixed_supply/voltage",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/pd1/source-capabilities/1:fixed_supply/maximum_current",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/pd1/source-capabilities/2:programmable_supply/maximum_voltage",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/pd1/source-capabilities/2:programmable_supply/maximum_current",
    "sys/devices/platform/USBC000:00/typec/port0/port0-partner/pd1/source-capabilities/3:battery/maximum_power",
    "sys/devices/platform/USBC000:00/power_supply/ucsi-source-psy-USBC000:001/online",
    "sys/devices/platform/USBC000:00/power_supply/ucsi-source-psy-USBC000:001/type",
    "sys/devices/platform/USBC000:00/power_supply/ucsi-source-psy-USBC000:001/voltage_max",
    "sys/devices/platform/USBC000:00/power_supply/ucsi-source-psy-USBC000:001/current_max",
    "sys/devices/pci0000:00/0000:00:14.0/usb1/product",
    "sys/class/dmi/id/sys_vendor",
    "sys/class/dmi/id/product_name",
    "sys/class/dmi/id/product_version",
    "sys/class/dmi/id/product_family",
    "proc/device-tree/compatible",
    "proc/device-tree/model",
    "proc/sys/kernel/arch",
};

constexpr std::array links{
    std::pair{"sys/class/typec/port0", "../../devices/platform/USBC000:00/typec/port0"},
    std::pair{"sys/class/typec/port0-partner", "../../devices/platform/USBC000:00/typec/port0/port0-partner"},
    std::pair{"sys/devices/platform/USBC000:00/typec/port0/port0-partner/usb_power_delivery", "pd1"},
    std::pair{"sys/class/power_supply/ucsi-source-psy-USBC000:001",
              "../../devices/platform/USBC000:00/power_supply/ucsi-source-psy-USBC000:001"},
    std::pair{"sys/bus/usb/devices/usb1", "../../../devices/pci0000:00/0000:00:14.0/usb1"},
};

const QString& tree()
{
    // In memory where the system has it: the tree is rewritten for every input.
    static QTemporaryDir dir(QDir(u"/dev/shm"_s).exists() ? u"/dev/shm/kabelwacht-fuzz-XXXXXX"_s : QString());
    static const bool laidOut = [] {
        for (const char* path : attributes)
            QDir().mkpath(QFileInfo(dir.filePath(QString::fromLatin1(path))).path());
        for (const auto& [link, target] : links) {
            QDir().mkpath(QFileInfo(dir.filePath(QString::fromLatin1(link))).path());
            QFile::link(QString::fromLatin1(target), dir.filePath(QString::fromLatin1(link)));
        }
        return true;
    }();
    (void)laidOut;
    static const QString path = dir.path();
    return path;
}

} // namespace

// The input is the attributes' contents, separated by 0xff bytes; missing ones are left absent.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const QString& root = tree();
    const QList<QByteArray> parts = QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)).split('\xff');
    for (std::size_t i = 0; i < attributes.size(); ++i) {
        const QString path = root + u'/' + QString::fromLatin1(attributes[i]);
        if (qsizetype(i) >= parts.size()) {
            QFile::remove(path);
            continue;
        }
        QFile file(path);
        if (file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            file.write(parts[qsizetype(i)]);
    }
    const kw::probe::MachineDescription m = kw::probe::readSysfsMachine(root);
    if (m.entries.empty())
        __builtin_trap(); // the root entry is always there
    return 0;
}
