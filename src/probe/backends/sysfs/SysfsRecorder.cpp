#include "probe/backends/sysfs/SysfsRecorder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

constexpr qint64 maxAttributeBytes = 64 * 1024;

// Regular attribute files of one directory, and of its plain subdirectories one level down.
void copyAttributes(const QString& from, const QString& to, int depth)
{
    QDir().mkpath(to);
    const QFileInfoList entries =
        QDir(from).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
    for (const QFileInfo& e : entries) {
        if (e.isSymLink())
            continue; // links inside a device point all over sysfs; the class links are made separately
        if (e.isDir()) {
            if (depth > 0)
                copyAttributes(e.filePath(), to + u'/' + e.fileName(), depth - 1);
            continue;
        }
        QFile in(e.filePath());
        if (!in.open(QIODevice::ReadOnly))
            continue; // write-only or protected attributes are not needed
        const QByteArray bytes = in.read(maxAttributeBytes);
        QFile out(to + u'/' + e.fileName());
        if (out.open(QIODevice::WriteOnly))
            out.write(bytes);
    }
}

QString relativeFromRoot(const QString& root, const QString& path)
{
    const QString canonicalRoot = QFileInfo(root).canonicalFilePath();
    return canonicalRoot == u"/" ? path : path.mid(canonicalRoot.size());
}

void recordClass(const QString& root, const QString& out, const QString& classDir)
{
    const QString from = root + classDir;
    QDir().mkpath(out + classDir);
    for (const QFileInfo& link : QDir(from).entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::System)) {
        const QString target = link.canonicalFilePath();
        if (target.isEmpty())
            continue; // vanished while we looked: a cable pulled, say
        const QString relative = relativeFromRoot(root, target);
        copyAttributes(target, out + relative, 1);
        // Relative, as sysfs has them, so the copy resolves inside itself wherever it lies.
        if (link.isSymLink())
            QFile::link(QDir(out + classDir).relativeFilePath(out + relative), out + classDir + u'/' + link.fileName());
    }
}

} // namespace

QString recordSysfs(const QString& root, const QString& out)
{
    if (QFileInfo::exists(out) && !QDir(out).isEmpty())
        return u"%1: exists and is not empty; name a new folder"_s.arg(out);
    if (!QDir().mkpath(out))
        return u"%1: cannot be created"_s.arg(out);
    recordClass(root, out, u"/sys/class/typec"_s);
    recordClass(root, out, u"/sys/class/power_supply"_s);
    if (QFileInfo(root + u"/sys/class/dmi/id"_s).isDir())
        copyAttributes(QFileInfo(root + u"/sys/class/dmi/id"_s).canonicalFilePath(), out + u"/sys/class/dmi/id"_s, 0);
    for (const QString& node : {u"compatible"_s, u"model"_s}) {
        QFile in(root + u"/proc/device-tree/"_s + node);
        if (!in.open(QIODevice::ReadOnly))
            continue;
        QDir().mkpath(out + u"/proc/device-tree"_s);
        QFile copy(out + u"/proc/device-tree/"_s + node);
        if (copy.open(QIODevice::WriteOnly))
            copy.write(in.read(maxAttributeBytes));
    }
    return {};
}

} // namespace kw::probe
