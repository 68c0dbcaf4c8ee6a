// ResampleBitmap: validation, bitmap formats, and the two passes.
//
// Bitmaps are held as QImage::Format_RGB888 (3 bytes per pixel, red first). Every channel is
// filtered independently and identically, so the byte order of the channels has no effect on
// the result.
#include "imaging/resample.h"

#include <cmath>

#include "imaging/resample_passes.h"
#include "imaging/resample_tap_cache.h"
#include "mapdata/errors.h"

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

QImage NewBitmap(int width, int height, const char *role)
{
    QImage bitmap(width, height, kPixelFormat);
    if (bitmap.isNull())
        throw TovralError(QStringLiteral("Not enough memory for the %1 × %2 %3 bitmap of the resampler")
                              .arg(width).arg(height).arg(QLatin1String(role)));
    return bitmap;
}

bool UseFastPasses(TResamplePath path, const std::vector<TResampleTapList> &lists)
{
    return path == TResamplePath::Fastest && FastPassesAvailable() && FastPassesSuit(lists);
}

void HorizontalPass(const QImage &source, QImage &intermediate, const std::vector<TResampleTapList> &columnTaps,
                    TResamplePath path)
{
    if (UseFastPasses(path, columnTaps))
        FastHorizontalPass(source, intermediate, columnTaps);
    else
        ReferenceHorizontalPass(source, intermediate, columnTaps);
}

void VerticalPass(const QImage &intermediate, QImage &destination, const std::vector<TResampleTapList> &rowTaps,
                  TResamplePath path)
{
    if (UseFastPasses(path, rowTaps))
        FastVerticalPass(intermediate, destination, rowTaps);
    else
        ReferenceVerticalPass(intermediate, destination, rowTaps);
}

} // namespace

void ResampleBitmapUsing(QImage &source, QImage &destination, TResampleKernel kernel, float support,
                         TResamplePath path)
{
    CheckArguments(source, destination, kernel, support);
    const int destinationWidth = destination.width();
    const int destinationHeight = destination.height();
    // A destination without pixels has nothing to fill.
    if (destinationWidth < 1 || destinationHeight < 1)
        return;
    QImage intermediate = NewBitmap(destinationWidth, source.height(), "intermediate");
    const float xScale = ResampleScale(destinationWidth, source.width());
    const float yScale = ResampleScale(destinationHeight, source.height());

    source.convertTo(kPixelFormat);
    if (source.format() != kPixelFormat)
        throw TovralError(QStringLiteral("Not enough memory to convert the source bitmap to 24 bits"));
    if (destination.format() != kPixelFormat)
        destination = NewBitmap(destinationWidth, destinationHeight, "destination");

    // The cache also serves the rows of a piece scaled alike on both axes (most map pieces are
    // square) with the lists of its columns.
    HorizontalPass(source, intermediate,
                   *CachedTapLists(destinationWidth, source.width(), xScale, kernel, support), path);
    VerticalPass(intermediate, destination,
                 *CachedTapLists(destinationHeight, source.height(), yScale, kernel, support), path);
}

void ResampleBitmap(QImage &source, QImage &destination, TResampleKernel kernel, float support)
{
    ResampleBitmapUsing(source, destination, kernel, support, TResamplePath::Fastest);
}
