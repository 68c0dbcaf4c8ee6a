#include "tools/mkdata/road_network_builder.h"

#include <QDir>
#include <algorithm>
#include <cmath>
#include <map>
#include <tuple>

#include "base/errors.h"
#include "mapdata/great_circle.h"
#include "mapdata/road_route.h"
#include "tools/mkdata/catalogues.h"
#include "tools/road_network_writer.h"

namespace {

TNetworkRoadKind NetworkKind(TRoadKind kind)
{
    switch (kind) {
    case TRoadKind::Federal:
        return TNetworkRoadKind::Federal;
    case TRoadKind::State:
        return TNetworkRoadKind::State;
    case TRoadKind::Urban:
        break;
    }
    return TNetworkRoadKind::Urban;
}

TNetworkPoint FixedPoint(const QPointF &position)
{
    return {int32_t(std::lround(position.y() * kNetworkUnitsPerDegree)),
            int32_t(std::lround(position.x() * kNetworkUnitsPerDegree))};
}

auto PointOrder(const TNetworkPoint &point)
{
    return std::make_tuple(point.Latitude, point.Longitude);
}

// A straight piece of one road between two points (indices into the sorted points), the
// lower index first.
struct TSegment {
    int32_t A = 0, B = 0;
    int32_t Road = 0;
    auto Order() const { return std::make_tuple(A, B, Road); }
};

class TNetworkBuilder {
public:
    explicit TNetworkBuilder(const std::vector<TRoad> &roads)
    {
        CollectRoads(roads);
        CollectPoints(roads);
        CollectSegments(roads);
    }

    TRoadNetworkData Build()
    {
        std::vector<bool> junction(FPoints.size());
        for (size_t p = 0; p < FPoints.size(); ++p) {
            const std::vector<int32_t> &at = FSegmentsAt[p];
            junction[p] = at.size() != 2 || FSegments[size_t(at[0])].Road != FSegments[size_t(at[1])].Road;
        }
        std::vector<bool> used(FSegments.size());
        for (size_t p = 0; p < FPoints.size(); ++p)
            if (junction[p])
                WalkFrom(int32_t(p), junction, used);
        // What is left are closed loops of a single road: each gets a junction at its first point.
        for (size_t s = 0; s < FSegments.size(); ++s)
            if (!used[s]) {
                junction[size_t(FSegments[s].A)] = true;
                WalkFrom(FSegments[s].A, junction, used);
            }
        return Numbered(junction);
    }

private:
    void CollectRoads(const std::vector<TRoad> &roads)
    {
        for (const TRoad &road : roads)
            FRoadIndex.emplace(std::make_pair(NetworkKind(road.Kind), road.Reference), 0);
        for (auto &[key, index] : FRoadIndex) {
            index = int32_t(FRoads.size());
            FRoads.push_back({key.second, key.first});
        }
    }

    void CollectPoints(const std::vector<TRoad> &roads)
    {
        for (const TRoad &road : roads)
            for (const QPointF &position : road.Line)
                FPoints.push_back(FixedPoint(position));
        std::sort(FPoints.begin(), FPoints.end(),
                  [](const TNetworkPoint &a, const TNetworkPoint &b) { return PointOrder(a) < PointOrder(b); });
        FPoints.erase(std::unique(FPoints.begin(), FPoints.end()), FPoints.end());
    }

    int32_t PointIndex(const QPointF &position) const
    {
        const TNetworkPoint point = FixedPoint(position);
        return int32_t(std::lower_bound(FPoints.begin(), FPoints.end(), point,
                                        [](const TNetworkPoint &a, const TNetworkPoint &b) {
                                            return PointOrder(a) < PointOrder(b);
                                        }) -
                       FPoints.begin());
    }

    // A segment listed twice for one road (a line drawn over itself, or twice) counts once.
    void CollectSegments(const std::vector<TRoad> &roads)
    {
        for (const TRoad &road : roads) {
            const int32_t roadIndex = FRoadIndex.at({NetworkKind(road.Kind), road.Reference});
            for (qsizetype i = 1; i < road.Line.size(); ++i) {
                const int32_t a = PointIndex(road.Line[i - 1]), b = PointIndex(road.Line[i]);
                if (a != b)
                    FSegments.push_back({std::min(a, b), std::max(a, b), roadIndex});
            }
        }
        std::sort(FSegments.begin(), FSegments.end(),
                  [](const TSegment &x, const TSegment &y) { return x.Order() < y.Order(); });
        FSegments.erase(std::unique(FSegments.begin(), FSegments.end(),
                                    [](const TSegment &x, const TSegment &y) { return x.Order() == y.Order(); }),
                        FSegments.end());
        FSegmentsAt.resize(FPoints.size());
        for (size_t s = 0; s < FSegments.size(); ++s) {
            FSegmentsAt[size_t(FSegments[s].A)].push_back(int32_t(s));
            FSegmentsAt[size_t(FSegments[s].B)].push_back(int32_t(s));
        }
    }

