// The vectorised passes for x86-64: AVX2 with fused multiply-add, and AVX-512 where the
// processor has it. Why they give the reference passes' bytes, and which tap lists they may
// take, is told in resample_fast.cpp.
//
// Layout
// ------
// Both passes reduce to one operation on "lines" of 96 channel values (32 pixels): every output
// line is the value-wise weighted sum of the source lines its taps select. The horizontal pass
// transposes a strip of 32 source rows so that each source column becomes a line; the vertical
// pass cuts the intermediate bitmap into stripes 32 pixels wide, each intermediate row giving
// one line. Lines hold the bytes as floats, converted once per strip rather than once per tap,
// so that a tap costs a load and a fused multiply-add (in double, also the rounding to Single
// and the midpoint check). A strip or stripe takes SW × 384 or SH × 384 bytes, and stays in the
// processor's cache.
#include "imaging/resample_passes.h"

#include <immintrin.h>

#include <algorithm>
#include <cstring>

namespace {

constexpr int kChannels = 3;

// Pixels per strip (horizontal pass) or stripe (vertical pass), and channel values per line.
constexpr int kLinePixels = 32;
constexpr int kLineValues = kLinePixels * kChannels;
// Values filtered together in double: 8 registers of 4 doubles.
constexpr int kBlockValues = 32;
static_assert(kLineValues % kBlockValues == 0);
// A whole line in Single: 12 registers of 8 floats.
constexpr int kSingleRegisters = kLineValues / 8;
static_assert(kLineValues % 32 == 0); // stored 32 bytes at a time

// One line of output values from a list whose sums are exact in Extended.
struct TSingleLineFilter {
    __attribute__((target("avx2,fma"))) static void Run(const TResampleTapList &taps, const float *lines,
                                                        uchar *out)
    {
        __m256 accumulators[kSingleRegisters];
        for (__m256 &accumulator : accumulators)
            accumulator = _mm256_setzero_ps();
        for (const TResampleTap &tap : taps) {
            const float *line = lines + tap.SourceIndex * kLineValues;
            const __m256 weight = _mm256_set1_ps(tap.Weight);
            for (int g = 0; g < kSingleRegisters; ++g)
                accumulators[g] = _mm256_fmadd_ps(_mm256_loadu_ps(line + 8 * g), weight, accumulators[g]);
        }
        StoreBytes(accumulators, out);
    }

    // Clamps to 0..255 and rounds half to even (the default rounding of the conversion), 32
    // values at a time. The packs work within 128-bit halves, so the groups of four bytes come
    // out as the low halves of the four registers, then their high halves; the permutation puts
    // each high half after its low half.
    __attribute__((target("avx2,fma"))) static void StoreBytes(const __m256 *accumulators, uchar *out)
    {
        const __m256 zero = _mm256_setzero_ps();
        const __m256 top = _mm256_set1_ps(255.0f);
        const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
        for (int g = 0; g < kSingleRegisters; g += 4) {
            __m256i words[4];
            for (int k = 0; k < 4; ++k)
                words[k] = _mm256_cvtps_epi32(_mm256_min_ps(_mm256_max_ps(accumulators[g + k], zero), top));
            const __m256i bytes = _mm256_packus_epi16(_mm256_packus_epi32(words[0], words[1]),
                                                      _mm256_packus_epi32(words[2], words[3]));
            _mm256_storeu_si256(reinterpret_cast<__m256i *>(out + 8 * g),
                                _mm256_permutevar8x32_epi32(bytes, order));
        }
    }
};

// GCC 12's AVX-512 intrinsics pass an undefined register through and warn about it wherever
// they are used; the values are never read.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wuninitialized"
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"

// Whether the processor has 16-value registers (AVX-512).
bool WideRegistersAvailable()
{
    static const bool available = __builtin_cpu_supports("avx512f");
    return available;
}

// TSingleLineFilter in 16-value registers: half the instructions, and the
// same bytes, since a fused multiply-add rounds alike at any register width.
struct TWideSingleLineFilter {
    static constexpr int kRegisters = kLineValues / 16;
    static_assert(kLineValues % 16 == 0);

