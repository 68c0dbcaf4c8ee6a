// Tap construction: which source pixels feed each output pixel, and with what weight.
#include "imaging/resample_taps.h"

#include <algorithm>
#include <cmath>

namespace {

// How far (in source pixels) and how flattened the kernel reaches along one axis. Shrinking
// widens the kernel by 1/scale and divides its weights by the same factor; enlarging uses it
// as it is.
struct TAxisReach {
    bool Shrinking;
    float Reach;   // w
    float Divisor; // d, only when shrinking
};

TAxisReach AxisReach(float scale, float support)
{
    if (scale < 1.0f)
        return {true, float(support / (long double)scale), float(1.0L / scale)};
    return {false, support, 1.0f};
}

// A source position outside 0..extent-1 is mirrored at the edge it passed. A kernel reaching
// further than the source is long (a 1- or 2-pixel source under Lanczos3) would still be out of
// range after one reflection; such positions are clamped to the nearest edge pixel.
int32_t MirroredIndex(int64_t position, int extent)
{
    int64_t mirrored = position;
    if (position < 0)
        mirrored = -position;
    else if (position >= extent)
        mirrored = int64_t(extent) - position + extent - 1;
    return int32_t(std::clamp<int64_t>(mirrored, 0, extent - 1));
}

TResampleTapList BuildTapList(int outputIndex, int sourceExtent, float scale, const TAxisReach &axis,
                              TResampleKernel kernel)
{
    TResampleTapList taps;
    // Every kernel is zero at and beyond its support, so Trunc(2w + 1) taps are enough for the
    // built-in ones; the list still grows if a caller's kernel does not keep to its support.
    taps.reserve(size_t(std::trunc(2.0L * axis.Reach + 1.0L)));
    const float centre = float((long double)outputIndex / scale);
    const auto left = int64_t(std::floor((long double)centre - axis.Reach));
    const auto right = int64_t(std::ceil((long double)centre + axis.Reach));
    for (int64_t position = left; position <= right; ++position) {
        const long double offset = (long double)centre - position;
        const float weight = axis.Shrinking
            ? float(kernel(float(offset / axis.Divisor)) / (long double)axis.Divisor)
            : kernel(float(offset));
        if (weight == 0.0f)
            continue;
        taps.push_back({MirroredIndex(position, sourceExtent), weight});
    }
    return taps;
}

} // namespace

float ResampleScale(int outputExtent, int sourceExtent)
{
    if (sourceExtent == 1)
        return float((long double)outputExtent / sourceExtent);
    return float((long double)(outputExtent - 1) / (sourceExtent - 1));
}

std::vector<TResampleTapList> BuildTapLists(int outputExtent, int sourceExtent, float scale,
                                            TResampleKernel kernel, float support)
{
    const TAxisReach axis = AxisReach(scale, support);
    std::vector<TResampleTapList> lists;
    lists.reserve(size_t(outputExtent));
    for (int i = 0; i < outputExtent; ++i)
        lists.push_back(BuildTapList(i, sourceExtent, scale, axis, kernel));
    return lists;
}
