#include "mapdata/road_route.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <queue>
#include <tuple>

#include "mapdata/catalogue.h"
#include "mapdata/great_circle.h"
#include "mapdata/names.h"

const QString kNoRoadLinkText = QStringLiteral("sem ligação rodoviária conhecida");
const QString kOffNetworkText = QStringLiteral("fora da malha");

QString RoadName(const TNetworkRoad &road)
{
    if (!road.Reference.isEmpty())
        return road.Reference;
    switch (road.Kind) {
    case TNetworkRoadKind::Federal:
        return QStringLiteral("rodovia federal");
    case TNetworkRoadKind::State:
        return QStringLiteral("rodovia estadual");
    case TNetworkRoadKind::Urban:
        break;
    }
    return QStringLiteral("via urbana");
}

namespace {

constexpr int64_t kUnreached = std::numeric_limits<int64_t>::max();

// A place along an edge: 0 is its From junction, 1 ... InteriorCount its shape points in
// order, InteriorCount + 1 its To junction.
struct TEdgePlace {
    int32_t Edge = -1;
    int32_t Place = 0;
};

// Part of one edge walked from one place to another (either way), and its length.
struct TStretch {
    int32_t Edge = -1;
    int32_t FromPlace = 0;
    int32_t ToPlace = 0;
    int64_t Metres = 0;
};

int32_t LastPlace(const TRoadNetwork &network, int32_t edge)
{
    return network.Edge(edge).InteriorCount + 1;
}

int32_t PointAt(const TRoadNetwork &network, int32_t edge, int32_t place)
{
    const TNetworkEdge &e = network.Edge(edge);
    if (place == 0)
        return e.From;
    if (place == e.InteriorCount + 1)
        return e.To;
    return network.InteriorStart(edge) + place - 1;
}

// The metres from an edge's From junction to a place: the edge's length shared out in
// proportion to the straight segments' lengths, so that both ends agree with the edge.
int64_t MetresToPlace(const TRoadNetwork &network, int32_t edge, int32_t place)
{
    const TNetworkEdge &e = network.Edge(edge);
    if (place == 0 || place == e.InteriorCount + 1)
        return place == 0 ? 0 : e.Metres;
    long double before = 0, total = 0;
    for (int32_t p = 0; p <= e.InteriorCount; ++p) {
        const int32_t a = PointAt(network, edge, p), b = PointAt(network, edge, p + 1);
        const long double km = GreatCircleKm(network.Latitude(a), network.Longitude(a), network.Latitude(b),
                                             network.Longitude(b));
        total += km;
        if (p < place)
            before += km;
    }
    return total > 0 ? std::lrint(e.Metres * (before / total)) : 0;
}

// One way into or out of the junction graph from a path's end: the junction, and the stretch
// between the end and it (none when the end is that junction).
struct TGate {
    int32_t Junction = -1;
    std::optional<TStretch> Stretch; // from the end to the junction
    int64_t Metres() const { return Stretch ? Stretch->Metres : 0; }
};

TEdgePlace PlaceOfPoint(const TRoadNetwork &network, int32_t point)
{
    const int32_t edge = network.EdgeOfInterior(point);
    return {edge, point - network.InteriorStart(edge) + 1};
}

// The gates of a point: itself when it is a junction, else the two ends of its edge.
std::vector<TGate> GatesOf(const TRoadNetwork &network, int32_t point)
{
    if (point < network.JunctionCount())
        return {{point, std::nullopt}};
    const TEdgePlace at = PlaceOfPoint(network, point);
    const int64_t fromStart = MetresToPlace(network, at.Edge, at.Place);
    const int32_t last = LastPlace(network, at.Edge);
    return {{PointAt(network, at.Edge, 0), TStretch{at.Edge, at.Place, 0, fromStart}},
            {PointAt(network, at.Edge, last), TStretch{at.Edge, at.Place, last, network.Edge(at.Edge).Metres - fromStart}}};
}

TStretch Reversed(const TStretch &stretch)
{
    return {stretch.Edge, stretch.ToPlace, stretch.FromPlace, stretch.Metres};
}

// The stretches of the shortest path between two points, in order; nothing without a path.
std::optional<std::vector<TStretch>> ShortestStretches(const TRoadNetwork &network, int32_t from, int32_t to)
{
    if (from == to)
        return std::vector<TStretch>{};
    const std::vector<TGate> starts = GatesOf(network, from);
    const std::vector<TGate> ends = GatesOf(network, to);

    // Both points inside one edge: walking along it is a candidate of its own.
    int64_t best = kUnreached;
    int32_t bestEnd = -1; // the end gate of the best path; -1: along the shared edge
    std::optional<TStretch> along;
    if (from >= network.JunctionCount() && to >= network.JunctionCount()) {
        const TEdgePlace a = PlaceOfPoint(network, from), b = PlaceOfPoint(network, to);
        if (a.Edge == b.Edge) {
            best = std::abs(MetresToPlace(network, a.Edge, b.Place) - MetresToPlace(network, a.Edge, a.Place));
            along = TStretch{a.Edge, a.Place, b.Place, best};
        }
    }

    const auto junctions = size_t(network.JunctionCount());
    std::vector<int64_t> metres(junctions, kUnreached);
    std::vector<int32_t> arrivedBy(junctions, -1); // the edge of the last step; -1 at a start
    std::vector<int32_t> startGate(junctions, -1);
    using TQueued = std::pair<int64_t, int32_t>;
    std::priority_queue<TQueued, std::vector<TQueued>, std::greater<>> queue;
    for (size_t g = 0; g < starts.size(); ++g) {
        const TGate &gate = starts[g];
        if (gate.Metres() < metres[size_t(gate.Junction)]) {
            metres[size_t(gate.Junction)] = gate.Metres();
            startGate[size_t(gate.Junction)] = int32_t(g);
            queue.push({gate.Metres(), gate.Junction});
        }
    }
    while (!queue.empty()) {
        const auto [reached, junction] = queue.top();
        queue.pop();
        if (reached != metres[size_t(junction)])
            continue;
        if (reached >= best)
            break;
        for (size_t g = 0; g < ends.size(); ++g)
            if (ends[g].Junction == junction && reached + ends[g].Metres() < best)
                best = reached + ends[g].Metres(), bestEnd = int32_t(g);
        for (const int32_t *e = network.EdgesAtBegin(junction); e != network.EdgesAtEnd(junction); ++e) {
            const TNetworkEdge &edge = network.Edge(*e);
            const int32_t next = edge.From == junction ? edge.To : edge.From;
            const int64_t through = reached + edge.Metres;
            if (through < metres[size_t(next)]) {
                metres[size_t(next)] = through;
                arrivedBy[size_t(next)] = *e;
                startGate[size_t(next)] = -1;
                queue.push({through, next});
            }
        }
    }
    if (best == kUnreached)
        return std::nullopt;
    if (bestEnd < 0)
        return std::vector<TStretch>{*along};

    // Back from the end gate to a start gate, then turned round.
    std::vector<TStretch> stretches;
    const TGate &end = ends[size_t(bestEnd)];
    if (end.Stretch)
        stretches.push_back(Reversed(*end.Stretch));
    int32_t junction = end.Junction;
    while (arrivedBy[size_t(junction)] >= 0) {
        const int32_t e = arrivedBy[size_t(junction)];
        const TNetworkEdge &edge = network.Edge(e);
        const bool forward = edge.To == junction;
        stretches.push_back(forward ? TStretch{e, 0, LastPlace(network, e), edge.Metres}
                                    : TStretch{e, LastPlace(network, e), 0, edge.Metres});
        junction = forward ? edge.From : edge.To;
    }
    const TGate &start = starts[size_t(startGate[size_t(junction)])];
    if (start.Stretch)
        stretches.push_back(*start.Stretch);
    std::reverse(stretches.begin(), stretches.end());
    return stretches;
}

// The joins of a route's two cities: to the largest piece, unless the piece nearest to one of
// them is also nearer to the other than the largest piece is (two cities by a road the data
// holds apart from the rest); of two such pieces the one with less joining.
std::pair<TNetworkJoin, TNetworkJoin> RouteJoins(const TRoadNetwork &network, const TRouteCity &origin,
                                                 const TRouteCity &destination)
{
    std::pair<TNetworkJoin, TNetworkJoin> chosen{origin.Joins.Largest, destination.Joins.Largest};
    int64_t chosenMetres = std::numeric_limits<int64_t>::max();
    for (const TRouteCity *city : {&origin, &destination}) {
        const int32_t point = city->Joins.Nearest.Point;
        if (point < 0 || network.PieceOf(point) == network.LargestPiece())
            continue;
        const auto joinTo = [&](const TRouteCity &end) {
            return &end == city ? end.Joins.Nearest
                                : network.NearestPoint(end.Position.Latitude, end.Position.Longitude, network.PieceOf(point));
        };
        const TNetworkJoin fromOrigin = joinTo(origin), fromDestination = joinTo(destination);
        const int64_t metres = int64_t(fromOrigin.Metres) + fromDestination.Metres;
        if (fromOrigin.Metres < origin.Joins.Largest.Metres && fromDestination.Metres < destination.Joins.Largest.Metres &&
            metres < chosenMetres)
            chosen = {fromOrigin, fromDestination}, chosenMetres = metres;
    }
    return chosen;
}

TGeoPosition PositionOf(const TRoadNetwork &network, int32_t point)
{
    return {network.Latitude(point), network.Longitude(point)};
}

} // namespace

