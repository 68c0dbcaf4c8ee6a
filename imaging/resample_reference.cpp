// The reference passes: plain loops in Extended arithmetic, one output pixel at a time.
#include "imaging/resample_passes.h"

namespace {

constexpr int kChannels = 3;
constexpr uchar kOpaque = 0xFF;

qsizetype BytesPerPixel(const QImage &bitmap)
{
    return bitmap.depth() / 8;
}

// Accumulates one output pixel from the pixels that the taps select, stepping from the first
// source pixel by the tap's index times stride bytes.
void AccumulatePixel(const TResampleTapList &taps, const uchar *first, qsizetype stride, uchar *out)
{
    float accumulators[kChannels] = {0.0f, 0.0f, 0.0f};
    for (const TResampleTap &tap : taps) {
        const uchar *pixel = first + tap.SourceIndex * stride;
        for (int c = 0; c < kChannels; ++c)
            accumulators[c] = AccumulateTap(accumulators[c], pixel[c], tap.Weight);
    }
    for (int c = 0; c < kChannels; ++c)
        out[c] = AccumulatorToByte(accumulators[c]);
}

} // namespace

void ReferenceHorizontalPass(const QImage &source, QImage &intermediate,
                             const std::vector<TResampleTapList> &columnTaps)
{
    const uchar *sourceRow = source.constBits();
    const qsizetype sourcePitch = source.bytesPerLine();
    uchar *outRow = intermediate.bits();
    const qsizetype outPitch = intermediate.bytesPerLine();
    const qsizetype sourcePixel = BytesPerPixel(source);
    for (int y = 0; y < source.height(); ++y, sourceRow += sourcePitch, outRow += outPitch)
        for (size_t i = 0; i < columnTaps.size(); ++i)
            AccumulatePixel(columnTaps[i], sourceRow, sourcePixel, outRow + i * kChannels);
}

void ReferenceVerticalPass(const QImage &intermediate, QImage &destination,
                           const std::vector<TResampleTapList> &rowTaps)
{
    const uchar *column = intermediate.constBits();
    const qsizetype pitch = intermediate.bytesPerLine();
    uchar *outColumn = destination.bits();
    const qsizetype outPitch = destination.bytesPerLine();
    const qsizetype outPixel = BytesPerPixel(destination);
    for (int x = 0; x < destination.width(); ++x, column += kChannels, outColumn += outPixel) {
        uchar *out = outColumn;
        for (const TResampleTapList &taps : rowTaps) {
            AccumulatePixel(taps, column, pitch, out);
            if (outPixel > kChannels)
                out[kChannels] = kOpaque;
            out += outPitch;
        }
    }
}
