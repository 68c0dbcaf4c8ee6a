// Scale factors and tap lists.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/resample_taps.h"

namespace {

float WeightSum(const TResampleTapList &taps)
{
    float sum = 0;
    for (const TResampleTap &tap : taps)
        sum += tap.Weight;
    return sum;
}

// Guards a division by zero for one-pixel sources and the (N - 1) form that pins the first and
// last output pixels onto the first and last source pixels.
TEST(ResampleTaps, ScaleUsesOutputOverSourceOnlyForOnePixelSources)
{
    EXPECT_EQ(ResampleScale(7, 1), 7.0f);
    EXPECT_EQ(ResampleScale(10, 4), 3.0f);
    EXPECT_EQ(ResampleScale(5, 5), 1.0f);
    EXPECT_EQ(ResampleScale(3, 9), 0.25f);
}

// Guards the equal-size case taking the shrinking branch (it must not divide the kernel) and
// Box copying: one tap of weight 1 on the same column.
TEST(ResampleTaps, EqualSizeUsesTheKernelUndivided)
{
    const auto box = BuildTapLists(6, 6, 1.0f, FilterBox, 0.5f);
    for (int i = 0; i < 6; ++i) {
        ASSERT_EQ(box[i].size(), 1u) << i;
        EXPECT_EQ(box[i][0].SourceIndex, i);
        EXPECT_EQ(box[i][0].Weight, 1.0f);
    }
    // Lanczos3 keeps the tiny weights at distances 1 and 2 and drops the exact zeros at 3.
    const auto lanczos = BuildTapLists(9, 9, 1.0f, FilterLanczos3, 3.0f);
    const TResampleTapList &middle = lanczos[4];
    ASSERT_EQ(middle.size(), 5u);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(middle[k].SourceIndex, 2 + k);
    EXPECT_EQ(middle[2].Weight, 1.0f);
    EXPECT_NE(middle[1].Weight, 0.0f);
    EXPECT_LT(std::fabs(middle[1].Weight), 1e-6f);
}

// Guards the centre c = i / s: the first and last output columns sit exactly on the first and
// last source columns when the scale is representable.
TEST(ResampleTaps, EndOutputsAreCentredOnEndSources)
{
    const auto lists = BuildTapLists(10, 4, ResampleScale(10, 4), FilterTriangle, 1.0f);
    ASSERT_EQ(lists[0].size(), 1u);
    EXPECT_EQ(lists[0][0].SourceIndex, 0);
    EXPECT_EQ(lists[0][0].Weight, 1.0f);
    ASSERT_EQ(lists[9].size(), 1u);
    EXPECT_EQ(lists[9][0].SourceIndex, 3);
    EXPECT_EQ(lists[9][0].Weight, 1.0f);
    // A column between two sources mixes both, in ascending order.
    ASSERT_EQ(lists[1].size(), 2u);
    EXPECT_EQ(lists[1][0].SourceIndex, 0);
    EXPECT_EQ(lists[1][1].SourceIndex, 1);
}

// Guards the edge mirroring: -j before the first pixel, 2N - 1 - j after the last.
TEST(ResampleTaps, PositionsBeyondTheEdgesAreMirrored)
{
    const auto lists = BuildTapLists(5, 5, 1.0f, FilterLanczos3, 3.0f);
    const int expectedFirst[] = {2, 1, 0, 1, 2};
    const int expectedLast[] = {2, 3, 4, 4, 3};
    ASSERT_EQ(lists[0].size(), 5u);
    ASSERT_EQ(lists[4].size(), 5u);
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(lists[0][k].SourceIndex, expectedFirst[k]);
        EXPECT_EQ(lists[4][k].SourceIndex, expectedLast[k]);
    }
}

// Guards out-of-range reads for sources shorter than the kernel's reach: after mirroring,
// positions are clamped into the source for every kernel, scale and tiny extent.
TEST(ResampleTaps, TinySourcesKeepEveryTapInRange)
{
    for (const TResampleFilterEntry &entry : ResampleFilterTable)
        for (int source = 1; source <= 3; ++source)
            for (int output = source == 1 ? 1 : 2; output <= 12; ++output) {
                const float scale = ResampleScale(output, source);
                for (const TResampleTapList &taps : BuildTapLists(output, source, scale, entry.Kernel, entry.Support))
                    for (const TResampleTap &tap : taps) {
                        EXPECT_GE(tap.SourceIndex, 0) << entry.Name << ' ' << source << "->" << output;
                        EXPECT_LT(tap.SourceIndex, source) << entry.Name << ' ' << source << "->" << output;
                    }
            }
}

// Guards the shrinking branch: the kernel is widened by 1/s and divided by 1/s, so its weights
// still add up to about 1 (they are not normalised), and never more than Trunc(2w + 1) taps get
// a non-zero weight.
TEST(ResampleTaps, ShrinkingWidensTheKernelAndKeepsItsRoom)
{
    for (const TResampleFilterEntry &entry : ResampleFilterTable)
        for (int output : {2, 3, 7, 40, 99}) {
            const int source = 100;
            const float scale = ResampleScale(output, source);
            const float reach = float(entry.Support / (long double)scale);
            const auto room = size_t(std::trunc(2.0L * reach + 1.0L));
            for (const TResampleTapList &taps : BuildTapLists(output, source, scale, entry.Kernel, entry.Support)) {
                EXPECT_LE(taps.size(), room) << entry.Name << " to " << output;
                if (entry.Kernel != FilterBox) {
                    EXPECT_NEAR(WeightSum(taps), 1.0f, 0.05f) << entry.Name << " to " << output;
                }
                for (const TResampleTap &tap : taps)
                    EXPECT_NE(tap.Weight, 0.0f);
            }
        }
}

float EverywhereOne(float) { return 1.0f; }

// Guards writing past the list's room when a caller's kernel ignores its support: the list
// grows to take every position from Floor(c - w) to Ceil(c + w).
TEST(ResampleTaps, KernelIgnoringItsSupportStillGetsEveryTap)
{
    // Scale 2, reach 1: column 1 is centred at 0.5, so positions -1..2 all count, one more than
    // the room of Trunc(2 * 1 + 1) = 3.
    const auto lists = BuildTapLists(3, 2, ResampleScale(3, 2), EverywhereOne, 1.0f);
    ASSERT_EQ(lists[1].size(), 4u);
    const int expected[] = {1, 0, 1, 1};
    for (int k = 0; k < 4; ++k)
        EXPECT_EQ(lists[1][k].SourceIndex, expected[k]);
}

} // namespace
