// The fast passes of a build without vector paths (a processor other than x86-64, or
// TOVRAL_VECTOR_PATHS OFF): the reference passes' loops with every step in double
// (AccumulateTapInDouble). They give the reference's bytes in the processor's own double
// arithmetic, where the reference's long double may be done in software (binary128 on arm64 or
// s390x): several times faster there.
#include "imaging/resample_pixel_loops.h"

bool FastPassesAvailable()
{
    return true;
}

void FastHorizontalPass(const QImage &source, QImage &intermediate, const TTapAxis &columnTaps,
                        TResampleWorkspace &, TRegisterWidth)
{
    ResamplePixelLoops::HorizontalPass<AccumulateTapInDouble>(source, intermediate, columnTaps.Lists);
}

void FastVerticalPass(const QImage &intermediate, QImage &destination, const TTapAxis &rowTaps,
                      TResampleWorkspace &, TRegisterWidth)
{
    ResamplePixelLoops::VerticalPass<AccumulateTapInDouble>(intermediate, destination, rowTaps.Lists);
}
