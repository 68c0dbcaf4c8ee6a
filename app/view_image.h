#pragma once

#include <QWidget>

#include "app/view_bitmap.h"

// The picture control of the map view: shows the view bitmap at its top-left corner, never
// stretched (a bitmap of device pixels, marked with its ratio, shows one pixel per device
// pixel). The map window renders into Bitmap() and calls update(). While the map is being
// dragged the bitmap is shown shifted, so that it follows the pointer without being drawn
// again.
//
// It takes the keyboard focus by Tab as well as by a click, and shows a frame along its edges
// while it has it (a focus change repaints the widget), painted over the bitmap, never into
// it, so that copying, saving and printing do not see it. To assistive technology it is a
// focusable graphic whose name (its accessibleName, set by the window) says what the map
// shows.
class TViewImage : public QWidget {
    Q_OBJECT

public:
    explicit TViewImage(QWidget *parent);

    TViewBitmap &Bitmap() { return FBitmap; }
    const TViewBitmap &Bitmap() const { return FBitmap; }

    // Shows the bitmap with its top-left corner at shift (view pixels); (0, 0) shows it in
    // place.
    void ShowShifted(QPoint shift);
    QPoint Shift() const { return FShift; }

    // Width of the focus frame, view pixels.
    static constexpr int kFocusFrameWidth = 2;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TViewBitmap FBitmap;
    QPoint FShift;
};
