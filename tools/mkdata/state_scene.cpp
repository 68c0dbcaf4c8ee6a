#include "tools/mkdata/state_scene.h"

#include <QFontMetricsF>
#include <QPainter>
#include <algorithm>
#include <array>
#include <cmath>
#include <initializer_list>

#include "mapdata/names.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/collision_grid.h"
#include "tools/mkdata/line_smoothing.h"

using namespace MapStyle;

const QString kNoronhaName = QStringLiteral("Fernando de Noronha");

namespace {

// Parts of a state further than this from its largest part (islands far out at sea) are
// left out of the map's extent.
constexpr double kRemotePartDegrees = 2.0;
constexpr double kShieldSpacing = 520; // pixels of road between two shields of one road
constexpr double kPictureMargin = 3;   // labels and shields keep this far from the edges
// A route that ends this many pixels or fewer beyond the edge of a town's symbol ends at the
// town: the geodata's waypoints often stop a little short of the seat's position.
constexpr qreal kRoadSnapReach = 6;
// The light map draws capitals this much larger, so that they still show when it is reduced
// to fit a window.
constexpr qreal kLightCapitalGrowth = 1.25;
// No text on the light map is smaller than this (pixels), so that it reads at 1:1.
constexpr qreal kLightSmallestText = 11;
// The light map shows the neighbouring states' towns from this population up.
constexpr long long kLightNeighbourTownPopulation = 50000;

QPainterPath PathOf(const TProjection &projection, const TPolygon &polygon)
{
    QPainterPath path;
    path.setFillRule(Qt::OddEvenFill);
    for (const QPolygonF &ring : polygon)
        path.addPolygon(SmoothLine(projection.ToPixels(ring))), path.closeSubpath();
    return path;
}

TAreaItem AreaItem(QPainterPath path)
{
    const QRectF bounds = path.boundingRect();
    return {std::move(path), bounds};
}

TLineItem LineItem(const QPolygonF &pixels, int importance = 0, TRoadClass roadClass = TRoadClass::Federal)
{
    return {pixels, pixels.boundingRect(), importance, roadClass};
}

// A smooth line as pieces of at most kPiecePoints vertices (each piece starts where the last
// ended), so that a band draws only the pieces that reach it rather than a whole long river
// or border each time.
constexpr int kPiecePoints = 96;
void AddLinePieces(std::vector<TLineItem> &items, const QPolygonF &pixels, int importance = 0)
{
    for (int start = 0; start + 1 < pixels.size(); start += kPiecePoints - 1)
        items.push_back(LineItem(pixels.mid(start, kPiecePoints), importance));
}

QRectF LargestPartBounds(const TStateArea &area)
{
    QRectF largest;
    for (const TPolygon &part : area.Parts) {
        const QRectF bounds = BoundsOf(part);
        if (bounds.width() * bounds.height() > largest.width() * largest.height())
            largest = bounds;
    }
    return largest;
}

bool IsRemote(const QRectF &partBounds, const QRectF &mainBounds)
{
    return !partBounds.intersects(mainBounds.adjusted(-kRemotePartDegrees, -kRemotePartDegrees,
                                                      kRemotePartDegrees, kRemotePartDegrees));
}

qreal CapitalRadius(long long population)
{
    return 10 + 6 * std::log10(std::max(1.0, population / 200000.0));
}

// The town's position as the catalogue gives it, read back the way the viewer reads it.
QPointF CataloguePosition(const TMunicipality &town)
{
    const long double latitude = ParseDMS(FormatDMS(town.Latitude)).value_or(0);
    const long double longitude = ParseDMS(FormatDMS(town.Longitude)).value_or(0);
    return QPointF(double(longitude), double(latitude));
}

// The picture's area in longitude (x) and latitude (y).
QRectF ViewOf(const TProjection &projection)
{
    return QRectF(double(projection.West), double(projection.Latitude(projection.Height)),
                  double(projection.Width / projection.PixelsPerDegreeX),
                  double(projection.Height / projection.PixelsPerDegreeY));
}

bool Inside(const QRectF &box, const TProjection &projection)
{
    return QRectF(0, 0, projection.Width, projection.Height)
        .adjusted(kPictureMargin, kPictureMargin, -kPictureMargin, -kPictureMargin)
        .contains(box);
}

// Half the side of the square a town symbol reserves against labels.
qreal ReservedHalfSide(const TTownMark &town)
{
    return town.Capital ? town.Radius : town.Radius * 0.8 + 0.5;
}

// Towns ranked by the weight of their symbol: the smallest towns 0, the capital the highest.
constexpr int kTownRanks = kCapitalTownRank + 1;
int TownRank(const TTownMark &town)
{
    return MapStyle::TownRank(town.Class, town.Capital);
}

QRectF SymbolBox(const TTownMark &town)
{
    const qreal half = ReservedHalfSide(town);
    return QRectF(town.Pixel.x() - half, town.Pixel.y() - half, 2 * half, 2 * half);
}

// Candidate label positions around a symbol, best first: right, left, above, below, the four
// diagonals, then right and left a little higher or lower.
std::vector<TLabelMark> LabelCandidates(const TTownMark &town, const QString &text, const QFont &font,
                                        QColor colour)
{
    const QFontMetricsF metrics(font);
    const qreal w = metrics.horizontalAdvance(text), a = metrics.ascent() * 0.8, d = metrics.descent() * 0.6;
    const qreal r = town.Radius + 2, g = ReservedHalfSide(town) + 1.5;
    const qreal cx = town.Pixel.x(), cy = town.Pixel.y();
    const QPointF baselines[] = {
        {cx + r, cy + (a - d) / 2},     {cx - r - w, cy + (a - d) / 2},
        {cx - w / 2, cy - r - d},       {cx - w / 2, cy + r + a},
        {cx + g, cy - g - d},           {cx + g, cy + g + a},
        {cx - g - w, cy - g - d},       {cx - g - w, cy + g + a},
        {cx + r, cy - d},               {cx + r, cy + a},
        {cx - r - w, cy - d},           {cx - r - w, cy + a},
    };
    std::vector<TLabelMark> candidates;
    for (const QPointF &baseline : baselines)
        candidates.push_back({baseline, text, font, colour,
                              QRectF(baseline.x() - 1, baseline.y() - a - 1, w + 2, a + d + 2)});
    return candidates;
}

// The point at distance along a polyline (clamped to its ends).
QPointF PointAlong(const QPolygonF &line, const std::vector<double> &cumulative, double distance)
{
    const auto next = std::lower_bound(cumulative.begin(), cumulative.end(), distance);
    if (next == cumulative.begin())
        return line.front();
    if (next == cumulative.end())
        return line.back();
    const size_t i = size_t(next - cumulative.begin());
    const double span = cumulative[i] - cumulative[i - 1];
    const double t = span > 0 ? (distance - cumulative[i - 1]) / span : 0;
    return line[int(i - 1)] + (line[int(i)] - line[int(i - 1)]) * t;
}

// Moves each end of a route onto the centre of the nearest town whose symbol it stops short of
// (or overshoots) by at most kRoadSnapReach.
void SnapEndsToTowns(QPolygonF &line, std::initializer_list<const std::vector<TTownMark> *> towns)
{
    if (line.size() < 2)
        return;
    for (QPointF *end : {&line.front(), &line.back()}) {
        const TTownMark *nearest = nullptr;
        qreal nearestGap = kRoadSnapReach;
        for (const std::vector<TTownMark> *list : towns)
            for (const TTownMark &town : *list) {
                const qreal gap = QLineF(*end, town.Pixel).length() - town.Radius;
                if (gap <= nearestGap)
                    nearest = &town, nearestGap = gap;
            }
        if (nearest)
            *end = nearest->Pixel;
    }
}

TShieldKind ShieldKindOf(const TRoad &road)
{
    if (road.Kind == TRoadKind::Federal)
        return TShieldKind::Federal;
    // State designations that run over a federal road ("MGC-120") get the transitory plate.
    const QString letters = road.Reference.section(QLatin1Char('-'), 0, 0);
    return letters.size() == 3 && letters.endsWith(QLatin1Char('C')) ? TShieldKind::TransitoryState
                                                                     : TShieldKind::State;
}

} // namespace

