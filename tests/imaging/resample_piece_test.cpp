// ResamplePiece: the renderer's entry, reading 32-bit pieces as they are and reusing memory.
#include <gtest/gtest.h>

#include <random>

#include "base/errors.h"
#include "imaging/resample.h"
#include "tests/imaging/resample_test_pictures.h"

namespace {

// What ResampleBitmap makes of the same picture, in the given format.
QImage ResampledBitmap(const QImage &picture, QSize size, const TResampleFilterEntry &filter, QImage::Format format)
{
    QImage source = picture;
    QImage destination = SizedLike(size.width(), size.height());
    ResampleBitmap(source, destination, filter.Kernel, filter.Support);
    return destination.convertToFormat(format);
}

// A view into the middle of a larger picture, sharing its rows, as the renderer cuts its
// pieces from a decoded tile.
QImage PieceOf(const QImage &tile, QRect rect)
{
    return QImage(tile.constBits() + rect.y() * tile.bytesPerLine() + rect.x() * (tile.depth() / 8), rect.width(),
                  rect.height(), tile.bytesPerLine(), tile.format());
}

// Whether every fourth byte of a 32-bit bitmap is 0xFF, as QImage::Format_RGB32 requires (its
// comparison ignores that byte).
bool FourthBytesOpaque(const QImage &bitmap)
{
    for (int y = 0; y < bitmap.height(); ++y)
        for (int x = 0; x < bitmap.width(); ++x)
            if (bitmap.constScanLine(y)[4 * x + 3] != 0xFF)
                return false;
    return true;
}

float SubnormalKernel(float x) { return FilterTriangle(x) * 1e-39f; }

} // namespace

// Guards channel order, the fourth byte and the row pitch of 32-bit pieces, and stale working
// memory: one workspace serves pieces that grow and shrink (strip and stripe tails of every
// kind), each giving ResampleBitmap's colours while its source stays untouched.
TEST(ResamplePiece, PiecesThroughOneWorkspaceGiveResampleBitmapColours)
{
    const TResampleFilterEntry &lanczos3 = ResampleFilterTable[kLanczos3FilterIndex];
    std::mt19937 random(17);
    TResampleWorkspace workspace;
    QImage destination;
    for (int run = 0; run < 24; ++run) {
        const QImage::Format format = run % 3 == 2 ? QImage::Format_RGB888 : QImage::Format_RGB32;
        const QImage tile = RandomPicture(120, 110, unsigned(run), format);
        const QRect rect(int(random() % 20), int(random() % 20), 1 + int(random() % 100), 1 + int(random() % 90));
        const QImage piece = PieceOf(tile, rect);
        const QImage pieceBefore = piece.copy();
        const QSize size(rect.width() == 1 ? 3 : 2 + int(random() % 140), rect.height() == 1 ? 3 : 2 + int(random() % 140));
        destination = QImage(size, run % 2 ? QImage::Format_RGB32 : QImage::Format_Grayscale8);
        ResamplePiece(piece, destination, lanczos3.Kernel, lanczos3.Support, workspace);
        ASSERT_EQ(destination.format(), format) << run;
        ASSERT_EQ(destination, ResampledBitmap(piece, size, lanczos3, format))
            << run << ": " << rect.width() << 'x' << rect.height() << " -> " << size.width() << 'x' << size.height();
        ASSERT_EQ(piece, pieceBefore) << run;
        if (format == QImage::Format_RGB32) {
            ASSERT_TRUE(FourthBytesOpaque(destination)) << run;
        }
    }
}

// Guards the reference passes on 32-bit pieces (weights the fast passes refuse), and sources of
// other formats, which are converted to 24 bits without touching the caller's picture.
TEST(ResamplePiece, ReferencePassesAndOtherFormatsGiveTheSameColours)
{
    const TResampleFilterEntry subnormal{"Subnormal", SubnormalKernel, 1.0f};
    TResampleWorkspace workspace;
    const QImage rgb32 = RandomPicture(37, 29, 4, QImage::Format_RGB32);
    QImage destination(23, 41, QImage::Format_RGB32);
    ResamplePiece(rgb32, destination, subnormal.Kernel, subnormal.Support, workspace);
    EXPECT_EQ(destination, ResampledBitmap(rgb32, destination.size(), subnormal, QImage::Format_RGB32));
    EXPECT_TRUE(FourthBytesOpaque(destination));

    const TResampleFilterEntry &mitchell = ResampleFilterTable[6];
    const QImage argb = RandomPicture(37, 29, 5, QImage::Format_ARGB32);
    destination = QImage(50, 20, QImage::Format_RGB888);
    ResamplePiece(argb, destination, mitchell.Kernel, mitchell.Support, workspace);
    EXPECT_EQ(argb.format(), QImage::Format_ARGB32);
    EXPECT_EQ(destination, ResampledBitmap(argb, destination.size(), mitchell, QImage::Format_RGB888));
}

// Guards the checks being skipped on the renderer's entry: the same refusals as ResampleBitmap.
TEST(ResamplePiece, RefusesWhatResampleBitmapRefuses)
{
    TResampleWorkspace workspace;
    QImage destination(10, 10, QImage::Format_RGB32);
    EXPECT_THROW(ResamplePiece(QImage(0, 5, QImage::Format_RGB32), destination, FilterLanczos3, 3.0f, workspace),
                 TovralError);
    EXPECT_THROW(ResamplePiece(RandomPicture(5, 5, 1), destination, nullptr, 3.0f, workspace), TovralError);
    QImage line(1, 10, QImage::Format_RGB32);
    EXPECT_THROW(ResamplePiece(RandomPicture(5, 5, 1), line, FilterLanczos3, 3.0f, workspace), TovralError);
}
