#pragma once

#include <QByteArray>
#include <cstdint>
#include <optional>

class QIODevice;

// The little-endian int32 stored at bytes (four bytes, any alignment).
int32_t LittleEndianInt32(const char *bytes);

// Reads a little-endian binary data file from a device without trusting any size the file
// states: a device that cannot tell its size (a pipe) is read in chunks, so that memory grows
// only with the bytes that really arrive. The file readers check sizes against BytesLeft
// before they read and word their own errors.
class TBinaryReader {
public:
    explicit TBinaryReader(QIODevice &device) : FDevice(device) {}

    // The bytes the device still holds, or -1 when a sequential device cannot tell.
    qint64 BytesLeft() const;
    // count bytes, or fewer when the device ends first.
    QByteArray Read(qint64 count);
    // The next little-endian int32; nothing when the device ends first.
    std::optional<int32_t> ReadInt32();

private:
    QIODevice &FDevice;
};
