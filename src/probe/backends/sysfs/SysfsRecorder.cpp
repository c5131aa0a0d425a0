#include "probe/backends/sysfs/SysfsRecorder.h"

#include "probe/FileOutput.h"
#include "probe/backends/sysfs/SysfsFiles.h"
#include "probe/backends/sysfs/SysfsMachine.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QSet>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

// Thrown inside the recorder when something cannot be written; the recording is then dropped.
struct Failure {
    QString what;
};

QString reason(int error) { return QString::fromLocal8Bit(std::strerror(error)); }

bool linkExists(const QString& path)
{
    return QFileInfo(path).isSymLink() || QFileInfo::exists(path);
}

class Recorder {
public:
    Recorder(const SysfsTree& tree, QString into) : m_tree(tree), m_into(std::move(into)) {}

    // The links of one class or bus folder whose names match, and the devices behind them.
    void links(const QString& folder, const QRegularExpression& names, int depth)
    {
        const QString from = m_tree.root() + folder;
        if (!m_tree.isFolder(from))
            return;
        folderAt(folder);
        const QFileInfoList found = QDir(m_tree.resolve(from))
                                        .entryInfoList(QDir::Dirs | QDir::Files | QDir::NoDotAndDotDot | QDir::System);
        for (const QFileInfo& link : found) {
            if (!names.match(link.fileName()).hasMatch())
                continue;
            const QString inside = folder + u'/' + link.fileName();
            const QString relative = m_tree.relative(m_tree.root() + inside);
            if (relative.isEmpty()) {
                if (link.exists())
                    m_recording.leftOut << inside;
                continue; // leads out of the tree, or vanished while we looked (a cable pulled, say)
            }
            device(relative, depth, true);
            // Relative, as sysfs has them, so the copy resolves inside itself wherever it lies.
            if (link.isSymLink())
                symlink(folder, relative, inside);
        }
    }

    // One attribute file, when it exists; one that leads out of the tree is left out.
    void file(const QString& inside)
    {
        const QString path = m_tree.root() + inside;
        if (!linkExists(path))
            return;
        if (m_tree.resolve(path).isEmpty()) {
            if (QFileInfo::exists(path))
                m_recording.leftOut << inside;
            return;
        }
        folderAt(QFileInfo(inside).path());
        attribute(path, inside);
    }

    SysfsRecording& recording() { return m_recording; }
    const QSet<QString>& folders() const { return m_folders; }

    void folderAt(const QString& inside)
    {
        if (m_folders.contains(inside))
            return;
        if (!QDir().mkpath(m_into + inside))
            throw Failure{u"%1: cannot be created"_s.arg(m_into + inside)};
        // Every folder up to the recording's own is new and must reach the disk.
        for (QString folder = inside; !folder.isEmpty() && folder != u"/"; folder = QFileInfo(folder).path())
            m_folders.insert(folder);
    }

private:
    // A device's attribute files and those of its subdirectories, depth levels down. Of the links in
    // it only usb_power_delivery is followed, to the partner's offered power objects wherever they
    // sit; the others point all over sysfs. Followed once only, so that a looping tree ends.
    void device(const QString& relative, int depth, bool followPowerDelivery)
    {
        folderAt(relative);
        const QString real = m_tree.resolve(m_tree.root() + relative);
        const QFileInfoList found =
            QDir(real).entryInfoList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::System | QDir::Hidden);
        for (const QFileInfo& e : found) {
            const QString inside = relative + u'/' + e.fileName();
            if (e.isSymLink()) {
                if (!followPowerDelivery || e.fileName() != u"usb_power_delivery")
                    continue;
                const QString target = m_tree.relative(e.filePath());
                if (target.isEmpty()) {
                    if (e.exists())
                        m_recording.leftOut << inside;
                    continue;
                }
                device(target, 2, false);
                symlink(relative, target, inside);
            } else if (e.isDir()) {
                if (depth > 0)
                    device(inside, depth - 1, followPowerDelivery);
            } else {
                attribute(e.filePath(), inside);
            }
        }
    }

    void attribute(const QString& path, const QString& inside)
    {
        if (m_copied.contains(inside))
            return; // reached twice, through a class link and through its device
        std::optional<QByteArray> bytes = m_tree.read(path, maxRecordedAttributeBytes + 1);
        if (!bytes)
            return; // write-only, protected or vanished: not needed
        if (bytes->size() > maxRecordedAttributeBytes) {
            bytes->truncate(maxRecordedAttributeBytes);
            m_recording.cut << inside;
        }
        if (const QString failed = writeNewFile(m_into + inside, *bytes); !failed.isEmpty())
            throw Failure{failed};
        m_copied.insert(inside);
    }

    void symlink(const QString& folder, const QString& target, const QString& inside)
    {
        if (m_copied.contains(inside))
            return;
        const QString text = QDir(m_into + folder).relativeFilePath(m_into + target);
        if (::symlink(QFile::encodeName(text).constData(), QFile::encodeName(m_into + inside).constData()) != 0)
            throw Failure{u"%1: cannot be created: %2"_s.arg(m_into + inside, reason(errno))};
        m_copied.insert(inside);
    }

    const SysfsTree& m_tree;
    const QString m_into;
    SysfsRecording m_recording;
    QSet<QString> m_folders;
    QSet<QString> m_copied;
};

} // namespace

