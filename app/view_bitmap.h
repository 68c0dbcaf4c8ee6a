#pragma once

#include <QImage>
#include <QPoint>
#include <QRegion>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "mapdata/map_image.h"

class QPainter;

// What a view bitmap shows: the map content it was drawn from (its ContentId), with which
// quality, around which centre (pixels of that map) and at which scale (device pixels per
// map pixel), and which drawing of a layer over it (a TBitmapLayer's ContentId; 0 for none).
struct TShownDrawing {
    uint64_t Map = 0;
    TRenderQuality Quality = TRenderQuality::Plain;
    QPoint Center;
    long double Scale = 0;
    uint64_t Layer = 0;
};

// The map view's picture in device pixels, stored wrapped around an origin: the view pixel
// p is kept at (p + Origin()) modulo the size. A pan that repeats most of the last picture
// moves the origin instead of the pixels, and only what changed is drawn.
class TViewBitmap {
public:
    bool IsNull() const { return FPixels.isNull(); }
    // The stored pixels, wrapped, marked with the device pixel ratio.
    const QImage &Pixels() const { return FPixels; }
    QPoint Origin() const { return FOrigin; }
    // What the pixels show: nothing before a drawing has ended, or after a new size.
    const std::optional<TShownDrawing> &Shown() const { return FShown; }

    // The picture as the view shows it, its top-left pixel first, marked with the ratio; it
    // shares the pixels when the origin is (0, 0).
    QImage Picture() const;
    // Draws the picture with its top-left corner at topLeft (the painter's logical pixels,
    // on a device of the bitmap's ratio), one stored pixel on each device pixel.
    void Paint(QPainter &painter, QPointF topLeft) const;

    // Makes the pixels size (device pixels, Format_RGB32), marked with ratio. Pixels of the
    // same size are kept, with their origin and what they show; new ones show nothing.
    void Resize(QSize size, qreal ratio);
    // Moves the origin so that the view pixel p shows what p + shift showed.
    void Scroll(QPoint shift);
    // Lets draw paint area (device pixels of the view) once for each part of it stored in
    // one piece: draw gets a canvas on the pixels, clipped to that part, and where the view's
    // pixel (0, 0) falls on it. What the pixels show is forgotten until SetShown.
    void Draw(const QRegion &area, const std::function<void(QPainter &canvas, QPoint viewOrigin)> &draw);
    // Lets compose change the pixels of area (device pixels of the view) in place, once for
    // each rectangle of it stored in one piece: compose gets the stored pixels, without their
    // ratio, the rectangle and where the view's pixel (0, 0) falls on them.
    void Compose(const QRegion &area,
                 const std::function<void(QImage &pixels, const QRect &rect, QPoint viewOrigin)> &compose);
    void SetShown(const TShownDrawing &shown) { FShown = shown; }
    // Forgets what the pixels show, so that the next drawing draws them all.
    void Forget() { FShown.reset(); }

private:
    // The stored rectangles of the picture, each with where it shows in the view (device
    // pixels): one when the origin is (0, 0), up to four otherwise.
    struct TPart {
        QRect Stored;
        QPoint InView;
    };
    std::vector<TPart> Parts() const;
    // The stored pixels of rect, sharing them, without a ratio.
    QImage StoredPart(const QRect &rect) const;
    // All the stored pixels, shared for changing them, without a ratio.
    QImage DevicePixels();

    QImage FPixels;
    QPoint FOrigin;
    std::optional<TShownDrawing> FShown;
};
