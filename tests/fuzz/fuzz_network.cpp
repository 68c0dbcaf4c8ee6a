// The road network loader on arbitrary bytes, then joins and shortest paths over what it
// accepted.
#include <QBuffer>

#include "fuzz_input.h"
#include "base/errors.h"
#include "mapdata/road_route.h"

namespace {

void CheckPath(const TRoadNetwork &network, int32_t from, int32_t to)
{
    const std::optional<TRoadPath> path = ShortestRoadPath(network, from, to);
    if (!path) {
        FuzzCheck(network.PieceOf(from) != network.PieceOf(to), "a path between points of one piece");
        return;
    }
    int64_t roads = 0;
    for (const TRouteRoad &road : path->Roads)
        roads += road.Metres;
    FuzzCheck(path->Metres >= 0 && roads == path->Metres, "the roads add up to the path");
    FuzzCheck(!path->Points.empty(), "a path has points");
    FuzzCheck(path->Points.front().Latitude == network.Latitude(from) &&
                  path->Points.back().Longitude == network.Longitude(to),
              "a path runs from its first point to its last");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray file(reinterpret_cast<const char *>(data), qsizetype(size));
    QBuffer buffer(&file);
    buffer.open(QIODevice::ReadOnly);
    TRoadNetwork network;
    try {
        network.LoadFromStream(buffer);
    } catch (const TovralError &) {
        FuzzCheck(network.IsEmpty(), "a refused file leaves no network");
        return 0;
    }
    const auto points = int32_t(network.Data().Points.size());
    for (const auto &[latitude, longitude] : {std::pair{-15.5L, -47.5L}, std::pair{89.9L, 179.0L}, std::pair{-90.0L, -180.0L}}) {
        const TPositionJoins joins = network.JoinPosition(latitude, longitude);
        FuzzCheck((joins.Nearest.Point < 0) == (points == 0) && (joins.Largest.Point < 0) == (points == 0),
                  "a network with points joins every position");
    }
    if (points > 0) {
        CheckPath(network, 0, points - 1);
        CheckPath(network, points / 2, points / 3);
    }
    for (const TNetworkCityJoin &city : network.Data().CityJoins) {
        CheckPath(network, city.Joins.Largest.Point, city.Joins.Nearest.Point);
        break;
    }
    return 0;
}
