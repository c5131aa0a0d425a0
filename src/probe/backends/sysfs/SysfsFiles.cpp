#include "probe/backends/sysfs/SysfsFiles.h"

#include <QFile>

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

} // namespace kw::probe