TStateScene::TStateScene(const TGeodata &data, const std::vector<TBorderRun> &boundaries, const QString &uf,
                         double megaPixels, TMapScale map)
    : FUF(uf), FMap(map)
{
    const TUFName *name = data.UFName(uf);
    FStateName = name ? name->Name : uf;
    ChooseExtent(data);
    FProjection = ChooseProjection(FExtent, megaPixels > 0 ? megaPixels : TargetMegaPixels(FExtent));
    if (map == TMapScale::Light)
        FProjection = LightProjection(FProjection);
    CollectAreas(data);
    CollectTowns(data);
    CollectLines(data, boundaries);
    PlaceTitle(data);
    BuildInset(data);
    PlaceNamesAndShields(data);
}

void TStateScene::ChooseExtent(const TGeodata &data)
{
    const TStateArea &area = *data.StateArea(FUF);
    const QRectF main = LargestPartBounds(area);
    for (const TPolygon &part : area.Parts)
        if (!IsRemote(BoundsOf(part), main))
            FExtent |= BoundsOf(part);
    for (const TMunicipality &town : data.Municipalities)
        if (town.UF == FUF && town.Name == kNoronhaName)
            FExtent |= QRectF(double(kNoronhaFixedLongitude) - 0.6, double(kNoronhaFixedLatitude) - 0.45, 1.2, 0.9);
    const double margin = std::max(0.15, 0.05 * std::max(FExtent.width(), FExtent.height()));
    FExtent.adjust(-margin, -margin, margin, margin);
}

