// The vectorised passes: the same bytes as the reference passes, several times faster.
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
// This needs every partial sum to stay in the normal Single range: all weights finite with
// 2^-100 <= |w| <= 2^100 and at most 2^16 taps per list. Then every non-zero sum is a multiple
// of 2^-123 (by induction, rounding to Single keeps that), so at least 2^-123, and no sum
// exceeds 2^16 · 2^8 · 2^100 = 2^124. Lists outside those bounds, which no table kernel
// produces, go through the reference passes.
//
// Layout
// ------
// Both passes reduce to one operation: given tap lists over "lines" of bytes, every output
// line is the byte-wise weighted sum of the lines its taps select. The vertical pass applies it
// to intermediate rows directly. The horizontal pass first transposes a strip of source rows
// so that each source column becomes a contiguous line, filters, and transposes back.
#include "imaging/resample_passes.h"

#include <immintrin.h>

#include <algorithm>
#include <bit>
#include <cstring>

namespace {

constexpr int kChannels = 3;
constexpr uint64_t kLowMantissaBits = (uint64_t(1) << 29) - 1;
constexpr uint64_t kSingleMidpointBits = uint64_t(1) << 28;

constexpr float kSmallestWeight = 0x1p-100f;
constexpr float kLargestWeight = 0x1p100f;
constexpr size_t kMostTaps = size_t(1) << 16;

// Rows transposed at a time by the horizontal pass; 32 rows of 3 bytes make a line of 96
// bytes, three blocks of 32.
constexpr int kStripRows = 32;
constexpr int kStripLineBytes = kStripRows * kChannels;

bool IsSingleMidpoint(double value)
{
    return (std::bit_cast<uint64_t>(value) & kLowMantissaBits) == kSingleMidpointBits;
}

bool WeightKeepsDoubleExact(float weight)
{
    const float magnitude = std::fabs(weight);
    return magnitude >= kSmallestWeight && magnitude <= kLargestWeight;
}

// One output byte at a time, for the bytes of a line that do not fill a vector block.
void FilterBytesScalar(const TResampleTapList &taps, const uchar *base, qsizetype pitch, int from, int to,
                       uchar *out)
{
    for (int b = from; b < to; ++b) {
        float accumulator = 0.0f;
        for (const TResampleTap &tap : taps)
            accumulator = AccumulateTapFast(accumulator, base[tap.SourceIndex * pitch + b], tap.Weight);
        out[b] = AccumulatorToByte(accumulator);
    }
}

// Block of Groups × 4 bytes: each group of four channel values is held as four doubles whose
// values are always Singles.
template <int Groups>
struct TBlockFilter {
    __attribute__((target("avx2"))) static void Run(const TResampleTapList &taps, const uchar *base,
                                                    qsizetype pitch, uchar *out)
    {
        const __m256i lowBits = _mm256_set1_epi64x(int64_t(kLowMantissaBits));
        const __m256i midpoint = _mm256_set1_epi64x(int64_t(kSingleMidpointBits));
        __m256d accumulators[Groups];
        for (int g = 0; g < Groups; ++g)
            accumulators[g] = _mm256_setzero_pd();
        for (const TResampleTap &tap : taps) {
            const uchar *line = base + tap.SourceIndex * pitch;
            const __m256d weight = _mm256_set1_pd(tap.Weight);
            __m256d sums[Groups];
            __m256i midpoints = _mm256_setzero_si256();
            for (int g = 0; g < Groups; ++g) {
                int32_t fourBytes;
                std::memcpy(&fourBytes, line + 4 * g, sizeof fourBytes);
                const __m256d values = _mm256_cvtepi32_pd(_mm_cvtepu8_epi32(_mm_cvtsi32_si128(fourBytes)));
                sums[g] = _mm256_add_pd(accumulators[g], _mm256_mul_pd(values, weight));
                const __m256i low = _mm256_and_si256(_mm256_castpd_si256(sums[g]), lowBits);
                midpoints = _mm256_or_si256(midpoints, _mm256_cmpeq_epi64(low, midpoint));
            }
            if (!_mm256_testz_si256(midpoints, midpoints)) [[unlikely]]
                RedoMidpoints(accumulators, sums, line, tap.Weight);
            for (int g = 0; g < Groups; ++g)
                accumulators[g] = _mm256_cvtps_pd(_mm256_cvtpd_ps(sums[g]));
        }
        StoreBytes(accumulators, out);
    }

