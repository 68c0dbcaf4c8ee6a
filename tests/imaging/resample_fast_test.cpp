// The vectorised passes against the reference passes: byte for byte the same.
#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "imaging/resample_passes.h"
#include "tests/imaging/resample_test_pictures.h"

namespace {

// 130 × kMidpointWeight = 2^-23 + 2^-53: added to 2.5, the sum lies just above the midpoint
// between the Singles 2.5 and 2.5 + 2^-22, but rounds to exactly that midpoint in double.
const float kMidpointWeight = std::ldexp(16519105.0f, -54);

#define SKIP_WITHOUT_FAST_PASSES()                                          \
    if (!FastPassesAvailable())                                             \
    GTEST_SKIP() << "this processor has no AVX2; the fast passes never run"

// Resamples columns (2 × 45) and rows (20 × 2) whose first column or row holds 5 and second 130
// through taps in registers of the given width, checking that both fast passes give the
// reference bytes, 3 everywhere.
void ExpectMidpointCaseRoundsUp(const std::vector<TResampleTapList> &taps, TRegisterWidth width)
{
    QImage columns(2, 45, QImage::Format_RGB888);
    for (int y = 0; y < 45; ++y) {
        columns.setPixelColor(0, y, QColor(5, 5, 5));
        columns.setPixelColor(1, y, QColor(130, 130, 130));
    }
    QImage fastColumns(1, 45, QImage::Format_RGB888);
    QImage referenceColumns(1, 45, QImage::Format_RGB888);
    TResampleWorkspace workspace;
    FastHorizontalPass(columns, fastColumns, TTapAxis(taps), workspace, width);
    ReferenceHorizontalPass(columns, referenceColumns, taps);
    EXPECT_EQ(referenceColumns.pixelColor(0, 44), QColor(3, 3, 3));
    EXPECT_EQ(fastColumns, referenceColumns);

    QImage rows(20, 2, QImage::Format_RGB888);
    rows.fill(QColor(5, 5, 5));
    for (int x = 0; x < 20; ++x)
        rows.setPixelColor(x, 1, QColor(130, 130, 130));
    QImage fastRows(20, 1, QImage::Format_RGB888);
    QImage referenceRows(20, 1, QImage::Format_RGB888);
    FastVerticalPass(rows, fastRows, TTapAxis(taps), workspace, width);
    ReferenceVerticalPass(rows, referenceRows, taps);
    EXPECT_EQ(referenceRows.pixelColor(19, 0), QColor(3, 3, 3));
    EXPECT_EQ(fastRows, referenceRows);
}

// The same check in registers of both widths.
void ExpectMidpointCaseRoundsUp(const std::vector<TResampleTapList> &taps)
{
    for (const TRegisterWidth width : {TRegisterWidth::Widest, TRegisterWidth::Eight})
        ExpectMidpointCaseRoundsUp(taps, width);
}

// Guards both fast arithmetics on a sum just above a Single midpoint: each output byte is
// 5 × 0.5 + 130 × kMidpointWeight, just above 2.5 in Extended but exactly on a Single midpoint
// in double, so it must come out 3 (a bare double sum would give 2), in every lane, block and
// strip row. Single arithmetic rounds the exact sum once; double arithmetic, forced by a
// negligible first tap (the smallest weight the fast passes take) whose ulp is far below the
// sum's ulp in Extended, or in any wider long double, must redo the step.
TEST(ResampleFast, PassesRoundSumsNextToMidpointsInEveryLane)
{
    SKIP_WITHOUT_FAST_PASSES();
    EXPECT_EQ(AccumulateTap(2.5f, 130, kMidpointWeight), std::nextafter(2.5f, 3.0f));
    EXPECT_EQ(float(2.5 + 130.0 * double(kMidpointWeight)), 2.5f) << "the crafted case no longer rounds twice";

    const TResampleTapList inSingle = {{0, 0.5f}, {1, kMidpointWeight}};
    ASSERT_TRUE(FastPassesSumInSingle(inSingle));
    ExpectMidpointCaseRoundsUp({inSingle});

    const TResampleTapList inDouble = {{0, 0x1p-100f}, {0, 0.5f}, {1, kMidpointWeight}};
    ASSERT_FALSE(FastPassesSumInSingle(inDouble));
    ExpectMidpointCaseRoundsUp({inDouble});
}

// Guards any divergence of the fast passes (block edges, strip edges, tails, mirroring, pitch
// padding, clamping, register width): random pictures, sizes and kernels give identical bytes.
TEST(ResampleFast, WholeBitmapsMatchTheReference)
{
    SKIP_WITHOUT_FAST_PASSES();
    std::mt19937 random(11);
    const auto extent = [&](int most) { return 1 + int(random() % unsigned(most)); };
    for (int run = 0; run < 120; ++run) {
        const TResampleFilterEntry &entry = ResampleFilterTable[run % ResampleFilterTable.size()];
        const int sourceWidth = extent(90);
        const int sourceHeight = extent(90);
        const int width = sourceWidth == 1 ? extent(40) : 1 + extent(110);
        const int height = sourceHeight == 1 ? extent(40) : 1 + extent(110);
        const QImage picture = RandomPicture(sourceWidth, sourceHeight, unsigned(run));
        QImage referenceSource = picture;
        QImage reference = SizedLike(width, height);
        ResampleBitmapUsing(referenceSource, reference, entry.Kernel, entry.Support, TResamplePath::Reference);
        for (const TResamplePath path : {TResamplePath::Fastest, TResamplePath::FastInEightWide}) {
            QImage fastSource = picture;
            QImage fast = SizedLike(width, height);
            ResampleBitmapUsing(fastSource, fast, entry.Kernel, entry.Support, path);
            ASSERT_EQ(fast, reference) << entry.Name << ' ' << sourceWidth << 'x' << sourceHeight << " -> "
                                       << width << 'x' << height << " path " << int(path);
        }
    }
}

float SubnormalKernel(float x) { return FilterTriangle(x) * 1e-39f; }
float HugeKernel(float x) { return FilterTriangle(x) * 1e35f; }

// Guards the range the proof needs: weights so small or so large that sums would leave the
// normal Single range are refused by the fast passes and still give the reference bytes.
TEST(ResampleFast, ExtremeWeightsFallBackToTheReference)
{
    const QImage picture = RandomPicture(40, 30, 5);
    for (TResampleKernel kernel : {SubnormalKernel, HugeKernel}) {
        EXPECT_FALSE(FastPassesSuit(BuildTapLists(17, 40, ResampleScale(17, 40), kernel, 1.0f)));
        QImage referenceSource = picture;
        QImage fastSource = picture;
        QImage reference = SizedLike(17, 50);
        QImage fast = SizedLike(17, 50);
        ResampleBitmapUsing(referenceSource, reference, kernel, 1.0f, TResamplePath::Reference);
        ResampleBitmapUsing(fastSource, fast, kernel, 1.0f, TResamplePath::Fastest);
        EXPECT_EQ(fast, reference);
    }
    EXPECT_TRUE(FastPassesSuit(BuildTapLists(17, 40, ResampleScale(17, 40), FilterLanczos3, 3.0f)));
}

} // namespace