void TStateScene::CollectAreas(const TGeodata &data)
{
    const QRectF view = ViewOf(FProjection);
    for (const TCountry &country : data.Countries)
        for (const TPolygon &part : country.Parts)
            if (BoundsOf(part).intersects(view))
                FCountries.push_back(AreaItem(PathOf(FProjection, part)));
    QPainterPath own;
    own.setFillRule(Qt::OddEvenFill);
    for (const TStateArea &state : data.States)
        for (const TPolygon &part : state.Parts) {
            if (state.UF == FUF)
                own.addPath(PathOf(FProjection, part));
            else if (BoundsOf(part).intersects(view))
                FOtherStates.push_back(AreaItem(PathOf(FProjection, part)));
        }
    FState = AreaItem(own);
    for (const TLake &lake : data.Lakes)
        if (BoundsOf(lake.Area).intersects(view))
            FLakes.push_back(AreaItem(PathOf(FProjection, lake.Area)));
}

void TStateScene::CollectLines(const TGeodata &data, const std::vector<TBorderRun> &boundaries)
{
    const QRectF picture(0, 0, FProjection.Width, FProjection.Height);
    for (const TBorderRun &run : boundaries) {
        if (!DrawnOnMapOf(run, FUF))
            continue;
        const QPolygonF pixels = SmoothLine(FProjection.ToPixels(run.Line));
        if (!pixels.boundingRect().intersects(picture))
            continue;
        switch (run.Kind) {
        case TBorderKind::Coast: AddLinePieces(FCoast, pixels); break;
        case TBorderKind::Interstate: AddLinePieces(FInterstate, pixels); break;
        case TBorderKind::International: AddLinePieces(FInternational, pixels); break;
        }
    }
    for (const TRiver &river : data.Rivers) {
        const QPolygonF pixels = SmoothLine(FProjection.ToPixels(river.Line));
        if (pixels.boundingRect().intersects(picture))
            AddLinePieces(FRivers, pixels, river.Importance);
    }
    for (const TRoad &road : data.Roads) {
        QPolygonF pixels = FProjection.ToPixels(road.Line);
        if (pixels.boundingRect().intersects(picture)) {
            SnapEndsToTowns(pixels, {&FTowns, &FNeighbourTowns});
            FRoads.push_back(LineItem(pixels, 0, road.Kind == TRoadKind::Federal ? TRoadClass::Federal
                                                                                : TRoadClass::State));
            FRoads.back().Foreign = road.UF != FUF;
        }
    }
}

