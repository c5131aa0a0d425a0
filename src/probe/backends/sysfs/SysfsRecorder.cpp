#include "probe/backends/sysfs/SysfsRecorder.h"

#include "probe/backends/sysfs/SysfsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 maxAttributeBytes = 64 * 1024;

void copyFile(const QString& from, const QString& to)
{
    const std::optional<QByteArray> bytes = readSysfsFile(from, maxAttributeBytes);
    if (!bytes)
        return; // write-only, protected or vanished: not needed
    QFile out(to);
    if (out.open(QIODevice::WriteOnly))
        out.write(*bytes);
}

// The path inside the recorded tree; empty for a link that leads out of it.
QString relativeFromRoot(const QString& root, const QString& path)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    if (canonicalRoot == u"/")
        return path;
    return path.startsWith(canonicalRoot + u'/') ? path.mid(canonicalRoot.size()) : QString();
}

struct Recording {
    QString root;
    QString out;
};

void copyDevice(const Recording& r, const QString& device, int depth, bool followPowerDelivery);

// A device's attribute files and those of its subdirectories, depth levels down. Of the links in it
// only usb_power_delivery is followed, to the partner's offered power objects wherever they sit;
// the others point all over sysfs. Followed once only, so that a looping tree ends.
void copyDirectory(const Recording& r, const QString& from, int depth, bool followPowerDelivery)
{
    const QString to = r.out + relativeFromRoot(r.root, from);
    QDir().mkpath(to);
    const QFileInfoList found =
        QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    for (const QFileInfo& e : found) {
        if (e.isSymLink()) {
            const QString target = e.canonicalFilePath();
            if (!followPowerDelivery || e.fileName() != u"usb_power_delivery" || relativeFromRoot(r.root, target).isEmpty())
                continue;
            copyDevice(r, target, 2, false);
            const QString copied = r.out + relativeFromRoot(r.root, target);
            QFile::link(QDir(to).relativeFilePath(copied), to + u'/' + e.fileName());
        } else if (e.isDir()) {
            if (depth > 0)
                copyDirectory(r, e.filePath(), depth - 1, followPowerDelivery);
        } else {
            copyFile(e.filePath(), to + u'/' + e.fileName());
        }
    }
}

void copyDevice(const Recording& r, const QString& device, int depth, bool followPowerDelivery)
{
    copyDirectory(r, QFileInfo(device).canonicalFilePath(), depth, followPowerDelivery);
}

// The links of one class or bus folder whose names match, and the devices behind them.
void recordLinks(const Recording& r, const QString& folder, const QRegularExpression& names, int depth)
{
    const QString& root = r.root;
    const QString& out = r.out;
    const QString from = root + folder;
    if (!QFileInfo(from).isDir())
        return;
    QDir().mkpath(out + folder);
    for (const QFileInfo& link : QDir(from).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::System)) {
        if (!names.match(link.fileName()).hasMatch())
            continue;
        const QString target = link.canonicalFilePath();
        const QString relative = relativeFromRoot(root, target);
        if (target.isEmpty() || relative.isEmpty())
            continue; // vanished while we looked (a cable pulled, say), or leads out of the tree
        copyDevice(r, target, depth, true);
        // Relative, as sysfs has them, so the copy resolves inside itself wherever it lies.
        if (link.isSymLink())
            QFile::link(QDir(out + folder).relativeFilePath(out + relative), out + folder + u'/' + link.fileName());
    }
}

} // namespace

QString recordSysfs(const QString& root, const QString& out)
{
    if (QFileInfo::exists(out) && !QDir(out).isEmpty())
        return u"%1: exists and is not empty; name a new folder"_s.arg(out);
    if (!QDir().mkpath(out))
        return u"%1: cannot be created"_s.arg(out);
    static const QRegularExpression any(u"."_s);
    const Recording r{root, out};
    // Three levels reach a partner's offered power objects (pdN/source-capabilities/1:fixed_supply).
    recordLinks(r, u"/sys/class/typec"_s, any, 3);
    recordLinks(r, u"/sys/class/power_supply"_s, any, 1);
    recordLinks(r, u"/sys/bus/usb/devices"_s, QRegularExpression(u"^usb\\d+$"_s), 0);
    recordLinks(r, u"/sys/bus/thunderbolt/devices"_s, QRegularExpression(u"^domain\\d+$"_s), 0);
    // Only the fields the backend reads: serial numbers and the UUID stay on the machine.
    const QString dmi = u"/sys/class/dmi/id/"_s;
    for (const QString& field : {u"sys_vendor"_s, u"product_name"_s, u"product_version"_s, u"product_family"_s,
                                 u"chassis_type"_s}) {
        if (!QFileInfo::exists(root + dmi + field))
            continue;
        QDir().mkpath(out + dmi);
        copyFile(root + dmi + field, out + dmi + field);
    }
    for (const QString& file : {u"/proc/device-tree/compatible"_s, u"/proc/device-tree/model"_s,
                                u"/proc/sys/kernel/arch"_s}) {
        if (!QFileInfo::exists(root + file))
            continue;
        QDir().mkpath(QFileInfo(out + file).path());
        copyFile(root + file, out + file);
    }
    return {};
}

} // namespace kw::probe
