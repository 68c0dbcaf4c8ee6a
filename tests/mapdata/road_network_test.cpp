// The road network file and the route search, on small networks made by hand.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QtEndian>
#include <gtest/gtest.h>
#include <functional>
#include <numbers>
#include <random>

#include "base/errors.h"
#include "mapdata/great_circle.h"
#include "mapdata/road_route.h"
#include "tests/support/sequential_buffer.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/road_network_builder.h"
#include "tools/road_network_writer.h"

namespace {

// A road through positions given as (latitude, longitude).
TRoad Road(const char *reference, std::initializer_list<QPointF> latitudeLongitude, TRoadKind kind = TRoadKind::Federal)
{
    TRoad road{QString::fromUtf8(reference), kind, QStringLiteral("XX"), {}};
    for (const QPointF &position : latitudeLongitude)
        road.Line << QPointF(position.y(), position.x());
    return road;
}

QString CityLine(const char *name, double latitude, double longitude)
{
    return QStringLiteral("XX\t%1\t0\t%2\t%3").arg(QString::fromUtf8(name), FormatDMS(latitude), FormatDMS(longitude));
}

TRoadNetwork Network(const std::vector<TRoad> &roads, const QStringList &cityLines = {})
{
    TRoadNetwork network;
    network.Assign(BuildRoadNetwork(roads, cityLines));
    return network;
}

// The point of a network at a position.
int32_t PointAt(const TRoadNetwork &network, double latitude, double longitude)
{
    return network.NearestPoint(latitude, longitude).Point;
}

std::vector<QString> RoadNames(const TRoadPath &path)
{
    std::vector<QString> names;
    for (const TRouteRoad &road : path.Roads)
        names.push_back(road.Name);
    return names;
}

int64_t Metres(double latitude1, double longitude1, double latitude2, double longitude2)
{
    return std::llround(GreatCircleKm(latitude1, longitude1, latitude2, longitude2) * 1000);
}

// A crossroads with a closed loop beside it, a separate road, and three cities.
TRoadNetworkData SmallGoodNetwork()
{
    return BuildRoadNetwork({Road("BR-001", {{-10, -50}, {-10, -49.9}, {-10, -49.8}}),
                             Road("SP-002", {{-10.1, -49.9}, {-10, -49.9}, {-9.9, -49.9}}, TRoadKind::State),
                             Road("", {{-9.9, -49.9}, {-9.9, -49.8}, {-9.8, -49.8}, {-9.9, -49.9}}, TRoadKind::Urban),
                             Road("BR-003", {{-12, -52}, {-12, -51.9}})},
                            {CityLine("A", -10.01, -50), CityLine("B", -9.95, -49.8), CityLine("C", -12, -51.95)});
}

QByteArray WithInt32(QByteArray bytes, int offset, int32_t value)
{
    qToLittleEndian(value, bytes.data() + offset);
    return bytes;
}

// Offsets of the header's counts.
constexpr int kPointCountAt = 16;
constexpr int kEdgeCountAt = 28;

struct THostileCase {
    const char *Name;
    std::function<QByteArray()> Bytes;
};

QByteArray Changed(const std::function<void(TRoadNetworkData &)> &change)
{
    TRoadNetworkData data = SmallGoodNetwork();
    change(data);
    return RoadNetworkBytes(data);
}

// Every way a network file can lie about itself.
const std::vector<THostileCase> &HostileCases()
{
    static const std::vector<THostileCase> cases = {
        {"empty file", [] { return QByteArray(); }},
        {"another kind of file", [] { QByteArray b = RoadNetworkBytes(SmallGoodNetwork()); b[0] = 'X'; return b; }},
        {"another version", [] { return WithInt32(RoadNetworkBytes(SmallGoodNetwork()), 8, 2); }},
        {"header cut short", [] { return RoadNetworkBytes(SmallGoodNetwork()).left(kNetworkHeaderBytes - 1); }},
        {"negative point count", [] { return WithInt32(RoadNetworkBytes(SmallGoodNetwork()), kPointCountAt, -1); }},
        {"point count beyond the limit", [] { return WithInt32(RoadNetworkBytes(SmallGoodNetwork()), kPointCountAt, kMaxNetworkPoints + 1); }},
        {"counts beyond the file", [] { return WithInt32(RoadNetworkBytes(SmallGoodNetwork()), kEdgeCountAt, 1 << 20); }},
        {"last section cut short", [] { return RoadNetworkBytes(SmallGoodNetwork()).chopped(1); }},
        {"bytes after the last section", [] { return RoadNetworkBytes(SmallGoodNetwork()) + "x"; }},
        {"more junctions than points", [] { return Changed([](auto &d) { d.JunctionCount = int32_t(d.Points.size()) + 1; }); }},
        {"point off the globe", [] { return Changed([](auto &d) { d.Points[1].Latitude = 91 * kNetworkUnitsPerDegree; }); }},
        {"road of an unknown kind", [] { return Changed([](auto &d) { d.Roads[0].Kind = TNetworkRoadKind(7); }); }},
        {"road text running past its section", [] {
             QByteArray b = RoadNetworkBytes(SmallGoodNetwork());
             ++b[kNetworkHeaderBytes + int(SmallGoodNetwork().Points.size()) * kNetworkPointBytes + 1];
             return b;
         }},
        {"edge to a junction that is not there", [] { return Changed([](auto &d) { d.Edges[0].To = d.JunctionCount; }); }},
        {"edge from a negative junction", [] { return Changed([](auto &d) { d.Edges[1].From = -1; }); }},
        {"edge of a road that is not there", [] { return Changed([](auto &d) { d.Edges[0].Road = int32_t(d.Roads.size()); }); }},
        {"edge of negative length", [] { return Changed([](auto &d) { d.Edges[0].Metres = -1; }); }},
        {"edge longer than the limit", [] { return Changed([](auto &d) { d.Edges[0].Metres = kMaxNetworkMetres + 1; }); }},
        {"shape points not those of the list", [] { return Changed([](auto &d) { ++d.Edges[0].InteriorCount; }); }},
        {"negative shape count balanced by another", [] {
             return Changed([](auto &d) { d.Edges[0].InteriorCount -= 1, d.Edges[1].InteriorCount += 1; });
         }},
        {"city joins out of order", [] { return Changed([](auto &d) { std::swap(d.CityJoins[0], d.CityJoins[1]); }); }},
        {"a city joined twice", [] { return Changed([](auto &d) { d.CityJoins[1].City = d.CityJoins[0].City; }); }},
        {"join to a point that is not there", [] {
             return Changed([](auto &d) { d.CityJoins[0].Joins.Nearest.Point = int32_t(d.Points.size()); });
         }},
        {"join of negative length", [] { return Changed([](auto &d) { d.CityJoins[2].Joins.Largest.Metres = -3; }); }},
    };
    return cases;
}

} // namespace

