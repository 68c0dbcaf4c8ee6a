#include "mapdata/data_file.h"

#include <QDir>
#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "base/errors.h"

namespace {
[[noreturn]] void ThrowCannotOpen(const QString &path, const QString &reason = QString())
{
    QString message = QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(path));
    if (!reason.isEmpty())
        message += QStringLiteral(": ") + reason;
    throw TovralError(message);
}
} // namespace

void OpenDataFile(QFile &file, const QString &path)
{
    // Opening without blocking first lets a FIFO be refused instead of waiting for a writer.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        ThrowCannotOpen(path, qt_error_string(errno)); // "No such file or directory", ...
    struct stat info {};
    const bool regular = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const int flags = regular ? fcntl(fd, F_GETFL) : -1;
    if (!regular || flags < 0 || fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) < 0) {
        ::close(fd);
        ThrowCannotOpen(path, regular ? QString() : QStringLiteral("it is not a regular file"));
    }
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        ThrowCannotOpen(path);
    }
    // A file opened on a descriptor has no file name; its object name keeps the path.
    file.setObjectName(path);
}

QString StreamName(const QIODevice &stream)
{
    if (const auto *file = qobject_cast<const QFileDevice *>(&stream); file && !file->fileName().isEmpty())
        return QDir::toNativeSeparators(file->fileName());
    if (!stream.objectName().isEmpty())
        return QDir::toNativeSeparators(stream.objectName());
    return QStringLiteral("(stream)");
}
