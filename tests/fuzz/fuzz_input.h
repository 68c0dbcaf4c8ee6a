#pragma once

#include <QByteArray>
#include <cstddef>
#include <cstdint>

// Takes parameters from the front of a fuzzer's input; what is left is the payload. Once the
// input runs out every parameter reads as its lowest value.
class TFuzzInput {
public:
    TFuzzInput(const uint8_t *data, size_t size) : FData(data), FSize(size) {}

    // A number in [low, high].
    int Int(int low, int high)
    {
        const uint32_t span = uint32_t(high - low) + 1;
        uint32_t raw = 0;
        for (uint32_t reach = 1; reach < span && reach != 0; reach <<= 8)
            raw = (raw << 8) | Byte();
        return low + int(raw % span);
    }

    uint8_t Byte() { return FSize > 0 ? (--FSize, *FData++) : 0; }

    QByteArray Take(size_t count)
    {
        count = count < FSize ? count : FSize;
        const QByteArray bytes(reinterpret_cast<const char *>(FData), qsizetype(count));
        FData += count;
        FSize -= count;
        return bytes;
    }
    QByteArray Rest() { return Take(FSize); }
    size_t Left() const { return FSize; }

private:
    const uint8_t *FData;
    size_t FSize;
};

// Aborts the run (libFuzzer reports it as a crash with the input) when a property fails.
void FuzzCheck(bool condition, const char *what);
