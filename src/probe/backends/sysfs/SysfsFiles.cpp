#include "probe/backends/sysfs/SysfsFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kw::probe {

std::optional<QByteArray> readSysfsFile(const QString& path, qint64 maxBytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0)
        return std::nullopt;
    struct stat st {};
    std::optional<QByteArray> result;
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode)) {
        QByteArray bytes(maxBytes, Qt::Uninitialized);
        qint64 filled = 0;
        while (filled < maxBytes) {
            const ssize_t n = ::read(fd, bytes.data() + filled, std::size_t(maxBytes - filled));
            if (n < 0 && errno == EINTR)
                continue;
            if (n < 0) {
                filled = -1; // e.g. ENODEV: the device went away between open and read
                break;
            }
            if (n == 0)
                break;
            filled += n;
        }
        if (filled >= 0) {
            bytes.truncate(filled);
            result = std::move(bytes);
        }
    }
    ::close(fd);
    return result;
}

SysfsTree::SysfsTree(const QString& root) : m_root(root), m_canonicalRoot(QFileInfo(root).canonicalFilePath()) {}

QString SysfsTree::resolve(const QString& path) const
{
    if (m_canonicalRoot.isEmpty())
        return {};
    const QString real = QFileInfo(path).canonicalFilePath();
    if (real.isEmpty())
        return {};
    if (m_canonicalRoot == u'/' || real == m_canonicalRoot || real.startsWith(m_canonicalRoot + u'/'))
        return real;
    return {};
}

QString SysfsTree::relative(const QString& path) const
{
    const QString real = resolve(path);
    if (real.isEmpty() || m_canonicalRoot == u'/')
        return real;
    return real.mid(m_canonicalRoot.size());
}

std::optional<QByteArray> SysfsTree::read(const QString& path, qint64 maxBytes) const
{
    const QString real = resolve(path);
    if (real.isEmpty())
        return std::nullopt;
    return readSysfsFile(real, maxBytes);
}

QStringList SysfsTree::folders(const QString& dir) const
{
    const QString real = resolve(dir);
    if (real.isEmpty())
        return {};
    return QDir(real).entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
}

bool SysfsTree::isFolder(const QString& path) const
{
    const QString real = resolve(path);
    return !real.isEmpty() && QFileInfo(real).isDir();
}

} // namespace kw::probe
