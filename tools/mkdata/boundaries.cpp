#include "tools/mkdata/boundaries.h"

#include <QImage>
#include <QLineF>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

namespace {

// A coarse raster of longitude and latitude over Brazil and its neighbours: 0 for sea, the
// index + 1 of a state, or kCountry for foreign land.
class TLandRaster {
public:
    static constexpr int kCountry = 255;

    explicit TLandRaster(const TGeodata &data)
        : FImage(int((kEast - kWest) / kCell), int((kNorth - kSouth) / kCell), QImage::Format_Grayscale8)
    {
        FImage.fill(0);
        QPainter painter(&FImage);
        painter.scale(1 / kCell, -1 / kCell);
        painter.translate(-kWest, -kNorth);
        // Foreign land, widened so that a border river or a coarse outline still touches it.
        QPainterPath countries;
        for (const TCountry &country : data.Countries)
            for (const TPolygon &part : country.Parts)
                for (const QPolygonF &ring : part)
                    countries.addPolygon(ring);
        painter.setBrush(QColor(kCountry, kCountry, kCountry));
        painter.setPen(QPen(QColor(kCountry, kCountry, kCountry), kCountryReach * 2));
        painter.drawPath(countries);
        painter.setPen(Qt::NoPen);
        for (size_t i = 0; i < data.States.size(); ++i) {
            QPainterPath state;
            state.setFillRule(Qt::OddEvenFill);
            for (const TPolygon &part : data.States[i].Parts)
                for (const QPolygonF &ring : part)
                    state.addPolygon(ring);
            painter.setBrush(QColor(int(i + 1), int(i + 1), int(i + 1)));
            painter.drawPath(state);
        }
    }

    int At(QPointF lonLat) const
    {
        const int x = int(std::floor((lonLat.x() - kWest) / kCell));
        const int y = int(std::floor((kNorth - lonLat.y()) / kCell));
        if (x < 0 || y < 0 || x >= FImage.width() || y >= FImage.height())
            return 0;
        return FImage.constScanLine(y)[x];
    }

private:
    static constexpr double kWest = -80, kEast = -25, kSouth = -40, kNorth = 10, kCell = 0.01;
    static constexpr double kCountryReach = 0.1; // degrees, about 11 km
    QImage FImage;
};

struct TEdgeClass {
    TBorderKind Kind;
    int Neighbour; // state index + 1 for interstate edges, else 0
    bool operator==(const TEdgeClass &other) const { return Kind == other.Kind && Neighbour == other.Neighbour; }
};

// What lies just outside the edge a-b of state ownId (outside = right of the direction of an
// exterior ring, which runs counter-clockwise; holes run clockwise, so the rule holds there).
TEdgeClass ClassifyEdge(const TLandRaster &land, int ownId, QPointF a, QPointF b)
{
    const QPointF middle = (a + b) / 2;
    const double length = QLineF(a, b).length();
    if (length == 0)
        return {TBorderKind::Coast, 0};
    const QPointF outward((b.y() - a.y()) / length, -(b.x() - a.x()) / length);
    for (double reach : {0.012, 0.025, 0.05}) {
        const int id = land.At(middle + outward * reach);
        if (id == ownId)
            continue;
        if (id == TLandRaster::kCountry)
            return {TBorderKind::International, 0};
        if (id != 0)
            return {TBorderKind::Interstate, id};
        return {TBorderKind::Coast, 0};
    }
    // Still inside the own state: a sliver between two parts of it; treat as coast.
    return {TBorderKind::Coast, 0};
}

} // namespace

std::vector<TBorderRun> ClassifyBoundaries(const TGeodata &data)
{
    const TLandRaster land(data);
    std::vector<TBorderRun> runs;
    for (size_t s = 0; s < data.States.size(); ++s) {
        const TStateArea &state = data.States[s];
        const int ownId = int(s + 1);
        for (const TPolygon &part : state.Parts)
            for (const QPolygonF &ring : part) {
                TBorderRun run;
                TEdgeClass runClass{TBorderKind::Coast, -1};
                auto flush = [&] {
                    if (run.Line.size() >= 2) {
                        run.Kind = runClass.Kind;
                        run.UF = state.UF;
                        run.Neighbour = runClass.Neighbour > 0 ? data.States[size_t(runClass.Neighbour - 1)].UF
                                                               : QString();
                        runs.push_back(run);
                    }
                    run = TBorderRun();
                };
                for (int i = 1; i < ring.size(); ++i) {
                    const TEdgeClass edgeClass = ClassifyEdge(land, ownId, ring[i - 1], ring[i]);
                    if (!(edgeClass == runClass)) {
                        // Runs join up: the new run starts where the last one ended.
                        flush();
                        runClass = edgeClass;
                    }
                    if (run.Line.isEmpty())
                        run.Line << ring[i - 1];
                    run.Line << ring[i];
                }
                flush();
            }
    }
    return runs;
}

bool DrawnOnMapOf(const TBorderRun &run, const QString &uf)
{
    if (run.Kind != TBorderKind::Interstate || run.UF == uf)
        return true;
    return run.Neighbour != uf && run.UF < run.Neighbour;
}
