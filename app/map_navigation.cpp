#include "app/map_navigation.h"

#include <QComboBox>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

#include "app/error_report.h"
#include "app/form_style.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/view_math.h"

namespace {
// One notch of a mouse wheel, in eighths of a degree.
constexpr int kWheelNotch = 120;
} // namespace

TMapNavigation::TMapNavigation(TformTovralMain &window, TViewImage &view)
    : QObject(&view), FWindow(window), FView(view)
{
    FView.setCursor(HandCursor());
    FView.installEventFilter(this);
}

bool TMapNavigation::Accepting() const
{
    return FWindow.Ready() && FWindow.isEnabled() && FWindow.View() && FWindow.View()->Shown();
}

bool TMapNavigation::eventFilter(QObject *watched, QEvent *event)
{
    // An event whose handling failed counts as taken: the view does not act on it again.
    return RunReported(&FWindow, true, [&] {
        if (watched != &FView)
            return false;
        switch (event->type()) {
        case QEvent::Wheel:
            if (!FDragging && Accepting())
                WheelTurned(*static_cast<QWheelEvent *>(event));
            return true;
        case QEvent::MouseButtonPress: {
            const auto &mouse = *static_cast<QMouseEvent *>(event);
            if (mouse.button() == Qt::LeftButton && !FDragging && Accepting())
                StartDrag(mouse.position().toPoint());
            return true;
        }
        case QEvent::MouseMove: {
            const auto &mouse = *static_cast<QMouseEvent *>(event);
            if (!FDragging)
                return false;
            // A release that never arrived (the grab was lost) ends the drag where it is.
            if (!(mouse.buttons() & Qt::LeftButton))
                EndDrag(Accepting());
            else
                MoveDrag(mouse.position().toPoint());
            return true;
        }
        case QEvent::MouseButtonRelease: {
            const auto &mouse = *static_cast<QMouseEvent *>(event);
            if (FDragging && mouse.button() == Qt::LeftButton) {
                MoveDrag(mouse.position().toPoint());
                EndDrag(Accepting());
            }
            return true;
        }
        case QEvent::KeyPress: {
            const auto &key = *static_cast<QKeyEvent *>(event);
            if (FDragging) {
                // Escape drops the drag; other keys wait until the map is let go.
                if (key.key() == Qt::Key_Escape)
                    EndDrag(false);
                return true;
            }
            if (key.key() == Qt::Key_Escape && key.modifiers() == Qt::NoModifier) {
                FWindow.FocusCitySearch();
                return true;
            }
            return Accepting() && KeyPressed(key);
        }
        default:
            return false;
        }
    });
}

// --- Wheel and keys -------------------------------------------------------------------------

void TMapNavigation::WheelTurned(const QWheelEvent &event)
{
    const int angle = event.angleDelta().y();
    // A turn the other way starts afresh, so a touchpad's reversal answers at once.
    if ((angle > 0 && FWheelAngle < 0) || (angle < 0 && FWheelAngle > 0))
        FWheelAngle = 0;
    FWheelAngle += angle;
    const int notches = FWheelAngle / kWheelNotch;
    FWheelAngle -= notches * kWheelNotch;
    if (notches != 0)
        ZoomAround(notches, event.position().toPoint());
}

void TMapNavigation::ZoomAround(int notches, QPoint viewPoint)
{
    TMapView &view = *FWindow.View();
    const int zoom = view.SteppedZoomIndex(notches);
    if (zoom == view.ZoomIndex())
        return;
    view.KeepPointForZoom(zoom, viewPoint);
    SelectZoom(zoom);
}

void TMapNavigation::SelectZoom(int zoomIndex)
{
    FWindow.cZoom->setCurrentIndex(zoomIndex);
    FWindow.cZoomChange();
}

bool TMapNavigation::KeyPressed(const QKeyEvent &event)
{
    const QPoint middle(FView.width() / 2, FView.height() / 2);
    switch (event.key()) {
    case Qt::Key_Left:
        FWindow.SpeedButton2Click();
        return true;
    case Qt::Key_Right:
        FWindow.SpeedButton1Click();
        return true;
    case Qt::Key_Up:
        FWindow.bTClick();
        return true;
    case Qt::Key_Down:
        FWindow.SpeedButton5Click();
        return true;
    case Qt::Key_Plus:
    case Qt::Key_Equal: // the + key without Shift
        ZoomAround(+1, middle);
        return true;
    case Qt::Key_Minus:
        ZoomAround(-1, middle);
        return true;
    case Qt::Key_Home:
        SelectZoom(kWholeMapZoomIndex);
        return true;
    default:
        return false;
    }
}

// --- Dragging -------------------------------------------------------------------------------

void TMapNavigation::StartDrag(QPoint pointer)
{
    FDragging = true;
    FDragStartPointer = pointer;
    FDragStartCenter = FWindow.View()->Center();
    FDragCenter = FDragStartCenter;
    FView.setFocus(Qt::MouseFocusReason);
    FView.setCursor(ClosedHandCursor());
}

void TMapNavigation::MoveDrag(QPoint pointer)
{
    const TMapView &view = *FWindow.View();
    FDragCenter = view.DraggedCentre(FDragStartCenter, pointer - FDragStartPointer);
    FView.ShowShifted(view.PictureShift(FDragStartCenter, FDragCenter));
}

void TMapNavigation::EndDrag(bool apply)
{
    FDragging = false;
    FView.setCursor(HandCursor());
    FView.ShowShifted(QPoint(0, 0));
    if (!apply || FDragCenter == FWindow.View()->Center())
        return;
    FWindow.View()->CentreOn(FDragCenter);
    FWindow.cZoomChange();
}
