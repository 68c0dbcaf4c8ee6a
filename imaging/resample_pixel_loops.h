#pragma once

#include "imaging/resample_passes.h"

// The passes as plain loops, one output pixel at a time, each accumulation step done by Step:
// AccumulateTap for the reference passes, AccumulateTapInDouble for the portable fast passes.

namespace ResamplePixelLoops {

using TStep = float (*)(float accumulator, uint8_t value, float weight);

constexpr int kChannels = 3;
constexpr uchar kOpaque = 0xFF;

inline qsizetype BytesPerPixel(const QImage &bitmap)
{
    return bitmap.depth() / 8;
}

// Accumulates one output pixel from the pixels that the taps select, stepping from the first
// source pixel by the tap's index times stride bytes.
template <TStep Step>
void AccumulatePixel(const TResampleTapList &taps, const uchar *first, qsizetype stride, uchar *out)
{
    float accumulators[kChannels] = {0.0f, 0.0f, 0.0f};
    for (const TResampleTap &tap : taps) {
        const uchar *pixel = first + tap.SourceIndex * stride;
        for (int c = 0; c < kChannels; ++c)
            accumulators[c] = Step(accumulators[c], pixel[c], tap.Weight);
    }
    for (int c = 0; c < kChannels; ++c)
        out[c] = AccumulatorToByte(accumulators[c]);
}

template <TStep Step>
void HorizontalPass(const QImage &source, QImage &intermediate, const std::vector<TResampleTapList> &columnTaps)
{
    const uchar *sourceRow = source.constBits();
    const qsizetype sourcePitch = source.bytesPerLine();
    uchar *outRow = intermediate.bits();
    const qsizetype outPitch = intermediate.bytesPerLine();
    const qsizetype sourcePixel = BytesPerPixel(source);
    for (int y = 0; y < source.height(); ++y, sourceRow += sourcePitch, outRow += outPitch)
        for (size_t i = 0; i < columnTaps.size(); ++i)
            AccumulatePixel<Step>(columnTaps[i], sourceRow, sourcePixel, outRow + i * kChannels);
}

template <TStep Step>
void VerticalPass(const QImage &intermediate, QImage &destination, const std::vector<TResampleTapList> &rowTaps)
{
    const uchar *column = intermediate.constBits();
    const qsizetype pitch = intermediate.bytesPerLine();
    uchar *outColumn = destination.bits();
    const qsizetype outPitch = destination.bytesPerLine();
    const qsizetype outPixel = BytesPerPixel(destination);
    for (int x = 0; x < destination.width(); ++x, column += kChannels, outColumn += outPixel) {
        uchar *out = outColumn;
        for (const TResampleTapList &taps : rowTaps) {
            AccumulatePixel<Step>(taps, column, pitch, out);
            if (outPixel > kChannels)
                out[kChannels] = kOpaque;
            out += outPitch;
        }
    }
}

} // namespace ResamplePixelLoops
