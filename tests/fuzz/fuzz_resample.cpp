// ResampleBitmap with random source and destination sizes, every kernel of the table (and
// supports around its own), random pixels; the fast passes must give the reference's bytes.
#include <QImage>
#include <cstring>

#include "fuzz_input.h"
#include "base/errors.h"
#include "imaging/resample.h"
#include "imaging/resample_passes.h"

namespace {

// Sides stay small so that one run takes milliseconds.
constexpr int kMaxSourceSide = 64;
constexpr int kMaxDestinationSide = 160;

QImage SourceFrom(TFuzzInput &input, int width, int height, int formatChoice)
{
    constexpr QImage::Format kFormats[] = {QImage::Format_RGB32, QImage::Format_RGB888, QImage::Format_ARGB32};
    QImage source(width, height, kFormats[formatChoice]);
    const QByteArray pixels = input.Rest();
    for (int y = 0; y < height; ++y) {
        uchar *row = source.scanLine(y);
        const qsizetype rowBytes = source.bytesPerLine();
        for (qsizetype i = 0; i < rowBytes; ++i)
            row[i] = pixels.isEmpty() ? uchar(i * 37 + y * 11) : uchar(pixels[(y * rowBytes + i) % pixels.size()]);
    }
    return source;
}

bool SamePixels(const QImage &a, const QImage &b)
{
    if (a.size() != b.size() || a.format() != b.format())
        return false;
    const qsizetype used = qsizetype(a.width()) * a.depth() / 8;
    for (int y = 0; y < a.height(); ++y)
        if (std::memcmp(a.constScanLine(y), b.constScanLine(y), size_t(used)) != 0)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    TFuzzInput input(data, size);
    const int sourceWidth = input.Int(0, kMaxSourceSide);
    const int sourceHeight = input.Int(0, kMaxSourceSide);
    const int destinationWidth = input.Int(0, kMaxDestinationSide);
    const int destinationHeight = input.Int(0, kMaxDestinationSide);
    const TResampleFilterEntry &filter = ResampleFilterTable[size_t(input.Int(0, 6))];
    // Mostly the kernel's own support; sometimes a narrower or wider one.
    const int supportChoice = input.Int(0, 15);
    const float support = supportChoice < 12 ? filter.Support : float(supportChoice - 12) * 2.5f;
    const int formatChoice = input.Int(0, 2);

    const QImage original = SourceFrom(input, sourceWidth, sourceHeight, formatChoice);
    QImage fastSource = original, referenceSource = original;
    QImage fast(destinationWidth, destinationHeight, QImage::Format_RGB888);
    QImage reference(destinationWidth, destinationHeight, QImage::Format_RGB888);
    bool fastFailed = false, referenceFailed = false;
    try {
        ResampleBitmapUsing(fastSource, fast, filter.Kernel, support, TResamplePath::Fastest);
    } catch (const TovralError &) {
        fastFailed = true;
    }
    try {
        ResampleBitmapUsing(referenceSource, reference, filter.Kernel, support, TResamplePath::Reference);
    } catch (const TovralError &) {
        referenceFailed = true;
    }
    FuzzCheck(fastFailed == referenceFailed, "both paths refuse the same arguments");
    if (fastFailed)
        FuzzCheck(SamePixels(fastSource, original), "a refused call leaves the source alone");
    else
        FuzzCheck(SamePixels(fast, reference), "the fast passes give the reference bytes");
    return 0;
}
