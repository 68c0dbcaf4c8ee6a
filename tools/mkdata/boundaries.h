#pragma once

// The state outlines split into the lines a road map draws differently: borders between two
// states, national borders with a neighbouring country, and coastline.

#include <QPolygonF>
#include <QString>
#include <vector>

#include "tools/mkdata/geodata.h"

enum class TBorderKind { Interstate, International, Coast };

// A stretch of one state's outline of one kind. For an interstate stretch, Neighbour is the
// state on the other side.
struct TBorderRun {
    QPolygonF Line;
    TBorderKind Kind = TBorderKind::Coast;
    QString UF;
    QString Neighbour;
};

// Each edge of each state outline is classified by what lies just outside it: another state,
// a neighbouring country (within a few kilometres: the country outlines are coarser than the
// state mesh) or the sea.
std::vector<TBorderRun> ClassifyBoundaries(const TGeodata &data);

// Whether a state's map draws a run: all of its own outline; of two neighbours' shared
// border, the side of the state that comes first, so the border is drawn once.
bool DrawnOnMapOf(const TBorderRun &run, const QString &uf);
