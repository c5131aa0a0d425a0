#include "probe/FileOutput.h"

#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace kw::probe {

using namespace Qt::StringLiterals;

namespace {

QString problem(const QString& path, int error)
{
    return u"%1: cannot be written: %2"_s.arg(path, QString::fromLocal8Bit(std::strerror(error)));
}

// Writes everything, flushes it to the disk and closes; the error number of the first step that
// failed, or 0. The descriptor is closed in any case.
int writeAllAndClose(int fd, const QByteArray& bytes)
{
    int error = 0;
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, std::size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error = n < 0 ? errno : EIO;
            break;
        }
        done += n;
    }
    if (!error && ::fsync(fd) != 0)
        error = errno;
    if (::close(fd) != 0 && !error && errno != EINTR)
        error = errno;
    return error;
}

} // namespace

QString unwritableOutput(const QString& path)
{
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {}; // nothing there yet, or a link to nothing: a new file takes its place
    if (S_ISREG(st.st_mode))
        return {};
    return u"%1: not a regular file; name a file to be written"_s.arg(path);
}

bool sameFile(const QString& a, const QString& b)
{
    struct stat first {}, second {};
    return ::stat(QFile::encodeName(a).constData(), &first) == 0 && ::stat(QFile::encodeName(b).constData(), &second) == 0
        && first.st_dev == second.st_dev && first.st_ino == second.st_ino;
}

QString writeWholeFile(const QString& path, const QByteArray& bytes)
{
    if (const QString refused = unwritableOutput(path); !refused.isEmpty())
        return refused;
    // A link stays a link: the file it leads to is replaced.
    const QFileInfo info(path);
    const QString target = info.exists() ? info.canonicalFilePath() : info.absoluteFilePath();
    const QFileInfo targetInfo(target);
    const QString folder = targetInfo.absolutePath();

    struct stat old {};
    const bool replacing = ::stat(QFile::encodeName(target).constData(), &old) == 0;

    QString temporary;
    int fd = -1;
    for (int attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        temporary = u"%1/.%2.%3.part"_s.arg(folder, targetInfo.fileName())
                        .arg(QRandomGenerator::system()->generate(), 8, 16, QChar(u'0'));
        fd = ::open(QFile::encodeName(temporary).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return problem(path, errno);
    }
    if (fd < 0)
        return problem(path, EEXIST);
    if (replacing)
        (void)::fchmod(fd, old.st_mode & 07777);
    int error = writeAllAndClose(fd, bytes);
    if (!error && ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(target).constData()) != 0)
        error = errno;
    if (error) {
        ::unlink(QFile::encodeName(temporary).constData());
        return problem(path, error);
    }
    return syncFolder(folder);
}

QString writeNewFile(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC | O_NOFOLLOW, 0666);
    if (fd < 0)
        return problem(path, errno);
    if (const int error = writeAllAndClose(fd, bytes)) {
        ::unlink(QFile::encodeName(path).constData());
        return problem(path, error);
    }
    return {};
}

QString syncFolder(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return problem(path, errno);
    int error = ::fsync(fd) == 0 ? 0 : errno;
    ::close(fd);
    // Some file systems cannot flush a folder; the files in it are flushed already.
    if (error == EINVAL || error == EROFS)
        error = 0;
    return error ? problem(path, error) : QString();
}

} // namespace kw::probe
