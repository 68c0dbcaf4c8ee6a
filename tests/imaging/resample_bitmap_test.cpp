// ResampleBitmap as a whole: validation, formats, and what a picture looks like after it.
#include <gtest/gtest.h>

#include <cstdlib>

#include "base/errors.h"
#include "imaging/resample.h"
#include "tests/imaging/resample_test_pictures.h"

namespace {

const TResampleFilterEntry &Lanczos3() { return ResampleFilterTable[kLanczos3FilterIndex]; }

QImage Resampled(QImage source, int width, int height, const TResampleFilterEntry &entry)
{
    QImage destination = SizedLike(width, height);
    ResampleBitmap(source, destination, entry.Kernel, entry.Support);
    return destination;
}

// Guards an empty source being converted or allocated for before it is refused, and the exact
// message the renderer's fallback sees.
TEST(ResampleBitmap, EmptySourceIsRefusedBeforeAnythingChanges)
{
    for (QSize size : {QSize(0, 5), QSize(5, 0), QSize(0, 0)}) {
        QImage source(size, QImage::Format_ARGB32);
        QImage destination = FlatPicture(4, 4, Qt::red, QImage::Format_ARGB32);
        const QImage before = destination;
        try {
            ResampleBitmap(source, destination, Lanczos3().Kernel, Lanczos3().Support);
            ADD_FAILURE() << "no error for " << size.width() << 'x' << size.height();
        } catch (const TovralError &error) {
            EXPECT_EQ(error.Message(), QStringLiteral("Source bitmap too small"));
        }
        EXPECT_EQ(destination.format(), QImage::Format_ARGB32);
        EXPECT_EQ(destination, before);
    }
}

// Guards a division by zero or an endless tap list when a longer axis would shrink to a
// single pixel (scale 0), and an empty destination doing anything at all.
TEST(ResampleBitmap, DegenerateDestinationsLeaveTheSourceAlone)
{
    QImage source = RandomPicture(6, 6, 1, QImage::Format_ARGB32);
    QImage single = SizedLike(1, 4);
    EXPECT_THROW(ResampleBitmap(source, single, Lanczos3().Kernel, Lanczos3().Support), TovralError);
    QImage flat = SizedLike(4, 1);
    EXPECT_THROW(ResampleBitmap(source, flat, Lanczos3().Kernel, Lanczos3().Support), TovralError);
    EXPECT_EQ(source.format(), QImage::Format_ARGB32);

    QImage empty;
    ResampleBitmap(source, empty, Lanczos3().Kernel, Lanczos3().Support);
    EXPECT_TRUE(empty.isNull());
    EXPECT_EQ(source.format(), QImage::Format_ARGB32);
}

// Guards unsupported support radii (negative, not a number, absurdly wide) reaching the tap
// construction, where they would allocate without bound.
TEST(ResampleBitmap, UnusableSupportIsRefused)
{
    QImage source = RandomPicture(5, 5, 2);
    for (float support : {-1.0f, std::nanf(""), 1e30f}) {
        QImage destination = SizedLike(3, 3);
        EXPECT_THROW(ResampleBitmap(source, destination, FilterTriangle, support), TovralError) << support;
    }
}

// Guards the side effects on formats: the source becomes 24-bit in place, the destination
// takes the same format, and the colours survive the conversion.
TEST(ResampleBitmap, SourceIsConvertedTo24BitsInPlace)
{
    QImage source = FlatPicture(8, 6, QColor(200, 100, 50), QImage::Format_ARGB32);
    QImage destination(15, 11, QImage::Format_Indexed8);
    ResampleBitmap(source, destination, FilterTriangle, 1.0f);
    EXPECT_EQ(source.format(), QImage::Format_RGB888);
    EXPECT_EQ(destination.format(), QImage::Format_RGB888);
    EXPECT_EQ(destination.size(), QSize(15, 11));
    for (int y = 0; y < 11; ++y)
        for (int x = 0; x < 15; ++x)
            EXPECT_EQ(destination.pixelColor(x, y), QColor(200, 100, 50)) << x << ',' << y;
}

// Guards the identity cases: Box at the same size copies every pixel, and so does Lanczos3,
// whose tiny weights at integer distances are too small to move a byte.
TEST(ResampleBitmap, SameSizeReproducesThePicture)
{
    const QImage picture = RandomPicture(13, 7, 3);
    EXPECT_EQ(Resampled(picture, 13, 7, ResampleFilterTable[0]), picture);
    EXPECT_EQ(Resampled(picture, 13, 7, Lanczos3()), picture);
}

// Guards the end pixels: the first and last output columns and rows repeat the first and last
// source columns and rows exactly (10 from 4 has the representable scale 3).
TEST(ResampleBitmap, CornersStayOnTheSourceCorners)
{
    const QImage picture = RandomPicture(4, 4, 4);
    for (const TResampleFilterEntry &entry : ResampleFilterTable) {
        if (entry.Kernel == FilterBSpline || entry.Kernel == FilterBell || entry.Kernel == FilterMitchell)
            continue; // smoothing kernels blend neighbours even at their centre
        const QImage result = Resampled(picture, 10, 10, entry);
        for (QPoint corner : {QPoint(0, 0), QPoint(3, 0), QPoint(0, 3), QPoint(3, 3)})
            EXPECT_EQ(result.pixel(corner * 3), picture.pixel(corner)) << entry.Name;
    }
}

// Guards rounding with std::round (halves away from zero): a Triangle halfway between two
// columns gives exactly 2.5, 3.5 and 250.5, stored as 2, 4 and 250.
TEST(ResampleBitmap, ExactHalvesRoundToEven)
{
    QImage source(2, 1, QImage::Format_RGB888);
    source.setPixelColor(0, 0, QColor(2, 3, 250));
    source.setPixelColor(1, 0, QColor(3, 4, 251));
    const QImage result = Resampled(source, 3, 1, ResampleFilterTable[1]);
    EXPECT_EQ(result.pixelColor(1, 0), QColor(2, 4, 250));
}

// Guards missing clamping: Lanczos3 overshoots at a sharp black/white edge, and a wrapped byte
// would show up as a dark speck on the white side or a bright one on the black side.
TEST(ResampleBitmap, OvershootIsClampedNotWrapped)
{
    QImage edge = FlatPicture(12, 3, Qt::black);
    for (int y = 0; y < 3; ++y)
        for (int x = 6; x < 12; ++x)
            edge.setPixelColor(x, y, Qt::white);
    for (int width : {35, 7}) {
        const QImage result = Resampled(edge, width, 3, Lanczos3());
        for (int x = 0; x < width; ++x) {
            const int grey = qRed(result.pixel(x, 1));
            if (x < width * 4 / 10) {
                EXPECT_LT(grey, 40) << "width " << width << " column " << x;
            } else if (x > width * 6 / 10) {
                EXPECT_GT(grey, 215) << "width " << width << " column " << x;
            }
        }
    }
}

// Guards one- and two-pixel sources (xscale = DW, clamped mirroring): a flat colour stays
// close to flat under every kernel, also where Lanczos3 reaches far past the source.
TEST(ResampleBitmap, TinySourcesStayFlat)
{
    const QColor colour(200, 100, 50);
    for (const TResampleFilterEntry &entry : ResampleFilterTable)
        for (QSize size : {QSize(1, 1), QSize(2, 1), QSize(1, 2), QSize(2, 2)}) {
            const QImage result = Resampled(FlatPicture(size.width(), size.height(), colour), 7, 5, entry);
            for (int y = 0; y < 5; ++y)
                for (int x = 0; x < 7; ++x) {
                    const QColor pixel = result.pixelColor(x, y);
                    EXPECT_NEAR(pixel.red(), 200, 8) << entry.Name << " at " << x << ',' << y;
                    EXPECT_NEAR(pixel.blue(), 50, 8) << entry.Name << " at " << x << ',' << y;
                }
        }
}

// Guards the axes being swapped or a pass using the wrong pitch: a horizontal ramp stays a
// horizontal ramp (rising across, constant down; the vertical scales are whole numbers, so
// the unnormalised weights of every row add up to 1).
TEST(ResampleBitmap, RampKeepsItsDirection)
{
    QImage ramp(64, 24, QImage::Format_RGB888);
    for (int y = 0; y < 24; ++y)
        for (int x = 0; x < 64; ++x)
            ramp.setPixelColor(x, y, QColor(x * 4, 255 - x * 4, 128));
    for (QSize size : {QSize(21, 47), QSize(127, 70)}) {
        const QImage result = Resampled(ramp, size.width(), size.height(), ResampleFilterTable[1]);
        for (int y = 0; y < size.height(); ++y)
            for (int x = 0; x < size.width(); ++x) {
                EXPECT_EQ(result.pixel(x, y), result.pixel(x, 0));
                if (x > 0) {
                    EXPECT_GE(qRed(result.pixel(x, y)), qRed(result.pixel(x - 1, y)));
                }
            }
        EXPECT_GE(qRed(result.pixel(size.width() - 1, 0)), 240);
    }
}

// Guards a shrinking pass that forgets to divide the widened kernel: a flat picture shrunk with
// any smooth kernel keeps its brightness (Box, with its unnormalised whole taps, does not).
TEST(ResampleBitmap, ShrinkingKeepsBrightness)
{
    const QImage flat = FlatPicture(90, 70, QColor(120, 60, 240));
    for (const TResampleFilterEntry &entry : ResampleFilterTable) {
        if (entry.Kernel == FilterBox)
            continue;
        const QImage result = Resampled(flat, 23, 17, entry);
        for (int y = 1; y < 16; ++y)
            for (int x = 1; x < 22; ++x)
                EXPECT_NEAR(qGreen(result.pixel(x, y)), 60, 3) << entry.Name << " at " << x << ',' << y;
    }
}

} // namespace
