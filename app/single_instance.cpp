#include "app/single_instance.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace {
// Whether the runtime directory is one the user alone may use, as the XDG base directory
// rules ask of it: a directory owned by the user, with no access for group or others.
bool IsPrivateDirectoryOf(const QString &directory, uid_t user)
{
    struct stat info {};
    return !directory.isEmpty() && ::stat(QFile::encodeName(directory).constData(), &info) == 0 &&
           S_ISDIR(info.st_mode) && info.st_uid == user && (info.st_mode & (S_IRWXG | S_IRWXO)) == 0;
}

// Claims by an exclusive lock on a file; the descriptor stays open, holding the lock, until
// the process ends.
bool ClaimLockFile(const QString &path)
{
    const int file = ::open(QFile::encodeName(path).constData(),
                            O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (file < 0)
        return true;
    if (::flock(file, LOCK_EX | LOCK_NB) == 0)
        return true;
    const bool inUse = errno == EWOULDBLOCK;
    ::close(file);
    return !inUse;
}

// Claims by binding an abstract Unix socket; the socket stays open, holding the name, until
// the process ends.
bool ClaimAbstractSocket(const QByteArray &name)
{
    const int socketHandle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketHandle < 0)
        return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // An abstract address starts with a zero byte and lives only as long as its socket.
    const QByteArray bytes = name.left(int(sizeof(address.sun_path)) - 1);
    std::memcpy(address.sun_path + 1, bytes.constData(), size_t(bytes.size()));
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(bytes.size()));
    if (::bind(socketHandle, reinterpret_cast<const sockaddr *>(&address), length) == 0)
        return true;
    const bool inUse = errno == EADDRINUSE;
    ::close(socketHandle);
    return !inUse;
}
} // namespace

bool ClaimSingleInstance(const QString &name)
{
    return ClaimSingleInstance(name, ::getuid(), QFile::decodeName(qgetenv("XDG_RUNTIME_DIR")));
}

bool ClaimSingleInstance(const QString &name, uid_t user, const QString &runtimeDirectory)
{
    if (IsPrivateDirectoryOf(runtimeDirectory, user))
        return ClaimLockFile(runtimeDirectory + QLatin1Char('/') + name + QStringLiteral(".lock"));
    return ClaimAbstractSocket((name + QLatin1Char('-') + QString::number(user)).toUtf8());
}
