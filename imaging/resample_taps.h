#pragma once

#include <cstdint>
#include <vector>

#include "imaging/resample.h"

// One source column (horizontal pass) or row (vertical pass) feeding an output pixel.
struct TResampleTap {
    int32_t SourceIndex; // already mirrored and clamped into 0..extent-1
    float Weight;        // never exactly 0
};

// The taps of one output column or row, in ascending order of the unmirrored source position.
using TResampleTapList = std::vector<TResampleTap>;

// Output pixels per source pixel along one axis, as a Single: output/source for a source of one
// pixel, else (output - 1)/(source - 1), so that the first and last output pixels are centred on
// the first and last source pixels. Needs output >= 1, source >= 1, and output >= 2 when
// source >= 2 (otherwise the scale would be 0).
float ResampleScale(int outputExtent, int sourceExtent);

// The tap lists of every output index 0..outputExtent-1 for one axis.
std::vector<TResampleTapList> BuildTapLists(int outputExtent, int sourceExtent, float scale,
                                            TResampleKernel kernel, float support);
