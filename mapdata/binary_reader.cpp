#include "mapdata/binary_reader.h"

#include <QIODevice>
#include <QtEndian>
#include <algorithm>

namespace {
// The largest single read, so that a stated size never allocates ahead of the data.
constexpr qint64 kChunkBytes = 1 << 20;
} // namespace

int32_t LittleEndianInt32(const char *bytes)
{
    return qFromLittleEndian<int32_t>(bytes);
}

qint64 TBinaryReader::BytesLeft() const
{
    if (FDevice.isSequential())
        return -1;
    return std::max<qint64>(FDevice.size() - FDevice.pos(), 0);
}

QByteArray TBinaryReader::Read(qint64 count)
{
    QByteArray bytes;
    while (bytes.size() < count) {
        const QByteArray part = FDevice.read(std::min(count - bytes.size(), kChunkBytes));
        if (part.isEmpty())
            break;
        bytes += part;
    }
    return bytes;
}

std::optional<int32_t> TBinaryReader::ReadInt32()
{
    const QByteArray bytes = Read(4);
    if (bytes.size() < 4)
        return std::nullopt;
    return LittleEndianInt32(bytes.constData());
}