void TStateScene::CollectTowns(const TGeodata &data)
{
    const QRectF picture(0, 0, FProjection.Width, FProjection.Height);
    for (const TMunicipality &municipality : data.Municipalities) {
        TTownMark town;
        town.Name = municipality.Name;
        town.Pixel = FProjection.ToPixel(CataloguePosition(municipality));
        town.Capital = municipality.Capital;
        town.OwnState = municipality.UF == FUF;
        town.UF = municipality.UF;
        town.Population = municipality.Population;
        town.Class = TownClassOf(municipality.Population);
        if (town.Capital)
            town.Radius = CapitalRadius(town.Population) * (FMap == TMapScale::Light ? kLightCapitalGrowth : 1);
        else
            town.Radius = TownSymbolRadius(town.Class);
        if (!picture.contains(town.Pixel) || (town.OwnState && town.Name == kNoronhaName))
            continue;
        if (FMap == TMapScale::Light && !town.OwnState && town.Population < kLightNeighbourTownPopulation)
            continue;
        (town.OwnState ? FTowns : FNeighbourTowns).push_back(town);
    }
    auto byImportance = [](const TTownMark &a, const TTownMark &b) {
        if (a.Capital != b.Capital)
            return a.Capital;
        return a.Population > b.Population;
    };
    std::stable_sort(FTowns.begin(), FTowns.end(), byImportance);
    std::stable_sort(FNeighbourTowns.begin(), FNeighbourTowns.end(), byImportance);
}

void TStateScene::PlaceTitle(const TGeodata &)
{
    // On the light map the block's smallest text (9 pixels at scale 1) must stay legible.
    const qreal smallest = FMap == TMapScale::Light ? kLightSmallestText / 9.0 : 1.0;
    FTitleScale = std::clamp(FProjection.Width / 3500.0, smallest, 2.5);
    const QFontMetricsF metrics(TitleFont(30));
    const qreal width = std::max<qreal>(320, metrics.horizontalAdvance(FStateName) + 40) * FTitleScale;
    const qreal height = 128 * FTitleScale, margin = 24;
    const qreal right = FProjection.Width - margin - width, bottom = FProjection.Height - margin - height;
    const QRectF corners[] = {QRectF(margin, margin, width, height), QRectF(right, margin, width, height),
                              QRectF(margin, bottom, width, height), QRectF(right, bottom, width, height)};
    // The corner that covers the least of the state.
    int bestCover = -1;
    for (const QRectF &corner : corners) {
        int cover = 0;
        for (int i = 0; i <= 8; ++i)
            for (int j = 0; j <= 4; ++j)
                cover += FState.Path.contains(QPointF(corner.left() + corner.width() * i / 8,
                                                      corner.top() + corner.height() * j / 4));
        for (const TTownMark &town : FTowns)
            cover += corner.contains(town.Pixel) ? 2 : 0;
        if (bestCover < 0 || cover < bestCover) {
            bestCover = cover;
            FTitleFrame = corner;
        }
    }
    // A scale bar of a round length no longer than 200 pixels.
    const long double kmPerPixel = 111.32L / FProjection.PixelsPerDegreeY;
    for (long double km : {1.0L, 2.0L, 5.0L, 10.0L, 20.0L, 25.0L, 50.0L, 100.0L, 200.0L, 500.0L})
        if (km / kmPerPixel <= 200 * FTitleScale)
            FScaleBarKm = km;
}

