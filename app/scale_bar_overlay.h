#pragma once

#include <QChar>
#include <QImage>
#include <optional>

#include "app/view_overlay.h"

// The scale bar in the bottom-left corner of the map view: a round length of 60 to 150 view
// pixels, true at the view's centre, on a translucent plate. It stays in its corner while
// the map is dragged, with the scale of the view that is shown, and is hidden where the
// view's centre lies outside the reference grid.
class TScaleBarOverlay : public TViewOverlay {
public:
    // decimalSeparator writes lengths below 1 km.
    explicit TScaleBarOverlay(QChar decimalSeparator) : FDecimalSeparator(decimalSeparator) {}

    // Kilometres of the ground per full-map pixel at the view's centre, or nothing.
    void SetGroundScale(std::optional<long double> kmPerFullMapPixel) { FKmPerFullMapPixel = kmPerFullMapPixel; }

    void Paint(QPainter &painter, const TViewGeometry &geometry) const override;

private:
    QChar FDecimalSeparator;
    std::optional<long double> FKmPerFullMapPixel;
    // The bar as last painted, kept while its length, its text and the device ratio stay:
    // the view is repainted at every step of a drag.
    mutable QImage FPicture;
    mutable long double FPictureKm = 0, FPictureLength = 0;
};