std::optional<TRoadPath> ShortestRoadPath(const TRoadNetwork &network, int32_t from, int32_t to)
{
    const auto points = int32_t(network.Data().Points.size());
    if (from < 0 || to < 0 || from >= points || to >= points || network.PieceOf(from) != network.PieceOf(to))
        return std::nullopt;
    const std::optional<std::vector<TStretch>> stretches = ShortestStretches(network, from, to);
    if (!stretches)
        return std::nullopt;
    TRoadPath path;
    path.Points.push_back(PositionOf(network, from));
    for (const TStretch &stretch : *stretches) {
        const int step = stretch.ToPlace > stretch.FromPlace ? 1 : -1;
        for (int32_t place = stretch.FromPlace + step; place != stretch.ToPlace + step; place += step)
            path.Points.push_back(PositionOf(network, PointAt(network, stretch.Edge, place)));
        const int64_t metres = stretch.Metres;
        path.Metres += metres;
        const TNetworkRoad &road = network.Data().Roads[size_t(network.Edge(stretch.Edge).Road)];
        const QString name = RoadName(road);
        if (!path.Roads.empty() && path.Roads.back().Name == name && path.Roads.back().Kind == road.Kind)
            path.Roads.back().Metres += metres;
        else if (metres > 0)
            path.Roads.push_back({name, road.Kind, metres});
    }
    return path;
}