    __attribute__((target("avx512f"))) static void Run(const TResampleTapList &taps, const float *lines, uchar *out)
    {
        __m512 accumulators[kRegisters];
        for (__m512 &accumulator : accumulators)
            accumulator = _mm512_setzero_ps();
        for (const TResampleTap &tap : taps) {
            const float *line = lines + tap.SourceIndex * kLineValues;
            const __m512 weight = _mm512_set1_ps(tap.Weight);
            for (int g = 0; g < kRegisters; ++g)
                accumulators[g] = _mm512_fmadd_ps(_mm512_loadu_ps(line + 16 * g), weight, accumulators[g]);
        }
        // Clamped to 0..255 and rounded half to even as in TSingleLineFilter; a word of 0..255
        // narrows to its byte.
        const __m512 zero = _mm512_setzero_ps();
        const __m512 top = _mm512_set1_ps(255.0f);
        for (int g = 0; g < kRegisters; ++g) {
            const __m512i words = _mm512_cvtps_epi32(_mm512_min_ps(_mm512_max_ps(accumulators[g], zero), top));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 16 * g), _mm512_cvtusepi32_epi8(words));
        }
    }
};

// The rare steps whose double sum sits exactly between two Singles, redone in Extended: before
// and after hold a block's sums before and after one tap, value by value.
void RedoMidpointSteps(const double *before, double *after, const float *line, float weight)
{
    for (int v = 0; v < kBlockValues; ++v)
        if (IsSingleMidpoint(after[v]))
            after[v] = AccumulateTap(float(before[v]), uint8_t(line[v]), weight);
}

// One block of kBlockValues output values in double, for lists whose sums may leave Extended's
// exact range. Each group of four is held as four doubles whose values are always Singles, and
// every step looks for sums on a Single midpoint.
struct TCheckedBlockFilter {
    static constexpr int kGroups = kBlockValues / 4;

    __attribute__((target("avx2,fma"))) static void Run(const TResampleTapList &taps, const float *lines,
                                                        uchar *out)
    {
        const __m256i lowBits = _mm256_set1_epi64x(int64_t(kLowMantissaBits));
        const __m256i midpoint = _mm256_set1_epi64x(int64_t(kSingleMidpointBits));
        __m256d accumulators[kGroups];
        for (int g = 0; g < kGroups; ++g)
            accumulators[g] = _mm256_setzero_pd();
        for (const TResampleTap &tap : taps) {
            const float *line = lines + tap.SourceIndex * kLineValues;
            const __m256d weight = _mm256_set1_pd(tap.Weight);
            __m256d sums[kGroups];
            __m256i midpoints = _mm256_setzero_si256();
            for (int g = 0; g < kGroups; ++g) {
                const __m256d values = _mm256_cvtps_pd(_mm_loadu_ps(line + 4 * g));
                sums[g] = _mm256_fmadd_pd(values, weight, accumulators[g]);
                const __m256i low = _mm256_and_si256(_mm256_castpd_si256(sums[g]), lowBits);
                midpoints = _mm256_or_si256(midpoints, _mm256_cmpeq_epi64(low, midpoint));
            }
            if (!_mm256_testz_si256(midpoints, midpoints)) [[unlikely]]
                RedoMidpoints(accumulators, sums, line, tap.Weight);
            for (int g = 0; g < kGroups; ++g)
                accumulators[g] = RoundedToSingle(sums[g]);
        }
        StoreBytes(accumulators, out);
    }

    // Rounds doubles to the nearest Single, ties to even, without leaving the double format:
    // adding just under half a Single ulp plus the ulp's parity bit to the bit pattern carries
    // into the kept bits exactly when rounding goes up (into the exponent too, which is right),
    // then the 29 dropped bits are cleared. Valid for finite doubles in the normal Single range,
    // which the weight bounds guarantee; integer operations are cheaper here than two
    // conversions.
    __attribute__((target("avx2,fma"))) static __m256d RoundedToSingle(__m256d values)
    {
        const __m256i bits = _mm256_castpd_si256(values);
        const __m256i parity = _mm256_and_si256(_mm256_srli_epi64(bits, 29), _mm256_set1_epi64x(1));
        const __m256i biased =
            _mm256_add_epi64(_mm256_add_epi64(bits, _mm256_set1_epi64x(int64_t(kSingleMidpointBits - 1))), parity);
        return _mm256_castsi256_pd(_mm256_andnot_si256(_mm256_set1_epi64x(int64_t(kLowMantissaBits)), biased));
    }