SysfsRecording recordSysfs(const QString& root, const QString& out)
{
    SysfsRecording refused;
    const SysfsTree tree(root);
    if (!tree.isFolder(root + u"/sys"_s)) {
        refused.error = u"%1: not a tree to record (it has no sys folder)"_s.arg(root);
        refused.badInput = true;
        return refused;
    }
    if (const QString problem = typecPortsProblem(root, root + u":"_s); !problem.isEmpty()) {
        refused.error = problem;
        refused.badInput = true;
        return refused;
    }
    // Absolute, so that the links in the copy are made between the places where they will lie.
    const QFileInfo target(QDir::cleanPath(QFileInfo(out).absoluteFilePath()));
    if (target.exists() && (!target.isDir() || target.isSymLink() || !QDir(target.filePath()).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))) {
        refused.error = u"%1: exists and is not an empty folder; name a new folder"_s.arg(out);
        refused.badInput = true;
        return refused;
    }
    const QString parent = target.absolutePath();
    if (!QDir().mkpath(parent)) {
        refused.error = u"%1: cannot be created"_s.arg(parent);
        return refused;
    }
    // Made beside the final place and renamed into it once whole.
    QByteArray pattern = QFile::encodeName(u"%1/.%2.recording-XXXXXX"_s.arg(parent, target.fileName()));
    if (!::mkdtemp(pattern.data())) {
        refused.error = u"%1: cannot be created: %2"_s.arg(out, reason(errno));
        return refused;
    }
    const QString into = QFile::decodeName(pattern);
    // mkdtemp keeps the folder to its owner; the recording gets the permissions a new folder would.
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(pattern.constData(), 0777 & ~mask);

    Recorder recorder(tree, into);
    try {
        static const QRegularExpression any(u"."_s);
        // Three levels reach a partner's offered power objects (pdN/source-capabilities/1:fixed_supply).
        recorder.links(u"/sys/class/typec"_s, any, 3);
        recorder.links(u"/sys/class/power_supply"_s, any, 1);
        recorder.links(u"/sys/bus/usb/devices"_s, QRegularExpression(u"^usb\\d+$"_s), 0);
        recorder.links(u"/sys/bus/thunderbolt/devices"_s, QRegularExpression(u"^domain\\d+$"_s), 0);
        // Only the fields the backend reads: serial numbers and the UUID stay on the machine.
        for (const QString& field : {u"sys_vendor"_s, u"product_name"_s, u"product_version"_s, u"product_family"_s,
                                     u"chassis_type"_s})
            recorder.file(u"/sys/class/dmi/id/"_s + field);
        for (const QString& file : {u"/proc/device-tree/compatible"_s, u"/proc/device-tree/model"_s,
                                    u"/proc/sys/kernel/arch"_s})
            recorder.file(file);
        recorder.folderAt(u"/sys"_s);
        for (const QString& folder : recorder.folders())
            if (const QString failed = syncFolder(into + folder); !failed.isEmpty())
                throw Failure{failed};
        if (const QString failed = syncFolder(into); !failed.isEmpty())
            throw Failure{failed};
        // An empty folder at out is replaced; anything else there makes the rename fail.
        if (::rename(QFile::encodeName(into).constData(), QFile::encodeName(target.filePath()).constData()) != 0)
            throw Failure{u"%1: cannot be written: %2"_s.arg(out, reason(errno))};
        if (const QString failed = syncFolder(parent); !failed.isEmpty())
            throw Failure{failed};
    } catch (const Failure& failure) {
        QDir(into).removeRecursively();
        refused.error = failure.what;
        return refused;
    }
    return std::move(recorder.recording());
}

} // namespace kw::probe