void TStateScene::BuildInset(const TGeodata &data)
{
    const TMunicipality *seat = nullptr;
    for (const TMunicipality &town : data.Municipalities)
        if (town.UF == FUF && town.Name == kNoronhaName)
            seat = &town;
    if (!seat)
        return;
    FHasInset = true;
    const QPointF centre = FProjection.ToPixel(kNoronhaFixedLongitude, kNoronhaFixedLatitude);
    FInset.Frame = QRectF(centre.x() - 170, centre.y() - 115, 340, 230);
    FInset.Title = QStringLiteral("Arquipélago de Fernando de Noronha");
    const QPointF seatLonLat = CataloguePosition(*seat);

    // The islands near the seat, enlarged around it so that the seat lands on the centre.
    std::vector<const TPolygon *> islands;
    double reachX = 0.01, reachY = 0.01;
    const double shrink = std::cos(seatLonLat.y() * M_PI / 180);
    for (const TPolygon &part : data.StateArea(FUF)->Parts) {
        const QRectF bounds = BoundsOf(part);
        if (!bounds.adjusted(-0.5, -0.5, 0.5, 0.5).contains(seatLonLat))
            continue;
        islands.push_back(&part);
        reachX = std::max({reachX, std::abs(bounds.left() - seatLonLat.x()), std::abs(bounds.right() - seatLonLat.x())});
        reachY = std::max({reachY, std::abs(bounds.top() - seatLonLat.y()), std::abs(bounds.bottom() - seatLonLat.y())});
    }
    const double scale = std::min((FInset.Frame.width() / 2 - 16) / (reachX * shrink),
                                  (FInset.Frame.height() / 2 - 34) / reachY);
    for (const TPolygon *island : islands) {
        QPainterPath path;
        for (const QPolygonF &ring : *island) {
            QPolygonF pixels;
            for (const QPointF &p : ring)
                pixels << QPointF(centre.x() + (p.x() - seatLonLat.x()) * shrink * scale,
                                  centre.y() + (seatLonLat.y() - p.y()) * scale);
            path.addPolygon(SmoothLine(pixels));
            path.closeSubpath();
        }
        FInset.Land.push_back(AreaItem(path));
    }
    FInset.Town.Name = seat->Name;
    FInset.Town.Pixel = centre;
    FInset.Town.Class = TownClassOf(seat->Population);
    FInset.Town.OwnState = true;
    FInset.Town.UF = FUF;
    FInset.Town.Population = seat->Population;
    FInset.Town.Radius = TownSymbolRadius(FInset.Town.Class);
    const QFont font = TownNameFont(TTownClass::From25kTo100k, FMap);
    FInset.Label = LabelCandidates(FInset.Town, seat->Name, font, Ink())[3];
}

void TStateScene::PlaceNamesAndShields(const TGeodata &data)
{
    // Labels, shields and boxes in taken; town symbols by rank (TownRank). On the light map the
    // names of the capital and the large towns may cover the symbols of lesser towns, as there
    // is no room for them otherwise where towns crowd; every other name keeps clear of all.
    TCollisionGrid taken;
    std::array<TCollisionGrid, kTownRanks> symbols;
    taken.Add(FTitleFrame);
    if (FHasInset)
        taken.Add(FInset.Frame);
    for (const std::vector<TTownMark> *towns : {&FTowns, &FNeighbourTowns})
        for (const TTownMark &town : *towns)
            symbols[size_t(TownRank(town))].Add(SymbolBox(town));

    auto major = [](const TTownMark &town) { return town.Capital || town.Population >= 100000; };
    auto placeLabel = [&](const TTownMark &town) {
        const QFont font = town.Capital ? CapitalNameFont(FMap) : TownNameFont(town.Class, FMap);
        const QColor colour = town.OwnState ? Ink() : QColor(0x5A, 0x5A, 0x5A);
        const QString text = town.Capital ? UpperCase(town.Name) : town.Name;
        const int covers = FMap == TMapScale::Light && town.OwnState && major(town) ? TownRank(town) : 0;
        auto free = [&](const QRectF &box) {
            for (int rank = covers; rank < kTownRanks; ++rank)
                if (symbols[size_t(rank)].Collides(box))
                    return false;
            return !taken.Collides(box);
        };
        for (const TLabelMark &candidate : LabelCandidates(town, text, font, colour))
            if (Inside(candidate.Box, FProjection) && free(candidate.Box)) {
                taken.Add(candidate.Box);
                FLabels.push_back(candidate);
                return;
            }
    };
    for (const TTownMark &town : FTowns)
        if (major(town))
            placeLabel(town);

    for (const TRoad &road : data.Roads) {
        // Access spurs ("SPA-060/270") are short and many: they go without shields.
        if (road.UF != FUF || road.Reference.isEmpty() || road.Reference.contains(QLatin1Char('/')))
            continue;
        const QPolygonF line = FProjection.ToPixels(road.Line);
        std::vector<double> cumulative{0};
        for (int i = 1; i < line.size(); ++i)
            cumulative.push_back(cumulative.back() + QLineF(line[i - 1], line[i]).length());
        const double length = cumulative.back();
        if (length < 60)
            continue;
        const TShieldKind kind = ShieldKindOf(road);
        const QString text = ShieldText(road.Reference, kind);
        // The light map shows more road per pixel: its shields come closer in pixels, farther
        // apart on the ground.
        const double spacing = (kind == TShieldKind::Federal ? kShieldSpacing : kShieldSpacing * 1.5) *
                               (FMap == TMapScale::Light ? 0.7 : 1.0);
        for (double at = std::min(spacing / 2, length / 2); at < length; at += spacing)
            for (double shift : {0.0, 40.0, -40.0, 80.0, -80.0, 130.0, -130.0}) {
                const QPointF centre = PointAlong(line, cumulative, at + shift);
                const QRectF box = ShieldRect(centre, text, kind, FMap).adjusted(-2, -2, 2, 2);
                if (Inside(box, FProjection) && !taken.Collides(box) &&
                    std::none_of(symbols.begin(), symbols.end(),
                                 [&](const TCollisionGrid &grid) { return grid.Collides(box); })) {
                    taken.Add(box);
                    FShields.push_back({centre, text, kind, box});
                    break;
                }
            }
    }

    for (const TTownMark &town : FTowns)
        if (!major(town))
            placeLabel(town);
    // Area names keep clear of every symbol.
    for (const std::vector<TTownMark> *towns : {&FTowns, &FNeighbourTowns})
        for (const TTownMark &town : *towns)
            taken.Add(SymbolBox(town));
    PlaceAreaNames(data, taken);
    for (const TTownMark &town : FNeighbourTowns)
        placeLabel(town);
}

