#include "tests/support/small_disk.h"

#include <QByteArray>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/mount.h>
#include <unistd.h>

TSmallDisk::TSmallDisk(qint64 bytes)
{
    const QByteArray options = "size=" + QByteArray::number(bytes) + ",mode=0700";
    FMounted = mount("tovral-test", QFile::encodeName(FFolder.path()).constData(), "tmpfs",
                     MS_NOSUID | MS_NODEV | MS_NOEXEC, options.constData()) == 0;
    if (!FMounted)
        FWhy = QStringLiteral("cannot mount a small tmpfs here: %1").arg(QString::fromLocal8Bit(strerror(errno)));
}

TSmallDisk::~TSmallDisk()
{
    if (FMounted)
        umount2(QFile::encodeName(FFolder.path()).constData(), MNT_DETACH);
}

void TSmallDisk::Fill() const
{
    const int fd = ::open(QFile::encodeName(FilePath(QStringLiteral("filler"))).constData(),
                          O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return;
    const QByteArray block(4096, '\0');
    while (::write(fd, block.constData(), size_t(block.size())) > 0) {
    }
    // Whatever part of a page is still free.
    while (::write(fd, block.constData(), 1) > 0) {
    }
    ::close(fd);
}
