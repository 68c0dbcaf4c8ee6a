#pragma once

#include <QByteArray>
#include <QtEndian>
#include <cstdint>

// Appends a little-endian int32, the counterpart of LittleEndianInt32 for the file writers.
inline void AppendInt32(QByteArray &bytes, int32_t value)
{
    char buffer[4];
    qToLittleEndian(value, buffer);
    bytes.append(buffer, 4);
}
