#pragma once

#include <QObject>
#include <QPoint>

class QKeyEvent;
class QWheelEvent;
class TformTovralMain;
class TViewImage;

// Mouse and keyboard navigation over the map view, as users of map viewers expect it:
// - the wheel zooms one entry of the zoom box per notch, keeping the map point under the
//   pointer where it is (touchpads' smooth scrolling adds up to whole notches);
// - dragging with the left button moves the map with the pointer: the last picture is shown
//   shifted while the button is held and the view is drawn once on release (Escape drops
//   the drag);
// - with the view focused (by a click or by Tab), the arrow keys pan as the matching pan
//   buttons do, + and - zoom as the wheel does at the view's middle, and Home selects "Mapa
//   Inteiro";
// - Escape gives the focus back to the search box, its text selected; during a drag the first
//   Escape only drops the drag, and the view keeps the focus.
// Every change goes through the window's own handlers (the zoom box's entry and cZoomChange,
// the pan buttons), so the zoom box always shows the entry in use. Nothing starts before a
// state is shown or while the window is disabled (a redraw, a load or an output running).
//
// It watches the view's events as a filter, lives as long as the view (its child) and gives
// the view its hand cursor.
class TMapNavigation : public QObject {
public:
    TMapNavigation(TformTovralMain &window, TViewImage &view);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // A state is shown and the window takes input.
    bool Accepting() const;

    void WheelTurned(const QWheelEvent &event);
    // Steps the zoom entry notches times (in when positive, out when negative) and redraws
    // with the map point under viewPoint kept there.
    void ZoomAround(int notches, QPoint viewPoint);
    // Selects a zoom entry and redraws.
    void SelectZoom(int zoomIndex);
    bool KeyPressed(const QKeyEvent &event);

    void StartDrag(QPoint pointer);
    void MoveDrag(QPoint pointer);
    // Ends the drag; with apply the view is redrawn at the dragged centre, without it the
    // drag is dropped and the view stays as it was.
    void EndDrag(bool apply);

    TformTovralMain &FWindow;
    TViewImage &FView;
    int FWheelAngle = 0; // wheel turn, in eighths of a degree, not yet taken as whole notches
    bool FDragging = false;
    QPoint FDragStartPointer;  // view pixels
    QPoint FDragStartCenter;   // full-map pixels
    QPoint FDragCenter;        // the centre the drag has reached, full-map pixels
};
