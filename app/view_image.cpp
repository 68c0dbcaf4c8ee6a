#include "app/view_image.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

TViewImage::TViewImage(QWidget *parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TViewImage::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    // Outside the bitmap (before the first redraw, while a larger size waits for its redraw,
    // or where a drag has moved it away) the panel's white shows.
    // The bitmap holds its device pixel ratio: drawn at its size in view pixels, each of its
    // pixels is one device pixel of the screen.
    const QRect shown = QRectF(FShift, FBitmap.Pixels().deviceIndependentSize()).toAlignedRect();
    for (const QRect &uncovered : QRegion(event->rect()).subtracted(shown))
        painter.fillRect(uncovered, Qt::white);
    FBitmap.Paint(painter, FShift);
    if (const std::optional<TViewGeometry> geometry = Geometry())
        for (const std::unique_ptr<TViewOverlay> &overlay : FOverlays)
            overlay->Paint(painter, *geometry);
}

void TViewImage::SetGeometry(const std::optional<TViewGeometry> &geometry)
{
    FGeometry = geometry;
}

std::optional<TViewGeometry> TViewImage::Geometry() const
{
    std::optional<TViewGeometry> geometry = FGeometry;
    if (geometry)
        geometry->Shift = FShift;
    return geometry;
}

void TViewImage::AddOverlay(std::unique_ptr<TViewOverlay> overlay)
{
    FOverlays.push_back(std::move(overlay));
    update();
}

void TViewImage::ShowShifted(QPoint shift)
{
    if (shift == FShift)
        return;
    FShift = shift;
    update();
}