// Guards against a hostile network file crashing, reading out of bounds or holding what its
// header claims: each is refused naming the file, and a network loaded before is not kept
// half-replaced; a stream that cannot tell its size is refused the same way.
TEST(RoadNetworkLoad, RefusesEveryHostileFile)
{
    QTemporaryDir dir;
    const QString good = dir.filePath(QStringLiteral("good.net"));
    const QString hostile = dir.filePath(QStringLiteral("hostile.net"));
    WriteRoadNetworkFile(good, SmallGoodNetwork());
    for (const THostileCase &c : HostileCases()) {
        QFile file(hostile);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(c.Bytes());
        file.close();
        TRoadNetwork network;
        network.LoadFromFile(good);
        try {
            network.LoadFromFile(hostile);
            ADD_FAILURE() << c.Name << ": accepted";
        } catch (const TovralError &error) {
            EXPECT_TRUE(error.Message().contains(QDir::toNativeSeparators(hostile))) << c.Name << ": " << error.what();
        }
        EXPECT_TRUE(network.IsEmpty()) << c.Name;
        EXPECT_EQ(network.JoinPosition(-10, -50).Largest.Point, -1) << c.Name;

        QByteArray bytes = c.Bytes();
        TSequentialBuffer stream(&bytes);
        stream.open(QIODevice::ReadOnly);
        EXPECT_THROW(network.LoadFromStream(stream), TovralError) << c.Name;
    }
}