std::optional<TRouteCity> RouteCityOfRow(const TRoadNetwork &network, const QString &row)
{
    const TRowCoordinates texts = ReadRowCoordinates(row);
    const std::optional<long double> latitude = ParseDMS(texts.Latitude);
    const std::optional<long double> longitude = ParseDMS(texts.Longitude);
    if (!latitude || !longitude)
        return std::nullopt;
    const std::optional<TPositionJoins> stored = network.StoredJoins(CityPositionKeyOf(*latitude, *longitude));
    return TRouteCity{{*latitude, *longitude}, stored ? *stored : network.JoinPosition(*latitude, *longitude)};
}

TRoadRoute RoadRouteBetweenRows(const TRoadNetwork &network, const QString &originRow, const QString &destinationRow)
{
    TRoadRoute route;
    const TRowCoordinates originTexts = ReadRowCoordinates(originRow);
    const TRowCoordinates destinationTexts = ReadRowCoordinates(destinationRow);
    const std::optional<long double> air = GreatCircleKm(originTexts.Latitude, originTexts.Longitude,
                                                         destinationTexts.Latitude, destinationTexts.Longitude);
    const std::optional<TRouteCity> origin = RouteCityOfRow(network, originRow);
    const std::optional<TRouteCity> destination = RouteCityOfRow(network, destinationRow);
    if (!air || !origin || !destination)
        return route;
    route.AirKm = *air;
    route.Origin.Position = origin->Position;
    route.Destination.Position = destination->Position;
    std::tie(route.Origin.Join, route.Destination.Join) = RouteJoins(network, *origin, *destination);
    const std::optional<TRoadPath> path = ShortestRoadPath(network, route.Origin.Join.Point, route.Destination.Join.Point);
    route.Status = path ? TRoadRoute::TStatus::Found : TRoadRoute::TStatus::NoRoadLink;
    if (path)
        route.Path = *path;
    return route;
}
