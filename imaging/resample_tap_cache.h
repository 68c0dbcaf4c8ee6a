#pragma once

#include <memory>
#include <vector>

#include "imaging/resample_passes.h"

// The tap lists of one axis, shared by the resamplings that need the same ones.
using TSharedTapAxis = std::shared_ptr<const TTapAxis>;

// BuildTapLists, with what the fast passes need to know of the lists, through a small per-thread cache of the lists built most recently. The map
// renderer resamples piece after piece of the same size, and building the lists (two sines per
// Lanczos3 tap) would otherwise cost about as much as filtering the piece. The lists depend
// only on the arguments, so cached lists are exactly what BuildTapLists would return. The
// cache holds a few dozen entries and a bounded number of taps; lists larger than that bound
// are built afresh each time.
TSharedTapAxis CachedTapAxis(int outputExtent, int sourceExtent, float scale, TResampleKernel kernel,
                               float support);