// Guards against the reader and the writer disagreeing on the layout: what is read writes
// back the same bytes, and a data folder without the file simply has no network.
TEST(RoadNetworkLoad, ReadsBackWhatWasWritten)
{
    QTemporaryDir dir;
    const QString path = dir.filePath(kRoadNetworkFileName);
    EXPECT_FALSE(LoadRoadNetworkIfPresent(path));
    const TRoadNetworkData data = SmallGoodNetwork();
    WriteRoadNetworkFile(path, data);
    const std::optional<TRoadNetwork> network = LoadRoadNetworkIfPresent(path);
    ASSERT_TRUE(network);
    EXPECT_EQ(RoadNetworkBytes(network->Data()), RoadNetworkBytes(data));
    EXPECT_EQ(network->PieceCount(), 2);
}

// Guards against the grid missing a nearer point in a cell it never looked at: for positions
// inside, beside and far outside a random network, the nearest point (of all, and of one
// piece) is the one a scan of every point finds.
TEST(RoadNetworkJoin, NearestPointIsThatOfAScanOfEveryPoint)
{
    std::mt19937 random(23);
    std::uniform_real_distribution<double> latitude(-12, -8), longitude(-52, -47);
    std::vector<TRoad> roads;
    for (int r = 0; r < 40; ++r) {
        TRoad road = Road("BR-100", {});
        for (int p = 0; p < 1 + r % 7; ++p)
            road.Line << QPointF(longitude(random), latitude(random));
        road.Line << road.Line.back() + QPointF(0.01, 0.01);
        roads.push_back(road);
    }
    const TRoadNetwork network = Network(roads);
    ASSERT_GT(network.PieceCount(), 1);
    const auto &points = network.Data().Points;
    std::uniform_real_distribution<double> around(-20, 5);
    for (int q = 0; q < 300; ++q) {
        const double lat = q < 200 ? latitude(random) : around(random);
        const double lon = q < 200 ? longitude(random) : -50 + around(random);
        for (const int32_t piece : {-1, network.LargestPiece(), q % network.PieceCount()}) {
            const long double shrink = std::cos(lat * std::numbers::pi_v<long double> / 180);
            int32_t nearest = -1;
            long double best = 0;
            for (int32_t p = 0; p < int32_t(points.size()); ++p) {
                if (piece >= 0 && network.PieceOf(p) != piece)
                    continue;
                const long double north = network.Latitude(p) - lat, east = (network.Longitude(p) - lon) * shrink;
                if (nearest < 0 || north * north + east * east < best)
                    nearest = p, best = north * north + east * east;
            }
            const TNetworkJoin join = network.NearestPoint(lat, lon, piece);
            EXPECT_EQ(join.Point, nearest) << lat << ' ' << lon << " piece " << piece;
            EXPECT_EQ(join.Metres, Metres(lat, lon, double(network.Latitude(nearest)), double(network.Longitude(nearest))));
        }
    }
}

// Guards against a search that stops at the first road found: a winding direct road loses to
// a detour of two roads, either way round, with the path's points from origin to destination.
TEST(ShortestRoadPath, TakesTheShorterDetour)
{
    const TRoadNetwork network =
        Network({Road("BR-001", {{-10, -50}, {-9.5, -49.75}, {-10.5, -49.5}, {-9.5, -49.25}, {-10, -49}}),
                 Road("BR-002", {{-10, -50}, {-10.2, -49.5}}), Road("BR-003", {{-10.2, -49.5}, {-10, -49}})});
    const int32_t a = PointAt(network, -10, -50), b = PointAt(network, -10, -49);
    const std::optional<TRoadPath> there = ShortestRoadPath(network, a, b);
    ASSERT_TRUE(there);
    EXPECT_EQ(RoadNames(*there), (std::vector<QString>{QStringLiteral("BR-002"), QStringLiteral("BR-003")}));
    EXPECT_NEAR(double(there->Metres), double(Metres(-10, -50, -10.2, -49.5) + Metres(-10.2, -49.5, -10, -49)), 1);
    ASSERT_EQ(there->Points.size(), 3u);
    EXPECT_EQ(double(there->Points.front().Longitude), -50);
    EXPECT_EQ(double(there->Points[1].Latitude), -10.2);
    EXPECT_EQ(double(there->Points.back().Longitude), -49);

    const std::optional<TRoadPath> back = ShortestRoadPath(network, b, a);
    ASSERT_TRUE(back);
    EXPECT_NEAR(double(back->Metres), double(there->Metres), 2);
    EXPECT_EQ(double(back->Points.front().Longitude), -49);
}

