#pragma once

#include <QImage>
#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "imaging/resample_taps.h"

// The two passes of the resampler. Pixels have 3 channels, each byte an independent channel:
// the source of the horizontal pass and the destination of the vertical pass hold 3 or 4 bytes
// per pixel (RGB888 or RGB32, a fourth byte written as 0xFF), the intermediate bitmap between
// them always 3. The reference passes define the result; the fast passes produce the same bytes
// and are used whenever the processor and the weights allow.

// One accumulation step: the running sum plus value × weight, computed in Extended and held
// as a Single.
inline float AccumulateTap(float accumulator, uint8_t value, float weight)
{
    return float((long double)accumulator + (long double)value * (long double)weight);
}

// The low 29 bits of a double's significand, which rounding to a Single drops, and their value
// when the double lies exactly between two Singles (in the normal Single range).
constexpr uint64_t kLowMantissaBits = (uint64_t(1) << 29) - 1;
constexpr uint64_t kSingleMidpointBits = uint64_t(1) << 28;

inline bool IsSingleMidpoint(double value)
{
    return (std::bit_cast<uint64_t>(value) & kLowMantissaBits) == kSingleMidpointBits;
}

// AccumulateTap in double: the same Single whenever the double sum does not land exactly
// between two Singles, and there the step is redone in Extended (resample_fast.cpp proves it).
// For lists the fast passes suit (FastPassesSuit), whose sums stay in the normal Single range.
inline float AccumulateTapInDouble(float accumulator, uint8_t value, float weight)
{
    const double sum = double(accumulator) + double(value) * double(weight);
    return IsSingleMidpoint(sum) ? AccumulateTap(accumulator, value, weight) : float(sum);
}

// An accumulated channel as a byte: clamped to 0..255, else rounded half to even (the default
// rounding mode of lrint).
inline uint8_t AccumulatorToByte(float accumulator)
{
    if (accumulator > 255.0f)
        return 255;
    if (accumulator < 0.0f)
        return 0;
    return uint8_t(std::lrint(accumulator));
}

// Horizontal pass: every source row through the column tap lists into the intermediate bitmap
// (source height × destination width).
void ReferenceHorizontalPass(const QImage &source, QImage &intermediate,
                             const std::vector<TResampleTapList> &columnTaps);
// Vertical pass: every intermediate column through the row tap lists into the destination.
void ReferenceVerticalPass(const QImage &intermediate, QImage &destination,
                           const std::vector<TResampleTapList> &rowTaps);

// The fast passes accumulate in double (or in Single where that is exact) and give the same
// bytes as the reference passes (the proof is in resample_fast.cpp): vectorised on x86-64,
// where they need AVX2 and FMA, else plain loops. Whether they run on this processor:
bool FastPassesAvailable();
// Whether every weight keeps the fast passes' arithmetic identical to the reference.
bool FastPassesSuit(const std::vector<TResampleTapList> &lists);
// Whether the fast passes accumulate this list in Single arithmetic (its sums are exact in
// Extended); otherwise they use double with a check for sums on a Single midpoint.
bool FastPassesSumInSingle(const TResampleTapList &taps);

// The tap lists of one axis with what the fast passes need to know of them, worked out once.
struct TTapAxis {
    explicit TTapAxis(std::vector<TResampleTapList> lists);

    std::vector<TResampleTapList> Lists;
    bool FastPassesSuit;           // FastPassesSuit(Lists)
    std::vector<bool> SumInSingle; // FastPassesSumInSingle of each list
};

// The registers the fast passes' Single arithmetic uses: the widest the processor has (16
// values with AVX-512), or 8 values, as on a processor without AVX-512. The bytes are the same.
enum class TRegisterWidth { Widest, Eight };

// The fast passes, for an axis they suit; their working lines come from workspace.
void FastHorizontalPass(const QImage &source, QImage &intermediate, const TTapAxis &columnTaps,
                        TResampleWorkspace &workspace, TRegisterWidth width = TRegisterWidth::Widest);
void FastVerticalPass(const QImage &intermediate, QImage &destination, const TTapAxis &rowTaps,
                      TResampleWorkspace &workspace, TRegisterWidth width = TRegisterWidth::Widest);

enum class TResamplePath { Reference, Fastest, FastInEightWide };

// ResampleBitmap with a choice of passes. Fastest uses the fast passes wherever the processor
// and the weights allow, and the reference passes elsewhere; FastInEightWide does the same with
// registers of 8 values. All give the same bytes.
void ResampleBitmapUsing(QImage &source, QImage &destination, TResampleKernel kernel, float support,
                         TResamplePath path);
