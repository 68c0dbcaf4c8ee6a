// The seven reconstruction kernels of the resampler and their table.
//
// Every kernel takes and returns a Single (float). The arithmetic in between is done in
// Extended (long double); a value is rounded to float only where the kernel's definition holds
// it as a Single, and that is marked at each place with an explicit float conversion. The
// fractional constants are Extended constants, so they must not be written as float or double
// literals.
#include "imaging/resample.h"

#include <cmath>

namespace {
constexpr long double kTwoThirds = 2.0L / 3.0L;
constexpr long double kOneSixth = 1.0L / 6.0L;
constexpr long double kOneThird = 1.0L / 3.0L;
constexpr long double kSixteenThirds = 16.0L / 3.0L;
constexpr long double kMinusSevenThirds = -7.0L / 3.0L;
constexpr long double kThirtyTwoThirds = 32.0L / 3.0L;
constexpr long double kPi = 3.141592653589793238462643383279502884L;
} // namespace

float FilterBox(float x)
{
    // Half-open on purpose: of two source pixels exactly half a pixel away, only one counts.
    return (x > -0.5f && x <= 0.5f) ? 1.0f : 0.0f;
}

float FilterTriangle(float x)
{
    const float t = std::fabs(x);
    if (t < 1.0f)
        return float(1.0L - t);
    return 0.0f;
}

float FilterHermite(float x)
{
    const long double t = std::fabs(x);
    if (t < 1.0L)
        return float(t * t * (2.0L * t - 3.0L) + 1.0L);
    return 0.0f;
}

float FilterBell(float x)
{
    const float t = std::fabs(x);
    if (t < 0.5f)
        return float(0.75L - (long double)t * t);
    if (t < 1.5f) {
        const float u = float(t - 1.5L);
        return float(0.5L * u * u);
    }
    return 0.0f;
}

float FilterBSpline(float x)
{
    const float t = std::fabs(x);
    if (t < 1.0f) {
        const float tt = float((long double)t * t);
        return float(0.5L * tt * t - tt + kTwoThirds);
    }
    if (t < 2.0f) {
        const float u = float(2.0L - t);
        return float(kOneSixth * u * u * u);
    }
    return 0.0f;
}

float NormalizedSinc(float x)
{
    if (x == 0.0f)
        return 1.0f;
    // πx is held as a Single: the sine is taken of the rounded value and divided by it, which
    // is why the sinc of a non-zero integer is tiny but not exactly 0.
    const float pix = float(kPi * x);
    return float(sinl(pix) / (long double)pix);
}

float FilterLanczos3(float x)
{
    const float t = std::fabs(x);
    if (t < 3.0f) {
        const float sinc = NormalizedSinc(t);
        const float window = NormalizedSinc(float(t * kOneThird));
        return float((long double)sinc * window);
    }
    return 0.0f;
}

float FilterMitchell(float x)
{
    // Mitchell–Netravali cubic with B = C = 1/3.
    const float t = std::fabs(x);
    if (t < 2.0f) {
        const float tt = float((long double)t * t);
        const float polynomial = t < 1.0f
            ? float(7.0L * tt * t - 12.0L * tt + kSixteenThirds)
            : float(kMinusSevenThirds * tt * t + 12.0L * tt - 20.0L * t + kThirtyTwoThirds);
        return float(kOneSixth * polynomial);
    }
    return 0.0f;
}

const std::array<TResampleFilterEntry, 7> ResampleFilterTable = {{
    {"Box", FilterBox, 0.5f},
    {"Triangle", FilterTriangle, 1.0f},
    {"Hermite", FilterHermite, 1.0f},
    {"Bell", FilterBell, 1.5f},
    {"B-Spline", FilterBSpline, 2.0f},
    {"Lanczos3", FilterLanczos3, 3.0f},
    {"Mitchell", FilterMitchell, 2.0f},
}};
