// The reference passes: plain loops in Extended arithmetic, one output pixel at a time.
#include "imaging/resample_pixel_loops.h"

void ReferenceHorizontalPass(const QImage &source, QImage &intermediate,
                             const std::vector<TResampleTapList> &columnTaps)
{
    ResamplePixelLoops::HorizontalPass<AccumulateTap>(source, intermediate, columnTaps);
}

void ReferenceVerticalPass(const QImage &intermediate, QImage &destination,
                           const std::vector<TResampleTapList> &rowTaps)
{
    ResamplePixelLoops::VerticalPass<AccumulateTap>(intermediate, destination, rowTaps);
}