    long double SegmentKm(int32_t from, int32_t to) const
    {
        const auto degrees = [](int32_t units) { return units / static_cast<long double>(kNetworkUnitsPerDegree); };
        const TNetworkPoint &a = FPoints[size_t(from)], &b = FPoints[size_t(to)];
        return GreatCircleKm(degrees(a.Latitude), degrees(a.Longitude), degrees(b.Latitude), degrees(b.Longitude));
    }

    // Follows every unused segment at a junction to the next junction, making one edge each.
    void WalkFrom(int32_t start, const std::vector<bool> &junction, std::vector<bool> &used)
    {
        for (const int32_t first : FSegmentsAt[size_t(start)]) {
            if (used[size_t(first)])
                continue;
            TEdgeWalk walk{start, start, {}, FSegments[size_t(first)].Road, 0};
            int32_t segment = first;
            int32_t at = start;
            for (;;) {
                used[size_t(segment)] = true;
                const TSegment &s = FSegments[size_t(segment)];
                const int32_t next = s.A == at ? s.B : s.A;
                walk.Km += SegmentKm(at, next);
                at = next;
                if (junction[size_t(at)])
                    break;
                walk.Interior.push_back(at);
                const std::vector<int32_t> &two = FSegmentsAt[size_t(at)];
                segment = two[0] == segment ? two[1] : two[0];
            }
            walk.To = at;
            FWalks.push_back(std::move(walk));
        }
    }

    // Junctions first in point order, then the shape points edge by edge.
    TRoadNetworkData Numbered(const std::vector<bool> &junction) const
    {
        TRoadNetworkData data;
        std::vector<int32_t> number(FPoints.size(), -1);
        for (size_t p = 0; p < FPoints.size(); ++p)
            if (junction[p]) {
                number[p] = int32_t(data.Points.size());
                data.Points.push_back(FPoints[p]);
            }
        data.JunctionCount = int32_t(data.Points.size());
        for (const TEdgeWalk &walk : FWalks) {
            const long double metres = std::round(walk.Km * 1000);
            if (metres > kMaxNetworkMetres)
                throw TovralError(QStringLiteral("A road runs %1 km without a junction, more than a network file holds")
                                      .arg(double(walk.Km)));
            data.Edges.push_back({number[size_t(walk.From)], number[size_t(walk.To)], int32_t(metres),
                                  int32_t(walk.Interior.size()), walk.Road});
            for (const int32_t p : walk.Interior)
                data.Points.push_back(FPoints[size_t(p)]);
        }
        data.Roads = FRoads;
        if (data.Points.size() > size_t(kMaxNetworkPoints) || data.Edges.size() > size_t(kMaxNetworkEdges) ||
            data.Roads.size() > size_t(kMaxNetworkRoads))
            throw TovralError(QStringLiteral("The roads hold more than a network file may hold"));
        return data;
    }

    struct TEdgeWalk {
        int32_t From, To;
        std::vector<int32_t> Interior;
        int32_t Road;
        long double Km;
    };

    std::map<std::pair<TNetworkRoadKind, QString>, int32_t> FRoadIndex;
    std::vector<TNetworkRoad> FRoads;
    std::vector<TNetworkPoint> FPoints; // sorted by latitude, then longitude
    std::vector<TSegment> FSegments;    // sorted, each once
    std::vector<std::vector<int32_t>> FSegmentsAt;
    std::vector<TEdgeWalk> FWalks;
};

} // namespace

TRoadNetworkData BuildRoadNetwork(const std::vector<TRoad> &roads, const QStringList &cityLines)
{
    TRoadNetwork network;
    network.Assign(TNetworkBuilder(roads).Build());
    // Each city position once, joined exactly as the route search joins a row.
    std::map<TCityPositionKey, TPositionJoins> joins;
    for (const QString &line : cityLines)
        if (const std::optional<TRouteCity> city = RouteCityOfRow(network, line))
            joins.emplace(CityPositionKeyOf(city->Position.Latitude, city->Position.Longitude), city->Joins);
    if (joins.size() > size_t(kMaxNetworkCityJoins))
        throw TovralError(QStringLiteral("More city positions than a network file may hold"));
    TRoadNetworkData data = network.Data();
    if (!network.IsEmpty())
        for (const auto &[city, cityJoins] : joins)
            data.CityJoins.push_back({city, cityJoins});
    return data;
}

void WriteRoadNetwork(const QString &folder, const TGeodata &data)
{
    WriteRoadNetworkFile(QDir(folder).filePath(kRoadNetworkFileName),
                         BuildRoadNetwork(data.Roads, CityCatalogueLines(data.Municipalities)));
}
