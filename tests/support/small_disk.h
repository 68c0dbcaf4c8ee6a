#pragma once

#include <QString>
#include <QTemporaryDir>

// A folder on a tmpfs of a few pages, for tests of writes that run out of space. Mounting
// needs the right to mount (root in a machine or container that allows it); without it
// Mounted() is false and Why() says what failed, so the test can skip.
// Mounting a tmpfs is Linux-only; the Windows counterpart is a small virtual disk
// (CreateVirtualDisk, then AttachVirtualDisk).
class TSmallDisk {
public:
    explicit TSmallDisk(qint64 bytes = 64 * 1024);
    ~TSmallDisk();
    TSmallDisk(const TSmallDisk &) = delete;
    TSmallDisk &operator=(const TSmallDisk &) = delete;

    bool Mounted() const { return FMounted; }
    QString Why() const { return FWhy; }
    QString FilePath(const QString &name) const { return FFolder.filePath(name); }
    // Writes a filler file until the disk has no space left.
    void Fill() const;

private:
    QTemporaryDir FFolder;
    bool FMounted = false;
    QString FWhy;
};
