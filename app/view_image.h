#pragma once

#include <QWidget>
#include <memory>
#include <optional>
#include <vector>

#include "app/view_bitmap.h"
#include "app/view_overlay.h"

// The picture control of the map view: shows the view bitmap at its top-left corner, never
// stretched (a bitmap of device pixels, marked with its ratio, shows one pixel per device
// pixel). The map window renders into Bitmap() and calls update(). While the map is being
// dragged the bitmap is shown shifted, so that it follows the pointer without being drawn
// again. Over the bitmap it paints its overlays, in the order they were added, for the
// geometry the window gives it.
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

    // Where the map lies in the bitmap (its shift is the image's own); nothing before a map
    // is drawn, or while the state changes. Overlays are painted only with a geometry. Not
    // repainted here: the bitmap is drawn for the geometry next, and shown when done.
    void SetGeometry(const std::optional<TViewGeometry> &geometry);
    std::optional<TViewGeometry> Geometry() const;
    void AddOverlay(std::unique_ptr<TViewOverlay> overlay);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    TViewBitmap FBitmap;
    QPoint FShift;
    std::optional<TViewGeometry> FGeometry;
    std::vector<std::unique_ptr<TViewOverlay>> FOverlays;
};
