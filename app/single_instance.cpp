#include "app/single_instance.h"

#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

bool ClaimSingleInstance(const QString &name)
{
    const int socketHandle = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socketHandle < 0)
        return true;
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    // An abstract address starts with a zero byte and lives only as long as its socket.
    const QByteArray bytes = name.toUtf8().left(int(sizeof(address.sun_path)) - 1);
    std::memcpy(address.sun_path + 1, bytes.constData(), size_t(bytes.size()));
    const socklen_t length = socklen_t(offsetof(sockaddr_un, sun_path) + 1 + size_t(bytes.size()));
    if (::bind(socketHandle, reinterpret_cast<const sockaddr *>(&address), length) == 0)
        return true; // the socket stays open, holding the name, until the process ends
    const bool inUse = errno == EADDRINUSE;
    ::close(socketHandle);
    return !inUse;
}
