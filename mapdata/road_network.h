#pragma once

#include <QString>
#include <compare>
#include <cstdint>
#include <optional>
#include <vector>

class QIODevice;

// The road network of the whole country (img/rodovias.net): the points of every road, the
// junctions between them, the roads' numbers and kinds, and where each catalogue city joins
// the network. Written by tovral-tool mkdata, read by the route search.

// The name of the network file inside the data folder.
extern const QString kRoadNetworkFileName;

enum class TNetworkRoadKind : uint8_t { Federal = 0, State = 1, Urban = 2 };

// A position in fixed point: hundred-thousandths of a degree (about 1 m), negative south
// and west.
struct TNetworkPoint {
    int32_t Latitude = 0;
    int32_t Longitude = 0;
    friend bool operator==(const TNetworkPoint &, const TNetworkPoint &) = default;
};
constexpr int32_t kNetworkUnitsPerDegree = 100000;

struct TNetworkRoad {
    QString Reference; // "BR-116", "SP-330"; empty for a road without a number
    TNetworkRoadKind Kind = TNetworkRoadKind::Federal;
};

// A stretch of one road between two junctions. Its shape points (those between From and To,
// in order from From) follow the junctions in the point list, edge after edge.
struct TNetworkEdge {
    int32_t From = 0;          // junction index
    int32_t To = 0;            // junction index
    int32_t Metres = 0;        // length along the stretch
    int32_t InteriorCount = 0; // shape points between From and To
    int32_t Road = 0;          // index into the roads
};

// A city's catalogue position in whole arc seconds, as its row's coordinate texts give it:
// the key under which the file keeps the city's join, whatever order the catalogue is in.
struct TCityPositionKey {
    int32_t LatitudeSeconds = 0;
    int32_t LongitudeSeconds = 0;
    friend auto operator<=>(const TCityPositionKey &, const TCityPositionKey &) = default;
};

// Where a position meets the network: a point of the network and the straight-line length
// from the position to it.
struct TNetworkJoin {
    int32_t Point = -1; // -1: the network has no point to join
    int32_t Metres = 0;
};

// The two ways a position meets the network. Routes run over the largest connected piece;
// the nearest point of all tells when a position lies by a smaller piece (a road the data has
// only in part, or a region without a road to the rest), over which two positions that both
// lie by it can still be routed.
struct TPositionJoins {
    TNetworkJoin Largest; // the nearest point of the largest piece
    TNetworkJoin Nearest; // the nearest point of any piece (Largest when that is the nearest)
};

// The key of a position in decimal degrees, rounded to the nearest second.
TCityPositionKey CityPositionKeyOf(long double latitude, long double longitude);

struct TNetworkCityJoin {
    TCityPositionKey City;
    TPositionJoins Joins;
};

// The network as the file holds it.
struct TRoadNetworkData {
    // Junctions first (JunctionCount of them), then the shape points of each edge in turn.
    std::vector<TNetworkPoint> Points;
    int32_t JunctionCount = 0;
    std::vector<TNetworkRoad> Roads;
    std::vector<TNetworkEdge> Edges;
    // In ascending order of City, each city once.
    std::vector<TNetworkCityJoin> CityJoins;
};

// Limits of a network file: the country's network has about 100,000 points, 5,000 edges, 900
// roads and 5,600 city positions; a file beyond these is refused before anything is held.
constexpr int32_t kMaxNetworkPoints = 1 << 21;
constexpr int32_t kMaxNetworkEdges = 1 << 21;
constexpr int32_t kMaxNetworkRoads = 1 << 16;
constexpr int32_t kMaxNetworkCityJoins = 1 << 16;
// The longest edge or join, a little more than half the earth's circumference.
constexpr int32_t kMaxNetworkMetres = 21000000;

// The file, all little-endian: the magic, int32 version, then the int32 counts of junctions,
// points, roads, bytes of roads, edges and city joins; then the sections in that order:
// points (int32 latitude, longitude), roads (kind byte, length byte, UTF-8 reference), edges
// (int32 From, To, Metres, InteriorCount, Road) and city joins (int32 latitude seconds,
// longitude seconds, then point and metres of the join to the largest piece and of the join
// to the nearest point). The file ends with the last section.
constexpr char kNetworkMagic[] = "RODOVIAS";
constexpr int32_t kNetworkVersion = 1;
constexpr int kNetworkHeaderBytes = 8 + 7 * 4;
constexpr int kNetworkPointBytes = 8;
constexpr int kNetworkRoadRecordMaxBytes = 2 + 255;
constexpr int kNetworkEdgeBytes = 20;
constexpr int kNetworkJoinBytes = 24;

