#pragma once

#include <QPointF>

class QPainter;

// The road of the scene the banners and the menu icon share, in the painter's units: a grey
// band from two feet at the bottom to a point on the horizon, with white edges and a dashed
// yellow centre line. Drawn at build time by the art generators.
struct TRoadShape {
    QPointF Horizon;
    QPointF LeftFoot, LeftBend;     // the left edge: a quadratic curve to the horizon
    QPointF RightFoot, RightBend;   // the right edge
    QPointF MiddleFoot, MiddleBend; // the centre line
    double EdgeWidth = 1;
    double CentreWidth = 1;
};

void DrawRoad(QPainter &painter, const TRoadShape &road);