void TStateScene::PlaceAreaNames(const TGeodata &data, TCollisionGrid &taken)
{
    const QRectF picture(0, 0, FProjection.Width, FProjection.Height);
    // The name goes at the first of the candidate centres (or a little above or below one)
    // where it lies wholly on the area's land and clear of everything placed.
    auto place = [&](const QString &name, const QPainterPath &land, const std::vector<QPointF> &centres) {
        const QFont font = AreaNameFont(26 * FTitleScale);
        const QString text = UpperCase(name);
        const QFontMetricsF metrics(font);
        const qreal width = metrics.horizontalAdvance(text);
        for (const QPointF &centre : centres)
            for (qreal shift : {0.0, -1.0, 1.0, -2.0, 2.0}) {
                shift *= 50 * FTitleScale;
                const QPointF baseline(centre.x() - width / 2, centre.y() + shift + metrics.ascent() / 2);
                const QRectF box(baseline.x() - 2, baseline.y() - metrics.ascent() - 2, width + 4,
                                 metrics.ascent() + metrics.descent() + 4);
                if (Inside(box, FProjection) && !taken.Collides(box) && land.contains(box.topLeft()) &&
                    land.contains(box.topRight()) && land.contains(box.bottomLeft()) &&
                    land.contains(box.bottomRight()) && land.contains(box.center())) {
                    taken.Add(box);
                    FAreaNames.push_back({baseline, text, font, AreaNameColour(), box});
                    return;
                }
            }
    };
    // A neighbouring state's name goes near the middle of its towns on the picture, or else
    // near one of those towns.
    for (const TUFName &uf : data.UFs) {
        if (uf.Code == FUF)
            continue;
        std::vector<QPointF> towns;
        QPointF sum;
        for (const TMunicipality &town : data.Municipalities) {
            if (town.UF != uf.Code)
                continue;
            const QPointF pixel = FProjection.ToPixel(CataloguePosition(town));
            if (picture.contains(pixel))
                towns.push_back(pixel), sum += pixel;
        }
        if (towns.size() < 3)
            continue;
        const QPointF middle = sum / qreal(towns.size());
        std::sort(towns.begin(), towns.end(), [&](QPointF a, QPointF b) {
            return QLineF(a, middle).length() < QLineF(b, middle).length();
        });
        towns.resize(std::min<size_t>(towns.size(), 12));
        towns.insert(towns.begin(), middle);
        QPainterPath land;
        for (const TPolygon &part : data.StateArea(uf.Code)->Parts)
            if (BoundsOf(part).intersects(ViewOf(FProjection)))
                land.addPath(PathOf(FProjection, part));
        place(uf.Name, land, towns);
    }
    // A country's name goes at the middle of its visible land, when that lies on the land.
    for (const TCountry &country : data.Countries) {
        QPainterPath land;
        for (const TPolygon &part : country.Parts)
            if (BoundsOf(part).intersects(ViewOf(FProjection)))
                land.addPath(PathOf(FProjection, part));
        const QRectF visible = land.boundingRect().intersected(picture);
        if (visible.width() > 300 && visible.height() > 100)
            place(country.Name, land, {visible.center()});
    }
}

