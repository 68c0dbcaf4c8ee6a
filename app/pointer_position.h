#pragma once

#include <QObject>
#include <QPointF>
#include <functional>
#include <QString>
#include <optional>

#include "mapdata/coordinates.h"

class QLabel;
class TViewImage;

// The pointer's position in a status line: while the pointer is over the map view, the
// position of the map under it, in degrees, minutes and seconds (23°32'51" S  46°38'10" W,
// the latitude over the longitude where the line is too narrow for one line);
// nothing when it leaves the view, when no map is shown or where the point lies outside the
// reference grid. It follows the map while it is dragged under the pointer, and after a
// redraw that moved the map. It watches the view's events as a filter and lives as long as
// the view (its child).
class TPointerPosition : public QObject {
public:
    // coordinates gives the current state's reference points, or nullptr.
    TPointerPosition(TViewImage &view, QLabel &statusLine, std::function<const TCoordinates *()> coordinates);

    // The map has been drawn anew: shows the position now under the pointer.
    void Refresh();
    // Another state's points are being loaded: nothing found before holds.
    void Forget();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows the position of the map under viewPoint (view pixels), or nothing.
    void ShowAt(std::optional<QPointF> viewPoint);

    TViewImage &FView;
    QLabel &FStatusLine;
    std::function<const TCoordinates *()> FCoordinates;
    // The full-map point last shown and its text, until another state is loaded: while the
    // map is dragged, or drawn anew where it was, the point under the pointer stays the same.
    std::optional<TMapPoint> FShownPoint;
    QString FShownText;
    // The last position found, where the next search starts (the pointer moves a little).
    std::optional<TNearbyPosition> FLastFound;
};