// The loaded network with what the route search needs besides: each edge's first shape
// point, the edges at each junction, the connected pieces and a grid of the points for joining
// positions to the network.
class TRoadNetwork {
public:
    // Throws TovralError naming the file when it cannot be opened, is not a network file or
    // breaks any rule of the format; the network is then left empty.
    void LoadFromFile(const QString &fileName);
    void LoadFromStream(QIODevice &stream);
    // Takes a network built in memory, under the same checks (the error names "(memory)").
    void Assign(TRoadNetworkData data);

    const TRoadNetworkData &Data() const { return FData; }
    bool IsEmpty() const { return FData.Points.empty(); }
    int32_t JunctionCount() const { return FData.JunctionCount; }
    const TNetworkEdge &Edge(int32_t edge) const { return FData.Edges[size_t(edge)]; }
    // Latitude and longitude of a point in decimal degrees.
    long double Latitude(int32_t point) const;
    long double Longitude(int32_t point) const;

    // Index of the first shape point of an edge; the shape points of edge e are
    // [InteriorStart(e), InteriorStart(e + 1)).
    int32_t InteriorStart(int32_t edge) const { return FInteriorStart[size_t(edge)]; }
    // The edge whose shape a non-junction point belongs to.
    int32_t EdgeOfInterior(int32_t point) const;
    // The edges that start or end at a junction (an edge from a junction to itself twice).
    const int32_t *EdgesAtBegin(int32_t junction) const { return FAdjacentEdges.data() + FAdjacencyStart[size_t(junction)]; }
    const int32_t *EdgesAtEnd(int32_t junction) const { return FAdjacentEdges.data() + FAdjacencyStart[size_t(junction) + 1]; }
    // The connected piece of a point; points of different pieces have no road between them.
    int32_t PieceOf(int32_t point) const { return FPointPiece[size_t(point)]; }
    int32_t PieceCount() const { return int32_t(FPiecePoints.size()); }
    // The piece with the most points (the lowest numbered of equals); -1 without points.
    int32_t LargestPiece() const { return FLargestPiece; }
    int64_t PiecePoints(int32_t piece) const { return piece < 0 ? 0 : FPiecePoints[size_t(piece)]; }

    // The point nearest to a position (decimal degrees), of the given piece or (piece -1) of
    // any, with the calculator's straight-line length to it; Point -1 when there is none.
    // "Nearest" is measured on the local plane (longitude shrunk by the position's cosine of
    // latitude); ties go to the lower point index.
    TNetworkJoin NearestPoint(long double latitude, long double longitude, int32_t piece = -1) const;
    // The nearest point of all and the nearest of the largest piece.
    TPositionJoins JoinPosition(long double latitude, long double longitude) const;
    // The joins the file keeps for a city position, if any.
    std::optional<TPositionJoins> StoredJoins(const TCityPositionKey &city) const;

    // Bytes held by the loaded structures (for the benchmarks).
    size_t HeldBytes() const;

private:
    void Index();
    void IndexPieces();
    void IndexGrid();

    TRoadNetworkData FData;
    std::vector<int32_t> FInteriorStart;  // EdgeCount + 1 entries
    std::vector<int32_t> FAdjacencyStart; // JunctionCount + 1 entries
    std::vector<int32_t> FAdjacentEdges;
    std::vector<int32_t> FPointPiece;
    std::vector<int64_t> FPiecePoints;
    int32_t FLargestPiece = -1;
    // Grid over all points: cell (row, column) holds the points
    // FGridPoints[FGridStart[row * FGridColumns + column] ...] of its square.
    TNetworkPoint FGridOrigin;
    int32_t FGridCellUnits = 1;
    int32_t FGridRows = 0, FGridColumns = 0;
    std::vector<int32_t> FGridStart;
    std::vector<int32_t> FGridPoints;
};

// The network of a data folder's file, or nothing when there is no file at path: a folder
// without a network works as before, only the road answer is unavailable. Throws like
// LoadFromFile for a file that is there but cannot be used.
std::optional<TRoadNetwork> LoadRoadNetworkIfPresent(const QString &path);