void TStateScene::DrawBand(QImage &band, int top) const
{
    QPainter painter(&band);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    painter.translate(0, -top);
    Draw(painter, QRectF(0, top, band.width(), band.height()));
}

void TStateScene::Draw(QPainter &painter, const QRectF &band) const
{
    // Items reach this far beyond their geometry (line widths, halos).
    const QRectF visible = band.adjusted(-12, -12, 12, 12);
    painter.fillRect(band, Sea());
    painter.setPen(Qt::NoPen);
    auto fill = [&](const std::vector<TAreaItem> &areas, QColor colour) {
        painter.setBrush(colour);
        for (const TAreaItem &area : areas)
            if (area.Bounds.intersects(visible))
                painter.drawPath(area.Path);
    };
    fill(FCountries, ForeignLand());
    fill(FOtherStates, OtherStateLand());
    fill({FState}, StateLand());
    if (FMap == TMapScale::Light && FState.Bounds.intersects(visible))
        DrawStateEdge(painter, visible);
    for (const TAreaItem &lake : FLakes)
        if (lake.Bounds.intersects(visible))
            DrawLake(painter, lake.Path);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(ShorePen());
    for (const TLineItem &coast : FCoast)
        if (coast.Bounds.intersects(visible))
            painter.drawPolyline(coast.Line);
    for (const TLineItem &river : FRivers)
        if (river.Bounds.intersects(visible))
            DrawRiver(painter, river.Line, river.Importance);
    for (const TLineItem &line : FInterstate)
        if (line.Bounds.intersects(visible))
            DrawBoundary(painter, line.Line, TBoundaryKind::Interstate);
    for (const TLineItem &line : FInternational)
        if (line.Bounds.intersects(visible))
            DrawBoundary(painter, line.Line, TBoundaryKind::International);

    for (const TLabelMark &name : FAreaNames)
        if (name.Box.intersects(visible))
            DrawHaloText(painter, name.Baseline, name.Text, name.Font, name.Colour);

    // Other states' roads first and fainter, so that the state's own network stands out.
    for (bool foreign : {true, false}) {
        painter.setOpacity(foreign ? 0.5 : 1.0);
        for (const TLineItem &road : FRoads)
            if (road.Foreign == foreign && road.Bounds.intersects(visible))
                DrawRoadCasing(painter, road.Line, road.RoadClass, FMap);
        for (TRoadClass roadClass : {TRoadClass::State, TRoadClass::Federal})
            for (const TLineItem &road : FRoads)
                if (road.Foreign == foreign && road.RoadClass == roadClass && road.Bounds.intersects(visible))
                    DrawRoad(painter, road.Line, roadClass, TRoadState::Paved, FMap);
    }
    painter.setOpacity(1.0);

    auto drawTown = [&](const TTownMark &town) {
        if (!visible.contains(town.Pixel) && !SymbolBox(town).intersects(visible))
            return;
        if (town.Capital)
            DrawCapitalArea(painter, town.Pixel, town.Radius);
        else
            DrawTownSymbol(painter, town.Pixel, town.Class);
    };
    for (const TTownMark &town : FNeighbourTowns)
        drawTown(town);
    for (auto it = FTowns.rbegin(); it != FTowns.rend(); ++it)
        drawTown(*it);
    for (const TShieldMark &shield : FShields)
        if (shield.Box.intersects(visible))
            DrawShield(painter, shield.Centre, shield.Text, shield.Kind, FMap);
    for (const TLabelMark &label : FLabels)
        if (label.Box.intersects(visible))
            DrawHaloText(painter, label.Baseline, label.Text, label.Font, label.Colour);
    if (FTitleFrame.intersects(visible))
        DrawTitle(painter);
    if (FHasInset && FInset.Frame.intersects(visible))
        DrawInset(painter);
}

