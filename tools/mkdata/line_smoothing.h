#pragma once

// The outlines and rivers of the geodata are polylines whose vertices lie a few kilometres
// apart; drawn straight from vertex to vertex they look angular once a kilometre spans
// several pixels. SmoothLine draws a smooth curve through the same vertices instead.

#include <QPolygonF>

// A curve through every vertex of line (in pixels), sampled every few pixels. A line whose
// last vertex repeats its first is smoothed as a closed ring; an open line keeps its ends.
// A sharp turn (more than a right angle) stays a corner. The result is the same curve, in
// reverse, for the reversed line, so two outlines that share a border share its curve.
QPolygonF SmoothLine(const QPolygonF &line);