// Guards against ends inside an edge being treated as its junctions: two points on one
// road's shape are linked along it (either way), and a point inside an edge leaves by the
// nearer of its junctions.
TEST(ShortestRoadPath, EndsInsideOneEdge)
{
    const TRoadNetwork network =
        Network({Road("BR-004", {{-10, -50}, {-10, -49.9}, {-10, -49.8}, {-10, -49.7}, {-10, -49.6}, {-10, -49.5}}),
                 Road("BR-005", {{-10, -49.5}, {-9.8, -49.5}}), Road("BR-006", {{-10, -50}, {-10.2, -50}})});
    const int32_t p1 = PointAt(network, -10, -49.9), p3 = PointAt(network, -10, -49.7);
    for (const auto &[from, to] : {std::pair{p1, p3}, std::pair{p3, p1}}) {
        const std::optional<TRoadPath> path = ShortestRoadPath(network, from, to);
        ASSERT_TRUE(path);
        EXPECT_NEAR(double(path->Metres), double(Metres(-10, -49.9, -10, -49.7)), 2);
        EXPECT_EQ(path->Points.size(), 3u);
        EXPECT_EQ(RoadNames(*path), std::vector<QString>{QStringLiteral("BR-004")});
    }
    const std::optional<TRoadPath> out = ShortestRoadPath(network, PointAt(network, -10, -49.6), PointAt(network, -9.8, -49.5));
    ASSERT_TRUE(out);
    EXPECT_EQ(out->Points.size(), 3u);
    EXPECT_EQ(RoadNames(*out), (std::vector<QString>{QStringLiteral("BR-004"), QStringLiteral("BR-005")}));
}

// Guards against the roads list repeating a road at every junction it crosses, or merging
// two visits of one road with another between them; a road without a number is named by its
// kind.
TEST(ShortestRoadPath, MergesConsecutiveStretchesOfOneRoad)
{
    const TRoadNetwork network = Network(
        {Road("BR-010", {{-10, -50}, {-10, -49.9}, {-10, -49.8}, {-10, -49.7}}),
         Road("BR-020", {{-10.1, -49.9}, {-10, -49.9}, {-9.9, -49.9}}), Road("BR-030", {{-10.1, -49.8}, {-10, -49.8}}),
         Road("BR-010", {{-10, -49.7}, {-10.1, -49.7}}), Road("", {{-10.1, -49.7}, {-10.1, -49.6}}, TRoadKind::Urban),
         Road("BR-010", {{-10.1, -49.6}, {-10.1, -49.5}})});
    const std::optional<TRoadPath> straight = ShortestRoadPath(network, PointAt(network, -10, -50), PointAt(network, -10.1, -49.7));
    ASSERT_TRUE(straight);
    ASSERT_EQ(straight->Roads.size(), 1u);
    EXPECT_EQ(straight->Roads[0].Metres, straight->Metres);
    const std::optional<TRoadPath> broken = ShortestRoadPath(network, PointAt(network, -10, -50), PointAt(network, -10.1, -49.5));
    ASSERT_TRUE(broken);
    EXPECT_EQ(RoadNames(*broken), (std::vector<QString>{QStringLiteral("BR-010"), QStringLiteral("via urbana"),
                                                         QStringLiteral("BR-010")}));
}

