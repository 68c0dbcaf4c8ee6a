#pragma once

// Everything drawn on one of a state's two maps, laid out once in that map's pixels: areas,
// water, boundaries, roads, town symbols, names, road shields, the title block and, for
// Pernambuco, the inset of Fernando de Noronha. The picture is then drawn band by band. The
// light map is laid out anew at its own scale (names, shields and their collisions), not
// reduced from the full map.

#include <QFont>
#include <QImage>
#include <QPainterPath>
#include <QString>
#include <vector>

#include "mapdata/coordinates.h"
#include "resources/symbols/map_symbols.h"
#include "tools/mkdata/boundaries.h"
#include "tools/mkdata/geodata.h"
#include "tools/mkdata/projection.h"

class TCollisionGrid;

// The municipality the viewer's locator places at a fixed position instead of its own
// (kNoronhaFixedLongitude, kNoronhaFixedLatitude).
extern const QString kNoronhaName;

struct TTownMark {
    QString Name;
    QPointF Pixel; // centre of the symbol, from the catalogue coordinates
    MapStyle::TTownClass Class = MapStyle::TTownClass::Under5k;
    bool Capital = false;
    bool OwnState = false;
    QString UF;
    long long Population = 0;
    qreal Radius = 0; // symbol or capital-area radius
};

struct TLabelMark {
    QPointF Baseline;
    QString Text;
    QFont Font;
    QColor Colour;
    QRectF Box;
};

struct TShieldMark {
    QPointF Centre;
    QString Text;
    MapStyle::TShieldKind Kind;
    QRectF Box;
};

struct TAreaItem {
    QPainterPath Path;
    QRectF Bounds;
};

struct TLineItem {
    QPolygonF Line;
    QRectF Bounds;
    int Importance = 0;
    MapStyle::TRoadClass RoadClass = MapStyle::TRoadClass::Federal;
    bool Foreign = false; // a road of another state: drawn fainter
};

struct TInset {
    QRectF Frame;
    QString Title;
    std::vector<TAreaItem> Land;
    TTownMark Town;
    TLabelMark Label;
};

class TStateScene {
public:
    // The state's area must exist in data; boundaries come from ClassifyBoundaries(data).
    // megaPixels: the full map's size; 0 chooses it from the size of the state. The light map
    // has the full map's extent at the light ratio (LightProjection).
    TStateScene(const TGeodata &data, const std::vector<TBorderRun> &boundaries, const QString &uf,
                double megaPixels = 0, MapStyle::TMapScale map = MapStyle::TMapScale::Full);

    const TProjection &Projection() const { return FProjection; }
    MapStyle::TMapScale Map() const { return FMap; }
    const QString &UF() const { return FUF; }
    // The state's own municipalities, as drawn (the Noronha seat is in the inset instead).
    const std::vector<TTownMark> &Towns() const { return FTowns; }
    const std::vector<TLabelMark> &Labels() const { return FLabels; }
    const std::vector<TShieldMark> &Shields() const { return FShields; }
    const std::vector<TLabelMark> &AreaNames() const { return FAreaNames; }
    bool HasInset() const { return FHasInset; }
    const TInset &Inset() const { return FInset; }
    const QRectF &TitleFrame() const { return FTitleFrame; }

    // Draws the rows [top, top + band.height()) of the map into band (full width).
    void DrawBand(QImage &band, int top) const;

private:
    void ChooseExtent(const TGeodata &data);
    void CollectAreas(const TGeodata &data);
    void CollectLines(const TGeodata &data, const std::vector<TBorderRun> &boundaries);
    void CollectTowns(const TGeodata &data);
    void PlaceTitle(const TGeodata &data);
    void BuildInset(const TGeodata &data);
    void PlaceNamesAndShields(const TGeodata &data);
    void PlaceAreaNames(const TGeodata &data, TCollisionGrid &taken);
    void Draw(QPainter &painter, const QRectF &visible) const;
    void DrawStateEdge(QPainter &painter, const QRectF &visible) const;
    void DrawTitle(QPainter &painter) const;
    void DrawInset(QPainter &painter) const;

    QString FUF;
    MapStyle::TMapScale FMap;
    QRectF FExtent; // longitude x, latitude y
    TProjection FProjection;
    std::vector<TAreaItem> FCountries, FOtherStates, FLakes;
    QPainterPath FCountryLand;
    TAreaItem FState;
    std::vector<TLineItem> FCoast, FRivers, FInterstate, FInternational, FRoads;
    std::vector<TTownMark> FTowns, FNeighbourTowns;
    std::vector<TLabelMark> FLabels;
    std::vector<TLabelMark> FAreaNames; // neighbouring states and countries
    std::vector<TShieldMark> FShields;
    QString FStateName;
    QRectF FTitleFrame;
    qreal FTitleScale = 1; // the title block grows with the map so that the overview shows it
    long double FScaleBarKm = 0;
    bool FHasInset = false;
    TInset FInset;
};