    __attribute__((target("avx2,fma"), noinline, cold)) static void RedoMidpoints(const __m256d *accumulators,
                                                                                   __m256d *sums, const float *line,
                                                                                   float weight)
    {
        alignas(32) double before[kBlockValues];
        alignas(32) double after[kBlockValues];
        for (int g = 0; g < kGroups; ++g) {
            _mm256_store_pd(before + 4 * g, accumulators[g]);
            _mm256_store_pd(after + 4 * g, sums[g]);
        }
        RedoMidpointSteps(before, after, line, weight);
        for (int g = 0; g < kGroups; ++g)
            sums[g] = _mm256_load_pd(after + 4 * g);
    }

    // Clamps to 0..255 and rounds half to even (the default rounding of the conversion).
    __attribute__((target("avx2,fma"))) static void StoreBytes(const __m256d *accumulators, uchar *out)
    {
        const __m256d zero = _mm256_setzero_pd();
        const __m256d top = _mm256_set1_pd(255.0);
        for (int g = 0; g < kGroups; g += 4) {
            __m128i words[4];
            for (int k = 0; k < 4; ++k)
                words[k] = _mm256_cvtpd_epi32(_mm256_min_pd(_mm256_max_pd(accumulators[g + k], zero), top));
            const __m128i bytes = _mm_packus_epi16(_mm_packus_epi32(words[0], words[1]),
                                                   _mm_packus_epi32(words[2], words[3]));
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 4 * g), bytes);
        }
    }
};

// The same in 8-double registers where the processor has them.
struct TWideCheckedBlockFilter {
    static constexpr int kGroups = kBlockValues / 8;

    __attribute__((target("avx512f"))) static void Run(const TResampleTapList &taps, const float *lines,
                                                       uchar *out)
    {
        const __m512i lowBits = _mm512_set1_epi64(int64_t(kLowMantissaBits));
        const __m512i midpoint = _mm512_set1_epi64(int64_t(kSingleMidpointBits));
        __m512d accumulators[kGroups];
        for (int g = 0; g < kGroups; ++g)
            accumulators[g] = _mm512_setzero_pd();
        for (const TResampleTap &tap : taps) {
            const float *line = lines + tap.SourceIndex * kLineValues;
            const __m512d weight = _mm512_set1_pd(tap.Weight);
            __m512d sums[kGroups];
            __mmask8 midpoints = 0;
            for (int g = 0; g < kGroups; ++g) {
                const __m512d values = _mm512_cvtps_pd(_mm256_loadu_ps(line + 8 * g));
                sums[g] = _mm512_fmadd_pd(values, weight, accumulators[g]);
                const __m512i low = _mm512_and_si512(_mm512_castpd_si512(sums[g]), lowBits);
                midpoints |= _mm512_cmpeq_epi64_mask(low, midpoint);
            }
            if (midpoints != 0) [[unlikely]]
                RedoMidpoints(accumulators, sums, line, tap.Weight);
            for (int g = 0; g < kGroups; ++g)
                accumulators[g] = RoundedToSingle(sums[g]);
        }
        StoreBytes(accumulators, out);
    }

    // As TCheckedBlockFilter::RoundedToSingle.
    __attribute__((target("avx512f"))) static __m512d RoundedToSingle(__m512d values)
    {
        const __m512i bits = _mm512_castpd_si512(values);
        const __m512i parity = _mm512_and_si512(_mm512_srli_epi64(bits, 29), _mm512_set1_epi64(1));
        const __m512i biased =
            _mm512_add_epi64(_mm512_add_epi64(bits, _mm512_set1_epi64(int64_t(kSingleMidpointBits - 1))), parity);
        return _mm512_castsi512_pd(_mm512_andnot_si512(_mm512_set1_epi64(int64_t(kLowMantissaBits)), biased));
    }