// Guards against answers where the data has no road: points of two pieces have no path, and
// an empty network gives "no known road link" with the calculator's straight line still there.
TEST(ShortestRoadPath, NoPathBetweenPieces)
{
    const TRoadNetwork network = Network({Road("BR-001", {{-10, -50}, {-10, -49}}), Road("BR-002", {{-12, -50}, {-12, -49}})});
    EXPECT_FALSE(ShortestRoadPath(network, PointAt(network, -10, -50), PointAt(network, -12, -49)));

    const TRoadRoute route = RoadRouteBetweenRows(TRoadNetwork(), CityLine("A", -10, -50), CityLine("B", -12, -49));
    EXPECT_EQ(route.Status, TRoadRoute::TStatus::NoRoadLink);
    EXPECT_EQ(route.AirKm, *GreatCircleKm(FormatDMS(-10), FormatDMS(-50), FormatDMS(-12), FormatDMS(-49)));
    EXPECT_EQ(RoadRouteBetweenRows(network, QStringLiteral("XX\tA\t\t"), CityLine("B", -12, -49)).Status,
              TRoadRoute::TStatus::CityNotLocated);
}

// Guards against joins that hide how far a city lies from the roads: a join over 5 km is
// "fora da malha" and counts as off the network; two cities by a road apart from the largest
// piece are routed along it, a city by it and one by the largest piece over the largest piece.
TEST(RoadRoute, JoinsCitiesHonestly)
{
    const TRoadNetwork network =
        Network({Road("BR-001", {{-10, -50}, {-10, -49.5}, {-10, -49}, {-10, -48.5}}), Road("BR-002", {{-11, -50}, {-11, -49.5}})},
                {CityLine("NEAR", -10.03, -50), CityLine("FAR", -10.08, -49), CityLine("WEST", -11.01, -50),
                 CityLine("EAST", -11, -49.49)});
    const TRoadRoute main = RoadRouteBetweenRows(network, CityLine("NEAR", -10.03, -50), CityLine("FAR", -10.08, -49));
    ASSERT_EQ(main.Status, TRoadRoute::TStatus::Found);
    EXPECT_FALSE(main.Origin.OffNetwork());
    EXPECT_TRUE(main.Destination.OffNetwork());
    EXPECT_EQ(main.Destination.Join.Metres, Metres(-10.08, -49, -10, -49));
    EXPECT_EQ(main.OffNetworkKm(), main.Origin.JoinKm() + main.Destination.JoinKm());
    EXPECT_EQ(RoadNames(main.Path), std::vector<QString>{QStringLiteral("BR-001")});

    const TRoadRoute apart = RoadRouteBetweenRows(network, CityLine("WEST", -11.01, -50), CityLine("EAST", -11, -49.49));
    ASSERT_EQ(apart.Status, TRoadRoute::TStatus::Found);
    EXPECT_EQ(RoadNames(apart.Path), std::vector<QString>{QStringLiteral("BR-002")});
    const TRoadRoute across = RoadRouteBetweenRows(network, CityLine("WEST", -11.01, -50), CityLine("FAR", -10.08, -49));
    EXPECT_EQ(RoadNames(across.Path), std::vector<QString>{QStringLiteral("BR-001")});
    EXPECT_EQ(across.Origin.Join.Metres, Metres(-11.01, -50, -10, -50));
    // A row the file does not know (a catalogue edited by hand) is joined by its position.
    EXPECT_EQ(RoadRouteBetweenRows(network, CityLine("NEW", -10.03, -50.001), CityLine("FAR", -10.08, -49)).RoadKm(),
              main.RoadKm());
}

// Guards against a network file that depends on the order of the roads (threads, hash order):
// the same roads in another order give the same bytes.
TEST(BuildRoadNetwork, SameRoadsSameBytes)
{
    std::vector<TRoad> roads = {Road("BR-001", {{-10, -50}, {-10, -49.9}, {-10, -49.8}}),
                                Road("SP-002", {{-10.1, -49.9}, {-10, -49.9}, {-9.9, -49.9}}, TRoadKind::State),
                                Road("", {{-9.9, -49.9}, {-9.9, -49.8}, {-9.8, -49.8}, {-9.9, -49.9}}, TRoadKind::Urban),
                                Road("BR-001", {{-10, -49.8}, {-10, -49.9}})};
    const QStringList cities = {CityLine("A", -10.01, -50), CityLine("B", -9.95, -49.8)};
    const QByteArray bytes = RoadNetworkBytes(BuildRoadNetwork(roads, cities));
    std::reverse(roads.begin(), roads.end());
    EXPECT_EQ(RoadNetworkBytes(BuildRoadNetwork(roads, {cities[1], cities[0]})), bytes);
}
