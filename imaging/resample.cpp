// ResampleBitmap and ResamplePiece: validation, bitmap formats, and the two passes.
//
// ResampleBitmap holds bitmaps as QImage::Format_RGB888 (3 bytes per pixel, red first);
// ResamplePiece also reads and writes QImage::Format_RGB32 (4 bytes, blue first, the fourth
// 0xFF) as it comes. The intermediate bitmap is always RGB888-sized: 3 bytes per pixel in the
// source's channel order. Every channel is filtered independently and identically, so the byte
// order of the channels has no effect on the result.
#include "imaging/resample.h"

#include <cmath>

#include "base/errors.h"
#include "imaging/resample_passes.h"
#include "imaging/resample_tap_cache.h"

namespace {

constexpr QImage::Format kPixelFormat = QImage::Format_RGB888;

// A support this wide already spans hundreds of source pixels per output pixel; anything
// larger is a caller's mistake rather than a filter.
constexpr float kMaxSupport = 256.0f;

void CheckArguments(const QImage &source, const QImage &destination, TResampleKernel kernel, float support)
{
    if (source.width() < 1 || source.height() < 1)
        throw TovralError(QStringLiteral("Source bitmap too small"));
    if (!kernel)
        throw TovralError(QStringLiteral("No resampling kernel given"));
    if (!(support >= 0.0f && support <= kMaxSupport))
        throw TovralError(QStringLiteral("Resampling support %1 is outside 0 to %2").arg(support).arg(kMaxSupport));
    // One output pixel along an axis whose source is longer has no scale to speak of: the
    // first and last output pixels cannot both sit on the first and last source pixels.
    const auto collapses = [](int output, int input) { return output == 1 && input > 1; };
    if (collapses(destination.width(), source.width()) || collapses(destination.height(), source.height()))
        throw TovralError(QStringLiteral("Cannot resample %1 × %2 pixels to %3 × %4: an axis longer than "
                                         "one pixel cannot shrink to a single pixel")
                              .arg(source.width()).arg(source.height())
                              .arg(destination.width()).arg(destination.height()));
}

QImage NewBitmap(int width, int height, QImage::Format format, const char *role)
{
    QImage bitmap(width, height, format);
    if (bitmap.isNull())
        throw TovralError(QStringLiteral("Not enough memory for the %1 × %2 %3 bitmap of the resampler")
                              .arg(width).arg(height).arg(QLatin1String(role)));
    return bitmap;
}

// The intermediate bitmap (source height × destination width) in the workspace's memory, which
// only grows.
QImage IntermediateBitmap(int width, int height, std::vector<uchar> &memory)
{
    const qsizetype pitch = (qsizetype(width) * 3 + 3) & ~qsizetype(3); // rows start 4-byte aligned
    try {
        memory.resize(size_t(pitch) * size_t(height));
    } catch (const std::exception &) {
        throw TovralError(QStringLiteral("Not enough memory for the %1 × %2 intermediate bitmap of the resampler")
                              .arg(width).arg(height));
    }
    return QImage(memory.data(), width, height, pitch, kPixelFormat);
}

bool PassesRead(QImage::Format format)
{
    return format == kPixelFormat || format == QImage::Format_RGB32;
}

bool UseFastPasses(TResamplePath path, const TTapAxis &axis)
{
    return path != TResamplePath::Reference && FastPassesAvailable() && axis.FastPassesSuit;
}

TRegisterWidth RegisterWidth(TResamplePath path)
{
    return path == TResamplePath::FastInEightWide ? TRegisterWidth::Eight : TRegisterWidth::Widest;
}

// Both passes, once the arguments are checked and both bitmaps have the same format, one the
// passes read.
void ResampleChecked(const QImage &source, QImage &destination, TResampleKernel kernel, float support,
                     TResamplePath path, TResampleWorkspace &workspace)
{
    const int width = destination.width();
    const int height = destination.height();
    QImage intermediate = IntermediateBitmap(width, source.height(), workspace.Intermediate);
    // The cache also serves the rows of a piece scaled alike on both axes (most map pieces are
    // square) with the lists of its columns.
    const TSharedTapAxis columnTaps =
        CachedTapAxis(width, source.width(), ResampleScale(width, source.width()), kernel, support);
    if (UseFastPasses(path, *columnTaps))
        FastHorizontalPass(source, intermediate, *columnTaps, workspace, RegisterWidth(path));
    else
        ReferenceHorizontalPass(source, intermediate, columnTaps->Lists);
    const TSharedTapAxis rowTaps =
        CachedTapAxis(height, source.height(), ResampleScale(height, source.height()), kernel, support);
    if (UseFastPasses(path, *rowTaps))
        FastVerticalPass(intermediate, destination, *rowTaps, workspace, RegisterWidth(path));
    else
        ReferenceVerticalPass(intermediate, destination, rowTaps->Lists);
}

bool DestinationIsEmpty(const QImage &destination)
{
    return destination.width() < 1 || destination.height() < 1;
}

} // namespace

void ResampleBitmapUsing(QImage &source, QImage &destination, TResampleKernel kernel, float support,
                         TResamplePath path)
{
    CheckArguments(source, destination, kernel, support);
    if (DestinationIsEmpty(destination))
        return;
    source.convertTo(kPixelFormat);
    if (source.format() != kPixelFormat)
        throw TovralError(QStringLiteral("Not enough memory to convert the source bitmap to 24 bits"));
    if (destination.format() != kPixelFormat)
        destination = NewBitmap(destination.width(), destination.height(), kPixelFormat, "destination");
    TResampleWorkspace workspace;
    ResampleChecked(source, destination, kernel, support, path, workspace);
}

void ResampleBitmap(QImage &source, QImage &destination, TResampleKernel kernel, float support)
{
    ResampleBitmapUsing(source, destination, kernel, support, TResamplePath::Fastest);
}

void ResamplePiece(const QImage &source, QImage &destination, TResampleKernel kernel, float support,
                   TResampleWorkspace &workspace)
{
    CheckArguments(source, destination, kernel, support);
    if (DestinationIsEmpty(destination))
        return;
    QImage readable = source;
    if (!PassesRead(readable.format())) {
        readable.convertTo(kPixelFormat);
        if (readable.format() != kPixelFormat)
            throw TovralError(QStringLiteral("Not enough memory to convert the source bitmap to 24 bits"));
    }
    if (destination.format() != readable.format())
        destination = NewBitmap(destination.width(), destination.height(), readable.format(), "destination");
    ResampleChecked(readable, destination, kernel, support, TResamplePath::Fastest, workspace);
}
