#pragma once

#include <QObject>
#include <QPointF>
#include <functional>
#include <optional>

class QLabel;
class TCoordinates;
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

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    // Shows the position of the map under viewPoint (view pixels), or nothing.
    void ShowAt(std::optional<QPointF> viewPoint);

    TViewImage &FView;
    QLabel &FStatusLine;
    std::function<const TCoordinates *()> FCoordinates;
};
