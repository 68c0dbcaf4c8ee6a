// The fast passes: the same bytes as the reference passes, several times faster. This file
// decides which tap lists they may take and how they accumulate each; the passes themselves are
// vectorised for x86-64 in resample_fast_x86.cpp, and plain loops in double for every other
// processor (or with TOVRAL_VECTOR_PATHS OFF) in resample_fast_portable.cpp.
//
// Why double arithmetic gives the same result as the Extended one
// ----------------------------------------------------------------
// One accumulation step rounds S = a + v·w to a Single, where a is the running Single, v a byte
// and w a Single weight. The reference rounds S to Extended first (L), then to Single; the fast
// step rounds S to double (D), then to Single. The product v·w has at most 8 + 24 = 32
// significant bits, so it is exact in double (and a fused multiply-add changes nothing).
//
// Let G be the grid of Singles together with the midpoints between neighbouring Singles. Double
// and Extended both contain G (a midpoint needs 25 significant bits), and rounding to nearest
// onto a finer grid never carries a value past a point of that grid: if S < q then D <= q,
// likewise for L. Rounding to Single is constant on every open interval between neighbouring
// points of G, and maps a Single to itself. Hence:
//  - if D is not a midpoint, D lies in the same closed interval of G as S without sitting on a
//    midpoint, so Single(D) = Single(S) (the correctly rounded result);
//  - if L were a midpoint M while S != M, then |S - M| would be at most half an Extended ulp,
//    far less than half a double ulp (M is never a power of two, so both ulps are taken in the
//    same binade), and D would be M as well. So when D is not a midpoint, neither is L, and
//    Single(L) = Single(S) = Single(D).
// The fast step therefore only has to detect D landing exactly on a midpoint, which for a
// double in the normal Single range means its 29 low mantissa bits are 1 followed by 28 zeros,
// and redo that one step in Extended.
//
// Why most lists can even be accumulated in Single arithmetic
// ------------------------------------------------------------
// Every partial sum is a multiple of u, the smallest Single ulp among the list's weights (v·w
// is a multiple of ulp(w), and rounding a multiple of u to a Single yields a multiple of u). If
// moreover every partial sum stays below 2^64·u, it is exact in Extended, so L = S and the
// reference step gives Single(S), the correctly rounded sum. A fused multiply-add in Single
// arithmetic computes a + v·w exactly and rounds it once, to nearest with ties to even: the
// same Single. The partial sums never exceed 255·Σ|w| grown by at most one Single rounding per
// tap, under twice that bound for up to 2^16 taps; lists whose doubled bound is below 2^64·u
// are accumulated in Single, eight values to a register (sixteen with AVX-512) and one
// instruction per register and tap. The rest (a weight so small beside the others that its ulp
// is below 2^-64 of their sum) are accumulated in double with the midpoint check.
//
// This needs every partial sum to stay in the normal Single range: all weights finite with
// 2^-100 <= |w| <= 2^100 and at most 2^16 taps per list. Then every non-zero sum is a multiple
// of 2^-123 (by induction, rounding to Single keeps that), so at least 2^-123, and no sum
// exceeds 2^16 · 2^8 · 2^100 = 2^124. Lists outside those bounds, which no table kernel
// produces, go through the reference passes.
#include "imaging/resample_passes.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace {

constexpr float kSmallestWeight = 0x1p-100f;
constexpr float kLargestWeight = 0x1p100f;
constexpr size_t kMostTaps = size_t(1) << 16;

bool WeightKeepsDoubleExact(float weight)
{
    const float magnitude = std::fabs(weight);
    return magnitude >= kSmallestWeight && magnitude <= kLargestWeight;
}

// Whether every partial sum of the list is exact in Extended, so that Single arithmetic gives
// the reference's bytes.
bool SumsStayExactInExtended(const TResampleTapList &taps)
{
    long double magnitudes = 0;
    int smallestUlpExponent = std::numeric_limits<int>::max();
    for (const TResampleTap &tap : taps) {
        magnitudes += std::fabs(tap.Weight);
        int exponent;
        std::frexp(tap.Weight, &exponent); // |w| = m · 2^exponent, 0.5 <= m < 1
        smallestUlpExponent = std::min(smallestUlpExponent, exponent - std::numeric_limits<float>::digits);
    }
    return 2 * 255 * magnitudes < std::ldexp(1.0L, std::numeric_limits<long double>::digits + smallestUlpExponent);
}

} // namespace

bool FastPassesSumInSingle(const TResampleTapList &taps)
{
    return SumsStayExactInExtended(taps);
}

bool FastPassesSuit(const std::vector<TResampleTapList> &lists)
{
    return std::all_of(lists.begin(), lists.end(), [](const TResampleTapList &taps) {
        return taps.size() <= kMostTaps &&
               std::all_of(taps.begin(), taps.end(),
                           [](const TResampleTap &tap) { return WeightKeepsDoubleExact(tap.Weight); });
    });
}

TTapAxis::TTapAxis(std::vector<TResampleTapList> lists)
    : Lists(std::move(lists)), FastPassesSuit(::FastPassesSuit(Lists))
{
    SumInSingle.reserve(Lists.size());
    for (const TResampleTapList &taps : Lists)
        SumInSingle.push_back(FastPassesSumInSingle(taps));
}
