#include "app/scale_bar_overlay.h"

#include <QPainter>

#include "app/form_style.h"
#include "mapdata/scale_bar.h"

namespace {
// The longest bar, in view pixels; the shortest is 2.5 times shorter.
constexpr long double kLongestBar = 150;
// Distance from the view's left and bottom edges, view pixels.
constexpr qreal kCornerMargin = 6;
} // namespace

void TScaleBarOverlay::Paint(QPainter &painter, const TViewGeometry &geometry) const
{
    if (!FKmPerFullMapPixel || !(geometry.Scale() > 0))
        return;
    const TScaleBar bar = RoundScaleBar(*FKmPerFullMapPixel / geometry.Scale(), kLongestBar);
    if (bar.Km <= 0)
        return;
    const TScaleBarPicture picture(bar, FormFont(11), 1, true, FDecimalSeparator, *painter.device());
    picture.Paint(painter, QPointF(kCornerMargin, geometry.ViewSize.height() - kCornerMargin - picture.Size().height()));
}