// A band of colour along the inside of the state's land borders (the coast stands out against
// the sea already), so that the state stands out from its neighbours when the light map is
// reduced to fit a window.
void TStateScene::DrawStateEdge(QPainter &painter, const QRectF &visible) const
{
    painter.save();
    painter.setClipPath(FState.Path, Qt::IntersectClip);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(StateEdge(), 12, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    for (const std::vector<TLineItem> *lines : {&FInterstate, &FInternational})
        for (const TLineItem &line : *lines)
            if (line.Bounds.intersects(visible))
                painter.drawPolyline(line.Line);
    painter.restore();
}

void TStateScene::DrawTitle(QPainter &painter) const
{
    // Laid out at 1:1 and scaled into the frame.
    const QRectF frame(0, 0, FTitleFrame.width() / FTitleScale, FTitleFrame.height() / FTitleScale);
    painter.save();
    painter.translate(FTitleFrame.topLeft());
    painter.scale(FTitleScale, FTitleScale);
    painter.setPen(QPen(Ink(), 2));
    painter.setBrush(Qt::white);
    painter.drawRect(frame);
    painter.setPen(QPen(Federal(), 4));
    painter.drawLine(QPointF(frame.left() + 2, frame.top() + 4), QPointF(frame.right() - 2, frame.top() + 4));
    painter.setPen(Ink());
    painter.setFont(TitleFont(30));
    painter.drawText(QRectF(frame.left() + 16, frame.top() + 12, frame.width() - 32, 38),
                     Qt::AlignLeft | Qt::AlignVCenter, FStateName);
    painter.setFont(CaptionFont(14));
    painter.drawText(QRectF(frame.left() + 16, frame.top() + 50, frame.width() - 32, 20),
                     Qt::AlignLeft | Qt::AlignVCenter, QStringLiteral("Mapa Rodoviário"));
    // Scale bar: alternate black and white halves.
    const qreal barLength = qreal(FScaleBarKm * FProjection.PixelsPerDegreeY / 111.32L) / FTitleScale;
    const QPointF barStart(frame.left() + 16, frame.top() + 86);
    painter.setPen(QPen(Ink(), 1));
    painter.setBrush(Ink());
    painter.drawRect(QRectF(barStart, QSizeF(barLength / 2, 5)));
    painter.setBrush(Qt::white);
    painter.drawRect(QRectF(barStart + QPointF(barLength / 2, 0), QSizeF(barLength / 2, 5)));
    painter.setFont(CaptionFont(11));
    painter.drawText(QPointF(barStart.x() + barLength + 8, barStart.y() + 6),
                     QStringLiteral("%1 km").arg(double(FScaleBarKm)));
    painter.setFont(CaptionFont(9));
    painter.drawText(QRectF(frame.left() + 16, frame.bottom() - 24, frame.width() - 32, 16),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     QStringLiteral("Fontes: IBGE, Natural Earth, © colaboradores do OpenStreetMap"));
    painter.restore();
}

void TStateScene::DrawInset(QPainter &painter) const
{
    painter.save();
    painter.setPen(QPen(Ink(), 1.5));
    painter.setBrush(Sea());
    painter.drawRect(FInset.Frame);
    painter.setClipRect(FInset.Frame.adjusted(1, 1, -1, -1), Qt::IntersectClip);
    painter.setBrush(StateLand());
    painter.setPen(ShorePen());
    for (const TAreaItem &island : FInset.Land)
        painter.drawPath(island.Path);
    DrawTownSymbol(painter, FInset.Town.Pixel, FInset.Town.Class);
    DrawHaloText(painter, FInset.Label.Baseline, FInset.Label.Text, FInset.Label.Font, FInset.Label.Colour);
    painter.setFont(CaptionFont(12, true));
    painter.setPen(Ink());
    painter.drawText(FInset.Frame.adjusted(8, 4, -8, -4), Qt::AlignHCenter | Qt::AlignTop, FInset.Title);
    painter.setFont(CaptionFont(FMap == TMapScale::Light ? kLightSmallestText : 10));
    painter.drawText(FInset.Frame.adjusted(8, 4, -8, -4), Qt::AlignHCenter | Qt::AlignBottom,
                     QStringLiteral("Em escala ampliada, fora de sua posição"));
    painter.restore();
}
