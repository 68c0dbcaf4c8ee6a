#include "app/view_image.h"

#include <QPaintEvent>
#include <QPainter>
#include <QRegion>

#include "app/accessible_graphic.h"
#include "app/error_report.h"

TViewImage::TViewImage(QWidget *parent) : QWidget(parent)
{
    ShowAsGraphic(staticMetaObject);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setFocusPolicy(Qt::StrongFocus);
}

void TViewImage::paintEvent(QPaintEvent *event)
{
    PaintReported(this, [&] {
        QPainter painter(this);
        // Outside the bitmap (before the first redraw, while a larger size waits for its
        // redraw, or where a drag has moved it away) the panel's white shows.
        // The bitmap holds its device pixel ratio: drawn at its size in view pixels, each of
        // its pixels is one device pixel of the screen.
        const QRect shown = QRectF(FShift, FBitmap.Pixels().deviceIndependentSize()).toAlignedRect();
        for (const QRect &uncovered : QRegion(event->rect()).subtracted(shown))
            painter.fillRect(uncovered, Qt::white);
        FBitmap.Paint(painter, FShift);
        if (const std::optional<TViewGeometry> geometry = Geometry())
            for (const std::unique_ptr<TViewOverlay> &overlay : FOverlays)
                overlay->Paint(painter, *geometry);
        if (hasFocus()) {
            const QRect inside = rect().adjusted(kFocusFrameWidth, kFocusFrameWidth, -kFocusFrameWidth,
                                                 -kFocusFrameWidth);
            for (const QRect &edge : QRegion(rect()).subtracted(inside))
                painter.fillRect(edge, palette().color(QPalette::Highlight));
        }
    });
}

QString TViewImage::SpokenText(QAccessible::Text kind) const
{
    if (!FSpeech)
        return QString();
    try {
        const TSpeech speech = FSpeech();
        return kind == QAccessible::Name ? speech.Name : speech.Description;
    } catch (...) {
        return QString(); // a question from assistive technology is no place for an error report
    }
}

void TViewImage::AnnounceSpeech()
{
    if (!FSpeech || !QAccessible::isActive())
        return;
    const TSpeech speech = FSpeech();
    if (speech.Name == FAnnouncedName)
        return;
    FAnnouncedName = speech.Name;
    for (const QAccessible::Event change : {QAccessible::NameChanged, QAccessible::DescriptionChanged}) {
        QAccessibleEvent event(this, change);
        QAccessible::updateAccessibility(&event);
    }
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
