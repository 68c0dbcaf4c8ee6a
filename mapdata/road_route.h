#pragma once

#include <QString>
#include <cstdint>
#include <optional>
#include <vector>

#include "mapdata/coordinates.h"
#include "mapdata/road_network.h"

// The shortest road path between two cities of the catalogue, over the road network.

// A join longer than this reaches its city "fora da malha" (off the network).
constexpr long double kOffNetworkKm = 5.0L;

// Texts of the road answer, shared by the viewer and tovral-tool.
extern const QString kNoRoadLinkText;  // "sem ligação rodoviária conhecida"
extern const QString kOffNetworkText;  // "fora da malha"

// A road's name in a route: its number, or for a road without one the name of its kind
// ("rodovia federal", "rodovia estadual", "via urbana").
QString RoadName(const TNetworkRoad &road);

// Consecutive stretches of one road along a path.
struct TRouteRoad {
    QString Name; // RoadName of the road
    TNetworkRoadKind Kind = TNetworkRoadKind::Federal;
    int64_t Metres = 0;
    long double Km() const { return Metres / 1000.0L; }
};

// A path along the network between two of its points.
struct TRoadPath {
    int64_t Metres = 0;
    // The roads in order; consecutive stretches with the same name and kind are one entry.
    std::vector<TRouteRoad> Roads;
    // The path's points from the first to the last (one point when both are the same).
    std::vector<TGeoPosition> Points;
};

// The shortest path between two points of the network (Dijkstra over the junctions, the two
// ends entering and leaving the edges they lie on); nothing when no road links them.
std::optional<TRoadPath> ShortestRoadPath(const TRoadNetwork &network, int32_t from, int32_t to);

// A catalogue city as a route may take it: its position and how it meets the network (the
// joins the file keeps for the position, or else those of TRoadNetwork::JoinPosition).
struct TRouteCity {
    TGeoPosition Position;
    TPositionJoins Joins;
};

// The city of a catalogue row (its coordinate texts, read as the calculator reads them);
// nothing when a text is missing or rejected.
std::optional<TRouteCity> RouteCityOfRow(const TRoadNetwork &network, const QString &row);

// An end of a route: the city and the join the route takes from it.
struct TRouteEnd {
    TGeoPosition Position;
    TNetworkJoin Join; // Point -1 when the network is empty
    long double JoinKm() const { return Join.Metres / 1000.0L; }
    bool OffNetwork() const { return JoinKm() > kOffNetworkKm; }
};

// The road answer for two catalogue rows. The route runs over the largest piece of the
// network, or over a smaller piece that is nearer than the largest one to both cities (two
// cities by a road the data holds apart from the rest, such as Manaus and Boa Vista).
struct TRoadRoute {
    enum class TStatus {
        Found,          // Path holds the shortest road path
        NoRoadLink,     // both cities are placed, but no known road links them
        CityNotLocated, // a row holds no usable position (kCityNotLocatedMessage)
    };
    TStatus Status = TStatus::CityNotLocated;
    // The straight line between the rows, exactly the calculator's distance.
    long double AirKm = 0;
    TRouteEnd Origin, Destination;
    // From the origin's join to the destination's join (Status Found only).
    TRoadPath Path;

    // Along the network, the joins left out.
    long double RoadKm() const { return Path.Metres / 1000.0L; }
    // The two joins, the part of the trip that no road of the network covers.
    long double OffNetworkKm() const { return Origin.JoinKm() + Destination.JoinKm(); }
};

TRoadRoute RoadRouteBetweenRows(const TRoadNetwork &network, const QString &originRow, const QString &destinationRow);
