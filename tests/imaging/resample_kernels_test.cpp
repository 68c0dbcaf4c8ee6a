// The seven kernels and their table.
#include <gtest/gtest.h>

#include <cmath>

#include "imaging/resample.h"

namespace {

// Guards the branch comparisons: "t < 1" must send t = 1 into the next branch, and the Box
// interval must be open on the left and closed on the right.
TEST(ResampleKernels, BoundaryValuesFallIntoTheRightBranch)
{
    EXPECT_EQ(FilterBox(-0.5f), 0.0f);
    EXPECT_EQ(FilterBox(0.5f), 1.0f);
    EXPECT_EQ(FilterTriangle(1.0f), 0.0f);
    EXPECT_EQ(FilterHermite(1.0f), 0.0f);
    EXPECT_EQ(FilterBell(0.5f), 0.5f);
    EXPECT_EQ(FilterBell(1.5f), 0.0f);
    EXPECT_EQ(FilterBSpline(1.0f), float(1.0L / 6.0L));
    EXPECT_EQ(FilterBSpline(2.0f), 0.0f);
    EXPECT_EQ(FilterLanczos3(3.0f), 0.0f);
    EXPECT_EQ(FilterMitchell(1.0f), float(1.0L / 18.0L));
    EXPECT_EQ(FilterMitchell(2.0f), 0.0f);
}

// Guards a wrong coefficient or sign in a polynomial: each kernel must agree with its closed
// form (computed independently in double) to within a few float ulps everywhere.
TEST(ResampleKernels, ValuesFollowTheirClosedForms)
{
    const auto sinc = [](double x) { return x == 0 ? 1.0 : std::sin(M_PI * x) / (M_PI * x); };
    const auto closedForm = [&](int index, double t) -> double {
        switch (index) {
        case 1: return t < 1 ? 1 - t : 0;
        case 2: return t < 1 ? 2 * t * t * t - 3 * t * t + 1 : 0;
        case 3: return t < 0.5 ? 0.75 - t * t : t < 1.5 ? 0.5 * (t - 1.5) * (t - 1.5) : 0;
        case 4: return t < 1 ? 0.5 * t * t * t - t * t + 2.0 / 3 : t < 2 ? std::pow(2 - t, 3) / 6 : 0;
        case 5: return t < 3 ? sinc(t) * sinc(t / 3) : 0;
        case 6:
            return t < 1 ? (7 * t * t * t - 12 * t * t + 16.0 / 3) / 6
                 : t < 2 ? (-7.0 / 3 * t * t * t + 12 * t * t - 20 * t + 32.0 / 3) / 6
                         : 0;
        }
        return 0;
    };
    for (int index = 1; index < 7; ++index)
        for (float x = -3.5f; x <= 3.5f; x += 0.0625f + 1.0f / 1024) {
            const float value = ResampleFilterTable[index].Kernel(x);
            EXPECT_NEAR(value, closedForm(index, std::fabs(x)), 1e-6)
                << ResampleFilterTable[index].Name << " at " << x;
            EXPECT_EQ(value, ResampleFilterTable[index].Kernel(-x)) << ResampleFilterTable[index].Name;
        }
}

// Guards computing πx in wider precision than a Single: the sine of the rounded multiple of π
// leaves a small but non-zero weight at integer distances, which enters the tap lists.
TEST(ResampleKernels, SincOfAnIntegerIsTinyButNotZero)
{
    for (float x : {1.0f, 2.0f, -1.0f}) {
        const float value = NormalizedSinc(x);
        EXPECT_NE(value, 0.0f) << x;
        EXPECT_LT(std::fabs(value), 1e-6f) << x;
        EXPECT_GT(std::fabs(value), 1e-9f) << x;
    }
    EXPECT_EQ(NormalizedSinc(0.0f), 1.0f);
    EXPECT_NE(FilterLanczos3(1.0f), 0.0f);
}

// Guards the table the renderer indexes: order, names, supports, and every kernel vanishing
// from its support outwards.
TEST(ResampleKernels, TableEntriesMatchTheirKernels)
{
    const char *names[] = {"Box", "Triangle", "Hermite", "Bell", "B-Spline", "Lanczos3", "Mitchell"};
    const float supports[] = {0.5f, 1.0f, 1.0f, 1.5f, 2.0f, 3.0f, 2.0f};
    for (int index = 0; index < 7; ++index) {
        const TResampleFilterEntry &entry = ResampleFilterTable[index];
        EXPECT_STREQ(entry.Name, names[index]);
        EXPECT_EQ(entry.Support, supports[index]);
        EXPECT_EQ(entry.Kernel(entry.Support + 0.25f), 0.0f) << entry.Name;
        EXPECT_EQ(entry.Kernel(-entry.Support), 0.0f) << entry.Name;
        EXPECT_NE(entry.Kernel(0.0f), 0.0f) << entry.Name;
    }
    EXPECT_EQ(ResampleFilterTable[kLanczos3FilterIndex].Kernel, &FilterLanczos3);
}

} // namespace
