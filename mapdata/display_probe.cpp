#include "mapdata/display_probe.h"

#include <QScreen>

double PowerOfTwo(int n)
{
    if (n <= 0)
        return 1.0;
    return 2.0 * PowerOfTwo(n - 1);
}

double ColorCountForDepth(int bitsPerPixel)
{
    // Below 16 colours a display is palette-based; such displays are reported as the
    // 256-entry palette they use, which the start-up check refuses as well.
    static constexpr double kPaletteColors = 256.0;
    const double colors = PowerOfTwo(bitsPerPixel);
    return colors < 16.0 ? kPaletteColors : colors;
}

double DisplayColorCount(const QScreen *screen)
{
    // Without a screen (an offscreen run) the display counts as true colour.
    static constexpr int kAssumedDepth = 24;
    return ColorCountForDepth(screen ? screen->depth() : kAssumedDepth);
}
