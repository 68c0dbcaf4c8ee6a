#include "app/pointer_position.h"

#include <QCursor>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include "app/error_report.h"
#include "app/view_image.h"
#include "mapdata/coordinates.h"
#include "mapdata/position_text.h"

TPointerPosition::TPointerPosition(TViewImage &view, QLabel &statusLine,
                                   std::function<const TCoordinates *()> coordinates)
    : QObject(&view), FView(view), FStatusLine(statusLine), FCoordinates(std::move(coordinates))
{
    FView.setMouseTracking(true);
    FView.installEventFilter(this);
}

void TPointerPosition::Refresh()
{
    RunReported(FView.window(), [&] {
        ShowAt(FView.underMouse() ? std::optional<QPointF>(FView.mapFromGlobal(QCursor::pos())) : std::nullopt);
    });
}

void TPointerPosition::Forget()
{
    FShownPoint.reset();
    FShownText.clear();
    FLastFound.reset();
    FStatusLine.clear();
}

bool TPointerPosition::eventFilter(QObject *watched, QEvent *event)
{
    if (watched != &FView)
        return false;
    RunReported(FView.window(), [&] {
        switch (event->type()) {
        case QEvent::MouseMove:
            ShowAt(static_cast<const QMouseEvent *>(event)->position());
            break;
        case QEvent::Leave:
        case QEvent::Hide:
            ShowAt(std::nullopt);
            break;
        default:
            break;
        }
    });
    return false; // the view's navigation takes the same events
}

void TPointerPosition::ShowAt(std::optional<QPointF> viewPoint)
{
    const std::optional<TViewGeometry> geometry = FView.Geometry();
    const TCoordinates *coordinates = FCoordinates();
    if (!viewPoint || !geometry || !coordinates || !FView.rect().contains(viewPoint->toPoint())) {
        FShownPoint.reset();
        FShownText.clear();
    } else if (const TMapPoint point = geometry->ToFullMap(*viewPoint);
               !FShownPoint || FShownPoint->X != point.X || FShownPoint->Y != point.Y) {
        const std::optional<TPixelPosition> found = coordinates->PixelPosition(point, FLastFound);
        if (found)
            FLastFound = TNearbyPosition{point, *found};
        FShownPoint = point;
        FShownText = found ? PositionDmsText(found->Position) : QString();
    }
    QString text = FShownText;
    // Latitude over longitude where the line is too narrow for both side by side.
    if (FStatusLine.fontMetrics().horizontalAdvance(text) > FStatusLine.contentsRect().width())
        text.replace(QStringLiteral("  "), QStringLiteral("\n"));
    if (FStatusLine.text() != text)
        FStatusLine.setText(text);
}
