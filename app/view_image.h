#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/accessible_graphic.h"
#include "app/view_bitmap.h"
#include "app/view_overlay.h"

// The picture control of the map view: shows the view bitmap at its top-left corner, never
// stretched (a bitmap of device pixels, marked with its ratio, shows one pixel per device
// pixel). The map window renders into Bitmap() and calls update(). While the map is being
// dragged the bitmap is shown shifted, so that it follows the pointer without being drawn
// again. Over the bitmap it paints its overlays, in the order they were added, for the
// geometry the window gives it.
//
// It takes the keyboard focus by Tab as well as by a click, and shows a frame along its edges
// while it has it (a focus change repaints the widget), painted over the bitmap and the
// overlays, never into the bitmap, so that copying, saving and printing do not see it. To
// assistive technology it is a focusable graphic whose name says what the map shows: worked
// out by the window when assistive technology reads it, which costs nothing while none does.
class TViewImage : public QWidget, public TSpokenGraphic {
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

    // What the view says of itself to assistive technology.
    struct TSpeech {
        QString Name;
        QString Description;
    };
    // speech works out what the view says now; it is asked when assistive technology reads
    // the view or, while some listens, by AnnounceSpeech. Without it the view says its
    // accessibleName and accessibleDescription.
    void SetSpeech(std::function<TSpeech()> speech) { FSpeech = std::move(speech); }
    // Tells assistive technology that listens (a screen reader) that the view's name has
    // changed, when it differs from the one told last; run after every redraw. Nothing is
    // worked out while none listens.
    void AnnounceSpeech();
    QString SpokenText(QAccessible::Text kind) const override;

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
    std::function<TSpeech()> FSpeech;
    QString FAnnouncedName; // the name assistive technology was told last
    std::optional<TViewGeometry> FGeometry;
    std::vector<std::unique_ptr<TViewOverlay>> FOverlays;
};