    __attribute__((target("avx512f"), noinline, cold)) static void RedoMidpoints(const __m512d *accumulators,
                                                                                  __m512d *sums, const float *line,
                                                                                  float weight)
    {
        alignas(64) double before[kBlockValues];
        alignas(64) double after[kBlockValues];
        for (int g = 0; g < kGroups; ++g) {
            _mm512_store_pd(before + 8 * g, accumulators[g]);
            _mm512_store_pd(after + 8 * g, sums[g]);
        }
        RedoMidpointSteps(before, after, line, weight);
        for (int g = 0; g < kGroups; ++g)
            sums[g] = _mm512_load_pd(after + 8 * g);
    }

    // Clamps to 0..255 and rounds half to even, 32 values at a time as in TCheckedBlockFilter.
    __attribute__((target("avx512f"))) static void StoreBytes(const __m512d *accumulators, uchar *out)
    {
        const __m512d zero = _mm512_setzero_pd();
        const __m512d top = _mm512_set1_pd(255.0);
        for (int g = 0; g < kGroups; g += 2) {
            const __m256i low = _mm512_cvtpd_epi32(_mm512_min_pd(_mm512_max_pd(accumulators[g], zero), top));
            const __m256i high = _mm512_cvtpd_epi32(_mm512_min_pd(_mm512_max_pd(accumulators[g + 1], zero), top));
            const __m512i words = _mm512_inserti64x4(_mm512_castsi256_si512(low), high, 1);
            _mm_storeu_si128(reinterpret_cast<__m128i *>(out + 8 * g), _mm512_cvtusepi32_epi8(words));
        }
    }
};

#pragma GCC diagnostic pop

// Output line i (kLineValues bytes) of an axis from the lines, kLineValues floats each, in
// Single arithmetic where that gives the exact result.
void FilterLine(const TTapAxis &axis, size_t i, const float *lines, uchar *out, TRegisterWidth width)
{
    const bool wide = width == TRegisterWidth::Widest && WideRegistersAvailable();
    if (axis.SumInSingle[i]) {
        if (wide)
            TWideSingleLineFilter::Run(axis.Lists[i], lines, out);
        else
            TSingleLineFilter::Run(axis.Lists[i], lines, out);
        return;
    }
    for (int b = 0; b < kLineValues; b += kBlockValues)
        if (wide)
            TWideCheckedBlockFilter::Run(axis.Lists[i], lines + b, out + b);
        else
            TCheckedBlockFilter::Run(axis.Lists[i], lines + b, out + b);
}

// Source rows first..first+rows-1 become column lines: pixel (x, first + r) goes to line x,
// values 3r..3r+2. Lines are written whole, one after the other, while the strip's rows are
// read a pixel at a time. Two rows of a column are stored together: their pixels, loaded as four
// bytes each, are packed to six values and converted as eight, the last two landing on the next
// slots before those are written (hence slots and lines are filled in ascending order). The last
// column is copied byte by byte, since the fourth byte of a 3-byte pixel may lie beyond the
// bitmap, and its line has no next line to spill into.
__attribute__((target("avx2,fma"))) void StripToColumnLines(const QImage &source, int first, int rows,
                                                            float *lines)
{
    const int width = source.width();
    const int pixelBytes = source.depth() / 8;
    const uchar *stripRows[kLinePixels];
    for (int r = 0; r < rows; ++r)
        stripRows[r] = source.constScanLine(first + r);
    const auto pixel = [&](int r, int x) {
        int32_t fourBytes;
        std::memcpy(&fourBytes, stripRows[r] + x * pixelBytes, sizeof fourBytes);
        return _mm_cvtsi32_si128(fourBytes);
    };
    // From the bytes of two pixels, four each: the first three of each, then two more.
    const __m128i sixValues = _mm_setr_epi8(0, 1, 2, 4, 5, 6, 7, 7, 8, 9, 10, 11, 12, 13, 14, 15);
    for (int x = 0; x + 1 < width; ++x) {
        float *value = lines + size_t(x) * kLineValues;
        int r = 0;
        for (; r + 1 < rows; r += 2, value += 2 * kChannels) {
            const __m128i pair = _mm_shuffle_epi8(_mm_unpacklo_epi32(pixel(r, x), pixel(r + 1, x)), sixValues);
            _mm256_storeu_ps(value, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(pair)));
        }
        if (r < rows)
            _mm_storeu_ps(value, _mm_cvtepi32_ps(_mm_cvtepu8_epi32(pixel(r, x))));
    }
    float *value = lines + size_t(width - 1) * kLineValues;
    for (int r = 0; r < rows; ++r)
        for (int c = 0; c < kChannels; ++c)
            value[r * kChannels + c] = stripRows[r][(width - 1) * pixelBytes + c];
}

