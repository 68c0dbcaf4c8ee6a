#include "resources/viewer_art/road_scene.h"

#include <QPainter>
#include <QPainterPath>
#include <QPen>

namespace {
// A quadratic curve from a foot of the road to the horizon.
QPainterPath CurveToHorizon(QPointF foot, QPointF bend, QPointF horizon)
{
    QPainterPath curve(foot);
    curve.quadTo(bend, horizon);
    return curve;
}
} // namespace

void DrawRoad(QPainter &painter, const TRoadShape &road)
{
    QPainterPath band(road.LeftFoot);
    band.quadTo(road.LeftBend, road.Horizon);
    band.quadTo(road.RightBend, road.RightFoot);
    band.closeSubpath();
    painter.fillPath(band, QColor(0x4A, 0x4A, 0x50));
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0xEE, 0xEE, 0xEE), road.EdgeWidth));
    painter.drawPath(CurveToHorizon(road.LeftFoot, road.LeftBend, road.Horizon));
    painter.drawPath(CurveToHorizon(road.RightFoot, road.RightBend, road.Horizon));
    QPen centreLine(QColor(0xF5, 0xD0, 0x2A), road.CentreWidth);
    centreLine.setDashPattern({3, 2});
    painter.setPen(centreLine);
    painter.drawPath(CurveToHorizon(road.MiddleFoot, road.MiddleBend, road.Horizon));
}
