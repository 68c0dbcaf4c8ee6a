#pragma once

// The one description of how the road maps look: colours, line styles, point symbols and
// road shields. The sample maps are drawn with these functions and the legend pages picture
// the same functions, so a symbol in the legend is exactly the symbol on the map.
// All sizes are in pixels of the picture being drawn.

#include <QColor>
#include <QFont>
#include <QPainterPath>
#include <QPen>
#include <QPointF>
#include <QPolygonF>
#include <QRectF>
#include <QString>

class QPainter;

namespace MapStyle {

// Which of a state's two pictures is drawn: the full map, or the light map drawn at a smaller
// scale for the overview zoom levels. The light map uses the same symbols with larger names
// and shield numbers (so that they stay legible there) and thinner state roads (so that the
// federal network stands out); the legend says so.
enum class TMapScale { Full, Light };

// Area colours.
QColor Sea();            // page ground outside all land
QColor ForeignLand();    // neighbouring countries
QColor OtherStateLand(); // neighbouring states of Brazil
QColor StateLand();      // the state the map is about
QColor StateEdge();      // band along the inside of the state's land borders on the light map
QColor CapitalArea();    // the capital's filled area
QColor LakeFill();
// Line colours.
QColor Water();
QColor Federal();  // federal highways
QColor StateRoad(); // state highways
QColor Ink();      // boundaries, towns, names

// Hierarchy of towns by population (the capital is drawn as an area, see DrawCapitalArea).
enum class TTownClass { Over500k, From100kTo500k, From25kTo100k, From5kTo25k, Under5k };
TTownClass TownClassOf(long long population);
// The weight of a town's symbol: 0 for the smallest class up to 4 for the largest, and
// kCapitalTownRank for the state capital, whose symbol outweighs every class. The city
// catalogue records it for ranking search results.
constexpr int kCapitalTownRank = 5;
int TownRank(TTownClass townClass, bool capital);
// Radius of the town symbol: labels keep clear of the circle of this radius.
qreal TownSymbolRadius(TTownClass townClass);
void DrawTownSymbol(QPainter &painter, QPointF centre, TTownClass townClass);
// The capital: a yellow filled area of the given radius with an ink outline and a dot.
void DrawCapitalArea(QPainter &painter, QPointF centre, qreal radius);
// Other localities and a municipality seat (legend only for now).
void DrawLocality(QPainter &painter, QPointF centre);
void DrawMunicipalSeat(QPainter &painter, QPointF centre);

// Name fonts, from the capital down to the smallest towns; the capital and large towns are
// bold and larger.
QFont CapitalNameFont(TMapScale map = TMapScale::Full);
QFont TownNameFont(TTownClass townClass, TMapScale map = TMapScale::Full);
QFont TitleFont(qreal pixelSize);
QFont CaptionFont(qreal pixelSize = 9, bool bold = false);
// Names of neighbouring states and countries: large, spaced capitals in a light grey.
QFont AreaNameFont(qreal pixelSize = 26);
QColor AreaNameColour();
// Draws text with a thin white halo so that it stays legible over roads and rivers.
// baseline: the left end of the text's baseline.
void DrawHaloText(QPainter &painter, QPointF baseline, const QString &text, const QFont &font,
                  QColor colour);

// Road classes and the states of a road that the legend lists.
enum class TRoadClass { Federal, State };
enum class TRoadState {
    Duplicated, BeingDuplicated, Paved, BeingPaved, Built, BeingBuilt, NaturalBed, Planned,
    Conceded
};
// Draws a road along a polyline. The maps draw every road as Paved: the geodata carries no
// surface or status.
void DrawRoad(QPainter &painter, const QPolygonF &line, TRoadClass roadClass,
              TRoadState state = TRoadState::Paved, TMapScale map = TMapScale::Full);
// The white casing under roads, drawn first for every road so that crossings stay clean.
void DrawRoadCasing(QPainter &painter, const QPolygonF &line, TRoadClass roadClass,
                    TMapScale map = TMapScale::Full);
void DrawRailway(QPainter &painter, const QPolygonF &line);

// Road shields. Federal: a white shield with a magenta border and the number ("116").
// State: a green plate with white text ("SP-330"). Transitory state highway: a green-bordered
// white plate.
enum class TShieldKind { Federal, State, TransitoryState };
// The number shown on the shield for a road reference ("BR-116" -> "116"; state roads keep
// their whole reference).
QString ShieldText(const QString &reference, TShieldKind kind);
QRectF ShieldRect(QPointF centre, const QString &text, TShieldKind kind, TMapScale map = TMapScale::Full);
void DrawShield(QPainter &painter, QPointF centre, const QString &text, TShieldKind kind,
                TMapScale map = TMapScale::Full);

// Boundaries (ink) and water.
enum class TBoundaryKind { International, Interstate, InterstateDisputed, Intermunicipal };
QPen BoundaryPen(TBoundaryKind kind);
void DrawBoundary(QPainter &painter, const QPolygonF &line, TBoundaryKind kind);
// Coastline and lake shores.
QPen ShorePen();
// A watercourse; width grows with importance (0 = most important, 10 = least).
void DrawRiver(QPainter &painter, const QPolygonF &line, int importance, bool intermittent = false);
void DrawLake(QPainter &painter, const QPainterPath &area, bool intermittent = false);
void DrawFloodedArea(QPainter &painter, const QRectF &area);
void DrawSaltFlat(QPainter &painter, const QRectF &area);
void DrawReef(QPainter &painter, const QRectF &area);
void DrawDam(QPainter &painter, QPointF from, QPointF to);
void DrawParkArea(QPainter &painter, const QRectF &area);

// Point symbols of the legend (most are not yet on the maps: the geodata has no such layer).
enum class TPointSymbol {
    PartialDistance, DistrictOffice, TollPlaza, PolicePost, WeighingStation, Aerodrome,
    LandingStrip, SpotHeight, Port, Lighthouse, BorderMarker
};
// colour: the road class colour for road symbols, Ink() for reference points.
void DrawPointSymbol(QPainter &painter, QPointF centre, TPointSymbol symbol, QColor colour);

} // namespace MapStyle