    // The rare steps whose double sum sits exactly between two Singles, redone in Extended.
    __attribute__((target("avx2"), noinline, cold)) static void RedoMidpoints(const __m256d *accumulators,
                                                                              __m256d *sums, const uchar *line,
                                                                              float weight)
    {
        for (int g = 0; g < Groups; ++g) {
            alignas(32) double before[4];
            alignas(32) double after[4];
            _mm256_store_pd(before, accumulators[g]);
            _mm256_store_pd(after, sums[g]);
            for (int lane = 0; lane < 4; ++lane)
                if (IsSingleMidpoint(after[lane]))
                    after[lane] = AccumulateTap(float(before[lane]), line[4 * g + lane], weight);
            sums[g] = _mm256_load_pd(after);
        }
    }

    // Clamps to 0..255 and rounds half to even (the default rounding of the conversion).
    __attribute__((target("avx2"))) static void StoreBytes(const __m256d *accumulators, uchar *out)
    {
        const __m256d zero = _mm256_setzero_pd();
        const __m256d top = _mm256_set1_pd(255.0);
        for (int g = 0; g < Groups; g += 4) {
            __m128i words[4];
            for (int k = 0; k < 4; ++k)
                words[k] = _mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(accumulators[g + k], zero), top));
            const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(words[0], words[1]),
                                                   _mm_packus_epi32(words[2], words[3]));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4 * g), bytes);
        }
    }
};

// Filters bytes 0..length-1 of one output line from the lines base + SourceIndex × pitch.
__attribute__((target("avx2"))) void FilterLine(const TResampleTapList &taps, const uchar *base,
                                                qsizetype pitch, int length, uchar *out)
{
    int b = 0;
    for (; b + 32 <= length; b += 32)
        TBlockFilter<8>::Run(taps, base + b, pitch, out + b);
    for (; b + 16 <= length; b += 16)
        TBlockFilter<4>::Run(taps, base + b, pitch, out + b);
    FilterBytesScalar(taps, base, pitch, b, length, out);
}

// Copies rows first..first+count-1 of a 24-bit bitmap into lines of kStripLineBytes, one line
// per column, and back.
void TransposeRowsToLines(const QImage &bitmap, int first, int count, uchar *lines)
{
    for (int r = 0; r < count; ++r) {
        const uchar *pixel = bitmap.constScanLine(first + r);
        uchar *target = lines + r * kChannels;
        for (int x = 0; x < bitmap.width(); ++x, pixel += kChannels, target += kStripLineBytes)
            std::memcpy(target, pixel, kChannels);
    }
}

void TransposeLinesToRows(const uchar *lines, int first, int count, QImage &bitmap)
{
    for (int r = 0; r < count; ++r) {
        uchar *pixel = bitmap.scanLine(first + r);
        const uchar *source = lines + r * kChannels;
        for (int x = 0; x < bitmap.width(); ++x, pixel += kChannels, source += kStripLineBytes)
            std::memcpy(pixel, source, kChannels);
    }
}

} // namespace

float AccumulateTapFast(float accumulator, uint8_t value, float weight)
{
    const double sum = double(accumulator) + double(value) * double(weight);
    return IsSingleMidpoint(sum) ? AccumulateTap(accumulator, value, weight) : float(sum);
}

bool FastPassesAvailable()
{
    return __builtin_cpu_supports("avx2");
}

bool FastPassesSuit(const std::vector<TResampleTapList> &lists)
{
    return std::all_of(lists.begin(), lists.end(), [](const TResampleTapList &taps) {
        return taps.size() <= kMostTaps &&
               std::all_of(taps.begin(), taps.end(),
                           [](const TResampleTap &tap) { return WeightKeepsDoubleExact(tap.Weight); });
    });
}

void FastHorizontalPass(const QImage &source, QImage &intermediate, const std::vector<TResampleTapList> &columnTaps)
{
    // Zero-filled so that the unused rows of the last strip are defined bytes.
    std::vector<uchar> sourceLines(size_t(source.width()) * kStripLineBytes, 0);
    std::vector<uchar> outputLines(size_t(intermediate.width()) * kStripLineBytes);
    for (int first = 0; first < source.height(); first += kStripRows) {
        const int count = std::min(kStripRows, source.height() - first);
        TransposeRowsToLines(source, first, count, sourceLines.data());
        for (size_t i = 0; i < columnTaps.size(); ++i)
            FilterLine(columnTaps[i], sourceLines.data(), kStripLineBytes, count * kChannels,
                       outputLines.data() + i * kStripLineBytes);
        TransposeLinesToRows(outputLines.data(), first, count, intermediate);
    }
}

void FastVerticalPass(const QImage &intermediate, QImage &destination, const std::vector<TResampleTapList> &rowTaps)
{
    const uchar *base = intermediate.constBits();
    const qsizetype pitch = intermediate.bytesPerLine();
    const int length = destination.width() * kChannels;
    for (size_t i = 0; i < rowTaps.size(); ++i)
        FilterLine(rowTaps[i], base, pitch, length, destination.scanLine(int(i)));
}
