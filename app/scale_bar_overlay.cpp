#include "app/scale_bar_overlay.h"

#include <QPainter>
#include <cmath>

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
    QPaintDevice &device = *painter.device();
    if (FPicture.isNull() || FPictureKm != bar.Km || FPictureLength != bar.Length ||
        FPicture.devicePixelRatio() != device.devicePixelRatioF()) {
        const TScaleBarPicture picture(bar, FormFont(11), 1, true, FDecimalSeparator, device);
        const qreal ratio = device.devicePixelRatioF();
        FPicture = QImage((picture.Size() * ratio).toSize() + QSize(1, 1), QImage::Format_ARGB32_Premultiplied);
        FPicture.setDevicePixelRatio(ratio);
        FPicture.fill(Qt::transparent);
        QPainter canvas(&FPicture);
        picture.Paint(canvas, QPointF(0, 0));
        FPictureKm = bar.Km;
        FPictureLength = bar.Length;
    }
    // At whole device pixels, so that the picture is copied as drawn.
    const qreal ratio = FPicture.devicePixelRatio();
    const qreal top = geometry.ViewSize.height() - kCornerMargin - FPicture.deviceIndependentSize().height();
    painter.drawImage(QPointF(std::round(kCornerMargin * ratio) / ratio, std::round(top * ratio) / ratio), FPicture);
}
