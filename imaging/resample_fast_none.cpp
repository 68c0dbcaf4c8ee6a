// The fast passes of a build without vector paths (a processor other than x86-64, or
// TOVRAL_VECTOR_PATHS OFF): never available, so the resampler runs the reference passes, which
// define the bytes. Called all the same, they are the reference passes.
#include "imaging/resample_passes.h"

bool FastPassesAvailable()
{
    return false;
}

void FastHorizontalPass(const QImage &source, QImage &intermediate, const TTapAxis &columnTaps,
                        TResampleWorkspace &, TRegisterWidth)
{
    ReferenceHorizontalPass(source, intermediate, columnTaps.Lists);
}

void FastVerticalPass(const QImage &intermediate, QImage &destination, const TTapAxis &rowTaps,
                      TResampleWorkspace &, TRegisterWidth)
{
    ReferenceVerticalPass(intermediate, destination, rowTaps.Lists);
}