// count bytes as floats, eight at a time.
__attribute__((target("avx2,fma"))) void BytesToLine(const uchar *bytes, int count, float *line)
{
    int k = 0;
    for (; k + 8 <= count; k += 8) {
        const __m128i eight = _mm_loadl_epi64(reinterpret_cast<const __m128i *>(bytes + k));
        _mm256_storeu_ps(line + k, _mm256_cvtepi32_ps(_mm256_cvtepu8_epi32(eight)));
    }
    for (; k < count; ++k)
        line[k] = bytes[k];
}

// Stores pixels first..first+pixels-1 of one output row from values, 3 per pixel, into a row of
// 3- or 4-byte pixels (the fourth byte 0xFF).
void StoreRowPixels(const uchar *values, int first, int pixels, int pixelBytes, uchar *row)
{
    if (pixelBytes == kChannels) {
        std::memcpy(row + first * kChannels, values, size_t(pixels) * kChannels);
        return;
    }
    uchar *pixel = row + first * pixelBytes;
    for (int p = 0; p < pixels; ++p, pixel += pixelBytes, values += kChannels) {
        std::memcpy(pixel, values, kChannels);
        pixel[kChannels] = 0xFF;
    }
}

// Working memory of at least count elements, grown (never shrunk) in the workspace. Elements
// never written by a pass hold zero or a byte value left from an earlier call: finite values
// whose results are never stored.
template <typename T>
T *Scratch(std::vector<T> &memory, size_t count)
{
    if (memory.size() < count)
        memory.resize(count);
    return memory.data();
}

} // namespace

bool FastPassesAvailable()
{
    return __builtin_cpu_supports("avx2") && __builtin_cpu_supports("fma");
}

void FastHorizontalPass(const QImage &source, QImage &intermediate, const TTapAxis &columnTaps,
                        TResampleWorkspace &workspace, TRegisterWidth width)
{
    const int outputWidth = intermediate.width();
    float *firstColumn = Scratch(workspace.Lines, size_t(source.width()) * kLineValues);
    uchar *outputColumns = Scratch(workspace.OutputLines, size_t(outputWidth) * kLineValues);
    for (int first = 0; first < source.height(); first += kLinePixels) {
        const int rows = std::min(kLinePixels, source.height() - first);
        StripToColumnLines(source, first, rows, firstColumn);
        for (int i = 0; i < outputWidth; ++i)
            FilterLine(columnTaps, size_t(i), firstColumn, outputColumns + size_t(i) * kLineValues, width);
        for (int r = 0; r < rows; ++r) {
            uchar *pixel = intermediate.scanLine(first + r);
            const uchar *value = outputColumns + r * kChannels;
            for (int i = 0; i < outputWidth; ++i, pixel += kChannels, value += kLineValues)
                std::memcpy(pixel, value, kChannels);
        }
    }
}

void FastVerticalPass(const QImage &intermediate, QImage &destination, const TTapAxis &rowTaps,
                      TResampleWorkspace &workspace, TRegisterWidth width)
{
    const int sourceHeight = intermediate.height();
    const uchar *firstRow = intermediate.constBits();
    const qsizetype pitch = intermediate.bytesPerLine();
    const int rowValues = intermediate.width() * kChannels;
    const int pixelBytes = destination.depth() / 8;
    float *firstLine = Scratch(workspace.Lines, size_t(sourceHeight) * kLineValues);
    uchar output[kLineValues];
    for (int first = 0; first < rowValues; first += kLineValues) {
        const int values = std::min(kLineValues, rowValues - first);
        // Values first..first+values-1 of every intermediate row become that row's line.
        for (int y = 0; y < sourceHeight; ++y)
            BytesToLine(firstRow + y * pitch + first, values, firstLine + size_t(y) * kLineValues);
        for (size_t i = 0; i < rowTaps.Lists.size(); ++i) {
            FilterLine(rowTaps, i, firstLine, output, width);
            StoreRowPixels(output, first / kChannels, values / kChannels, pixelBytes, destination.scanLine(int(i)));
        }
    }
}
