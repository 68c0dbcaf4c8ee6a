#include "mapdata/road_network.h"

#include <QFile>
#include <QIODevice>
#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <numeric>

#include "base/errors.h"
#include "mapdata/binary_reader.h"
#include "mapdata/data_file.h"
#include "mapdata/great_circle.h"

const QString kRoadNetworkFileName = QStringLiteral("rodovias.net");

namespace {

[[noreturn]] void ThrowInvalid(const QString &name, const QString &reason)
{
    throw TovralError(QStringLiteral("Invalid road network file %1: %2").arg(name, reason));
}

// ---------------------------------------------------------------------------------------
// Reading the file
// ---------------------------------------------------------------------------------------

// The sections of the file in order, with the header's counts checked against the limits and
// against the bytes that follow, so that nothing is held for data the file does not have.
class TNetworkFileReader {
public:
    TNetworkFileReader(QIODevice &stream) : FReader(stream), FName(StreamName(stream)) {}

    TRoadNetworkData Read()
    {
        const QByteArray header = FReader.Read(kNetworkHeaderBytes);
        const QByteArrayView magic(kNetworkMagic);
        if (header.size() < kNetworkHeaderBytes || !header.startsWith(magic))
            ThrowInvalid(FName, QStringLiteral("it is not a road network file"));
        const char *field = header.constData() + magic.size();
        const auto next = [&field] { const int32_t value = LittleEndianInt32(field); field += 4; return value; };
        const int32_t version = next();
        if (version != kNetworkVersion)
            ThrowInvalid(FName, QStringLiteral("version %1, this program reads version %2").arg(version).arg(kNetworkVersion));
        TRoadNetworkData data;
        data.JunctionCount = next();
        const int32_t pointCount = Count(next(), kMaxNetworkPoints, "points");
        const int32_t roadCount = Count(next(), kMaxNetworkRoads, "roads");
        const int32_t roadBytes = Count(next(), kMaxNetworkRoads * kNetworkRoadRecordMaxBytes, "bytes of roads");
        const int32_t edgeCount = Count(next(), kMaxNetworkEdges, "edges");
        const int32_t joinCount = Count(next(), kMaxNetworkCityJoins, "city joins");
        const qint64 sectionBytes = qint64(pointCount) * kNetworkPointBytes + roadBytes +
                                    qint64(edgeCount) * kNetworkEdgeBytes + qint64(joinCount) * kNetworkJoinBytes;
        const qint64 left = FReader.BytesLeft();
        if (left >= 0 && left != sectionBytes)
            ThrowInvalid(FName, QStringLiteral("its counts need %1 bytes after the header, the file has %2")
                                    .arg(sectionBytes).arg(left));

        const QByteArray points = Section(qint64(pointCount) * kNetworkPointBytes, "points");
        data.Points.resize(size_t(pointCount));
        for (int32_t i = 0; i < pointCount; ++i) {
            const char *record = points.constData() + qint64(i) * kNetworkPointBytes;
            data.Points[size_t(i)] = {LittleEndianInt32(record), LittleEndianInt32(record + 4)};
        }
        data.Roads = Roads(Section(roadBytes, "roads"), roadCount);
        const QByteArray edges = Section(qint64(edgeCount) * kNetworkEdgeBytes, "edges");
        data.Edges.resize(size_t(edgeCount));
        for (int32_t i = 0; i < edgeCount; ++i) {
            const char *record = edges.constData() + qint64(i) * kNetworkEdgeBytes;
            data.Edges[size_t(i)] = {LittleEndianInt32(record), LittleEndianInt32(record + 4),
                                     LittleEndianInt32(record + 8), LittleEndianInt32(record + 12),
                                     LittleEndianInt32(record + 16)};
        }
        const QByteArray joins = Section(qint64(joinCount) * kNetworkJoinBytes, "city joins");
        data.CityJoins.resize(size_t(joinCount));
        for (int32_t i = 0; i < joinCount; ++i) {
            const char *record = joins.constData() + qint64(i) * kNetworkJoinBytes;
            data.CityJoins[size_t(i)] = {{LittleEndianInt32(record), LittleEndianInt32(record + 4)},
                                         {{LittleEndianInt32(record + 8), LittleEndianInt32(record + 12)},
                                          {LittleEndianInt32(record + 16), LittleEndianInt32(record + 20)}}};
        }
        if (!FReader.Read(1).isEmpty())
            ThrowInvalid(FName, QStringLiteral("bytes follow its last section"));
        return data;
    }

    const QString &Name() const { return FName; }

private:
    int32_t Count(int32_t count, int32_t limit, const char *what) const
    {
        if (count < 0 || count > limit)
            ThrowInvalid(FName, QStringLiteral("%1 %2, not from 0 to %3").arg(count).arg(QLatin1String(what)).arg(limit));
        return count;
    }

    // The next bytes of a section; a stream that ends first is refused. A stream that cannot
    // tell its size is read in chunks, so memory grows only with the bytes that arrive.
    QByteArray Section(qint64 bytes, const char *what)
    {
        QByteArray section = FReader.Read(bytes);
        if (section.size() < bytes)
            ThrowInvalid(FName, QStringLiteral("the file ends inside its %1").arg(QLatin1String(what)));
        return section;
    }

    // Road records: kind byte, length byte, that many bytes of UTF-8 reference.
    std::vector<TNetworkRoad> Roads(const QByteArray &bytes, int32_t count) const
    {
        std::vector<TNetworkRoad> roads;
        roads.reserve(size_t(count));
        qsizetype at = 0;
        for (int32_t i = 0; i < count; ++i) {
            if (bytes.size() - at < 2)
                ThrowInvalid(FName, QStringLiteral("its roads section ends inside road %1").arg(i + 1));
            const auto kind = uint8_t(bytes[at]);
            const auto length = uint8_t(bytes[at + 1]);
            at += 2;
            if (bytes.size() - at < length)
                ThrowInvalid(FName, QStringLiteral("its roads section ends inside road %1").arg(i + 1));
            roads.push_back({QString::fromUtf8(bytes.constData() + at, length), TNetworkRoadKind(kind)});
            at += length;
        }
        if (at != bytes.size())
            ThrowInvalid(FName, QStringLiteral("its roads section holds bytes after the last road"));
        return roads;
    }

    TBinaryReader FReader;
    QString FName;
};

// ---------------------------------------------------------------------------------------
// Checks shared by the file and a network built in memory
// ---------------------------------------------------------------------------------------

bool IsPosition(const TNetworkPoint &point)
{
    return std::abs(int64_t(point.Latitude)) <= 90 * kNetworkUnitsPerDegree &&
           std::abs(int64_t(point.Longitude)) <= 180 * kNetworkUnitsPerDegree;
}

bool IsLength(int32_t metres)
{
    return metres >= 0 && metres <= kMaxNetworkMetres;
}

void CheckData(const TRoadNetworkData &data, const QString &name)
{
    if (data.Points.size() > size_t(kMaxNetworkPoints) || data.Edges.size() > size_t(kMaxNetworkEdges) ||
        data.Roads.size() > size_t(kMaxNetworkRoads) || data.CityJoins.size() > size_t(kMaxNetworkCityJoins))
        ThrowInvalid(name, QStringLiteral("it holds more than a network may hold"));
    const auto points = int32_t(data.Points.size());
    if (data.JunctionCount < 0 || data.JunctionCount > points)
        ThrowInvalid(name, QStringLiteral("%1 junctions among %2 points").arg(data.JunctionCount).arg(points));
    for (int32_t i = 0; i < points; ++i)
        if (!IsPosition(data.Points[size_t(i)]))
            ThrowInvalid(name, QStringLiteral("point %1 lies outside the globe").arg(i));
    for (size_t i = 0; i < data.Roads.size(); ++i)
        if (data.Roads[i].Kind > TNetworkRoadKind::Urban)
            ThrowInvalid(name, QStringLiteral("road %1 is of unknown kind %2").arg(i).arg(int(data.Roads[i].Kind)));
    const auto isJunction = [&data](int32_t index) { return index >= 0 && index < data.JunctionCount; };
    int64_t shapePoints = 0;
    for (size_t i = 0; i < data.Edges.size(); ++i) {
        const TNetworkEdge &edge = data.Edges[i];
        if (!isJunction(edge.From) || !isJunction(edge.To))
            ThrowInvalid(name, QStringLiteral("edge %1 joins %2 and %3, not two of the %4 junctions")
                                   .arg(i).arg(edge.From).arg(edge.To).arg(data.JunctionCount));
        if (edge.Road < 0 || size_t(edge.Road) >= data.Roads.size())
            ThrowInvalid(name, QStringLiteral("edge %1 names road %2 of %3").arg(i).arg(edge.Road).arg(data.Roads.size()));
        if (!IsLength(edge.Metres))
            ThrowInvalid(name, QStringLiteral("edge %1 is %2 m long").arg(i).arg(edge.Metres));
        if (edge.InteriorCount < 0)
            ThrowInvalid(name, QStringLiteral("edge %1 has %2 shape points").arg(i).arg(edge.InteriorCount));
        shapePoints += edge.InteriorCount;
    }
    if (shapePoints != int64_t(points) - data.JunctionCount)
        ThrowInvalid(name, QStringLiteral("its edges have %1 shape points, its point list %2")
                               .arg(shapePoints).arg(points - data.JunctionCount));
    for (size_t i = 0; i < data.CityJoins.size(); ++i) {
        const TNetworkCityJoin &join = data.CityJoins[i];
        if (i > 0 && !(data.CityJoins[i - 1].City < join.City))
            ThrowInvalid(name, QStringLiteral("city join %1 is out of order").arg(i));
        for (const TNetworkJoin &to : {join.Joins.Largest, join.Joins.Nearest})
            if (to.Point < 0 || to.Point >= points || !IsLength(to.Metres))
                ThrowInvalid(name, QStringLiteral("city join %1 names point %2 at %3 m").arg(i).arg(to.Point).arg(to.Metres));
    }
}

constexpr long double kRadiansPerDegree = std::numbers::pi_v<long double> / 180;

long double Degrees(int32_t units)
{
    return units / static_cast<long double>(kNetworkUnitsPerDegree);
}

// Disjoint sets of junctions, for the connected pieces.
class TJunctionSets {
public:
    explicit TJunctionSets(int32_t count) : FParent(size_t(count)) { std::iota(FParent.begin(), FParent.end(), 0); }
    int32_t Root(int32_t junction)
    {
        while (FParent[size_t(junction)] != junction)
            junction = FParent[size_t(junction)] = FParent[size_t(FParent[size_t(junction)])];
        return junction;
    }
    void Join(int32_t a, int32_t b)
    {
        a = Root(a), b = Root(b);
        if (a != b)
            FParent[size_t(std::max(a, b))] = std::min(a, b);
    }

private:
    std::vector<int32_t> FParent;
};

template <typename T>
size_t VectorBytes(const std::vector<T> &items)
{
    return items.capacity() * sizeof(T);
}

} // namespace

TCityPositionKey CityPositionKeyOf(long double latitude, long double longitude)
{
    return {int32_t(std::lrint(latitude * 3600)), int32_t(std::lrint(longitude * 3600))};
}

// ---------------------------------------------------------------------------------------
// TRoadNetwork
// ---------------------------------------------------------------------------------------

void TRoadNetwork::LoadFromFile(const QString &fileName)
{
    *this = TRoadNetwork();
    QFile file;
    OpenDataFile(file, fileName);
    LoadFromStream(file);
}

void TRoadNetwork::LoadFromStream(QIODevice &stream)
{
    *this = TRoadNetwork();
    TNetworkFileReader reader(stream);
    TRoadNetworkData data = reader.Read();
    CheckData(data, reader.Name());
    TRoadNetwork loaded;
    loaded.FData = std::move(data);
    loaded.Index();
    *this = std::move(loaded);
}

void TRoadNetwork::Assign(TRoadNetworkData data)
{
    *this = TRoadNetwork();
    CheckData(data, QStringLiteral("(memory)"));
    TRoadNetwork built;
    built.FData = std::move(data);
    built.Index();
    *this = std::move(built);
}

long double TRoadNetwork::Latitude(int32_t point) const
{
    return Degrees(FData.Points[size_t(point)].Latitude);
}

long double TRoadNetwork::Longitude(int32_t point) const
{
    return Degrees(FData.Points[size_t(point)].Longitude);
}

int32_t TRoadNetwork::EdgeOfInterior(int32_t point) const
{
    const auto after = std::upper_bound(FInteriorStart.begin(), FInteriorStart.end(), point);
    return int32_t(after - FInteriorStart.begin()) - 1;
}

void TRoadNetwork::Index()
{
    const size_t edges = FData.Edges.size();
    FInteriorStart.resize(edges + 1);
    FInteriorStart[0] = FData.JunctionCount;
    for (size_t e = 0; e < edges; ++e)
        FInteriorStart[e + 1] = FInteriorStart[e] + FData.Edges[e].InteriorCount;

    // Edges by junction, counted first and then placed.
    FAdjacencyStart.assign(size_t(FData.JunctionCount) + 1, 0);
    for (const TNetworkEdge &edge : FData.Edges)
        ++FAdjacencyStart[size_t(edge.From) + 1], ++FAdjacencyStart[size_t(edge.To) + 1];
    std::partial_sum(FAdjacencyStart.begin(), FAdjacencyStart.end(), FAdjacencyStart.begin());
    FAdjacentEdges.resize(2 * edges);
    std::vector<int32_t> filled(FAdjacencyStart.begin(), FAdjacencyStart.end() - 1);
    for (size_t e = 0; e < edges; ++e) {
        FAdjacentEdges[size_t(filled[size_t(FData.Edges[e].From)]++)] = int32_t(e);
        FAdjacentEdges[size_t(filled[size_t(FData.Edges[e].To)]++)] = int32_t(e);
    }
    IndexPieces();
    IndexGrid();
}

void TRoadNetwork::IndexPieces()
{
    TJunctionSets sets(FData.JunctionCount);
    for (const TNetworkEdge &edge : FData.Edges)
        sets.Join(edge.From, edge.To);
    // Pieces numbered in the order of their first junction; a piece's size is its points.
    FPointPiece.assign(FData.Points.size(), -1);
    for (int32_t j = 0; j < FData.JunctionCount; ++j) {
        const int32_t root = sets.Root(j);
        if (root == j) {
            FPointPiece[size_t(j)] = int32_t(FPiecePoints.size());
            FPiecePoints.push_back(0);
        } else {
            FPointPiece[size_t(j)] = FPointPiece[size_t(root)];
        }
    }
    for (size_t e = 0; e < FData.Edges.size(); ++e)
        std::fill(FPointPiece.begin() + FInteriorStart[e], FPointPiece.begin() + FInteriorStart[e + 1],
                  FPointPiece[size_t(FData.Edges[e].From)]);
    for (const int32_t piece : FPointPiece)
        ++FPiecePoints[size_t(piece)];
    FLargestPiece = FPiecePoints.empty()
                        ? -1
                        : int32_t(std::max_element(FPiecePoints.begin(), FPiecePoints.end()) - FPiecePoints.begin());
}

void TRoadNetwork::IndexGrid()
{
    const std::vector<TNetworkPoint> &points = FData.Points;
    if (points.empty())
        return;
    TNetworkPoint low = points[0], high = low;
    for (const TNetworkPoint &point : points) {
        low = {std::min(low.Latitude, point.Latitude), std::min(low.Longitude, point.Longitude)};
        high = {std::max(high.Latitude, point.Latitude), std::max(high.Longitude, point.Longitude)};
    }
    // About two points a cell; doubled until the cells are no more than twice the points.
    const int64_t latitudeSpan = int64_t(high.Latitude) - low.Latitude + 1;
    const int64_t longitudeSpan = int64_t(high.Longitude) - low.Longitude + 1;
    const auto count = int64_t(points.size());
    const auto targetCells = std::max<int64_t>(1, count / 2);
    int64_t cell = std::max<int64_t>(1, std::llround(std::sqrt(double(latitudeSpan) * double(longitudeSpan) / double(targetCells))));
    const auto cellsOf = [&](int64_t side) { return (latitudeSpan / side + 1) * (longitudeSpan / side + 1); };
    while (cellsOf(cell) > 2 * count + 16)
        cell *= 2;
    FGridOrigin = low;
    FGridCellUnits = int32_t(cell);
    FGridRows = int32_t(latitudeSpan / cell + 1);
    FGridColumns = int32_t(longitudeSpan / cell + 1);
    const auto cellOf = [&](const TNetworkPoint &point) {
        return size_t((int64_t(point.Latitude) - low.Latitude) / cell * FGridColumns +
                      (int64_t(point.Longitude) - low.Longitude) / cell);
    };
    FGridStart.assign(size_t(FGridRows) * size_t(FGridColumns) + 1, 0);
    for (const TNetworkPoint &point : points)
        ++FGridStart[cellOf(point) + 1];
    std::partial_sum(FGridStart.begin(), FGridStart.end(), FGridStart.begin());
    FGridPoints.resize(points.size());
    std::vector<int32_t> filled(FGridStart.begin(), FGridStart.end() - 1);
    for (size_t p = 0; p < points.size(); ++p)
        FGridPoints[size_t(filled[cellOf(points[p])]++)] = int32_t(p);
}

TPositionJoins TRoadNetwork::JoinPosition(long double latitude, long double longitude) const
{
    TPositionJoins joins;
    joins.Nearest = NearestPoint(latitude, longitude, -1);
    joins.Largest = joins.Nearest.Point >= 0 && PieceOf(joins.Nearest.Point) == FLargestPiece
                        ? joins.Nearest
                        : NearestPoint(latitude, longitude, FLargestPiece);
    return joins;
}

TNetworkJoin TRoadNetwork::NearestPoint(long double latitude, long double longitude, int32_t piece) const
{
    if (FGridPoints.empty() || !std::isfinite(latitude) || !std::isfinite(longitude))
        return {};
    const long double latitudeUnits = latitude * kNetworkUnitsPerDegree;
    const long double longitudeUnits = longitude * kNetworkUnitsPerDegree;
    const auto cellIndex = [this](long double units, int32_t origin, int32_t count) {
        const long double index = std::floor((units - origin) / FGridCellUnits);
        return int32_t(std::clamp<long double>(index, 0, count - 1));
    };
    const int32_t row = cellIndex(latitudeUnits, FGridOrigin.Latitude, FGridRows);
    const int32_t column = cellIndex(longitudeUnits, FGridOrigin.Longitude, FGridColumns);
    // Distances on the local plane, in units: a degree of longitude is cos(latitude) of one of
    // latitude there.
    const long double shrink = std::clamp(std::cos(latitude * kRadiansPerDegree), 0.0L, 1.0L);
    long double best = std::numeric_limits<long double>::infinity();
    int32_t nearest = -1;
    const auto visitCell = [&](int32_t r, int32_t c) {
        const size_t at = size_t(r) * size_t(FGridColumns) + size_t(c);
        for (int32_t i = FGridStart[at]; i < FGridStart[at + 1]; ++i) {
            const int32_t p = FGridPoints[size_t(i)];
            if (piece >= 0 && PieceOf(p) != piece)
                continue;
            const long double north = FData.Points[size_t(p)].Latitude - latitudeUnits;
            const long double east = (FData.Points[size_t(p)].Longitude - longitudeUnits) * shrink;
            const long double squared = north * north + east * east;
            if (squared < best || (squared == best && p < nearest))
                best = squared, nearest = p;
        }
    };
    // Rings of cells around the position's cell, until no unvisited cell can hold a nearer
    // point: after ring r every unvisited point is at least r cells away in one direction.
    for (int32_t ring = 0;; ++ring) {
        const int32_t top = row - ring, bottom = row + ring, left = column - ring, right = column + ring;
        for (int32_t r = std::max(top, 0); r <= std::min(bottom, FGridRows - 1); ++r) {
            if (r == top || r == bottom) {
                for (int32_t c = std::max(left, 0); c <= std::min(right, FGridColumns - 1); ++c)
                    visitCell(r, c);
                continue;
            }
            if (left >= 0)
                visitCell(r, left);
            if (right < FGridColumns)
                visitCell(r, right);
        }
        const long double reach = static_cast<long double>(ring) * FGridCellUnits * std::min(1.0L, shrink);
        const bool wholeGrid = top <= 0 && left <= 0 && bottom >= FGridRows - 1 && right >= FGridColumns - 1;
        if (wholeGrid || (nearest >= 0 && best < reach * reach))
            break;
    }
    if (nearest < 0)
        return {};
    const long double kilometres = GreatCircleKm(latitude, longitude, Latitude(nearest), Longitude(nearest));
    return {nearest, int32_t(std::min<long double>(std::lrint(kilometres * 1000), kMaxNetworkMetres))};
}

std::optional<TPositionJoins> TRoadNetwork::StoredJoins(const TCityPositionKey &city) const
{
    const auto &joins = FData.CityJoins;
    const auto found = std::lower_bound(joins.begin(), joins.end(), city,
                                        [](const TNetworkCityJoin &join, const TCityPositionKey &key) { return join.City < key; });
    if (found == joins.end() || found->City != city)
        return std::nullopt;
    return found->Joins;
}

size_t TRoadNetwork::HeldBytes() const
{
    size_t roadText = 0;
    for (const TNetworkRoad &road : FData.Roads)
        roadText += size_t(road.Reference.capacity()) * sizeof(QChar);
    return sizeof *this + VectorBytes(FData.Points) + VectorBytes(FData.Roads) + roadText + VectorBytes(FData.Edges) +
           VectorBytes(FData.CityJoins) + VectorBytes(FInteriorStart) + VectorBytes(FAdjacencyStart) +
           VectorBytes(FAdjacentEdges) + VectorBytes(FPointPiece) + VectorBytes(FPiecePoints) + VectorBytes(FGridStart) + VectorBytes(FGridPoints);
}

std::optional<TRoadNetwork> LoadRoadNetworkIfPresent(const QString &path)
{
    if (!QFile::exists(path))
        return std::nullopt;
    TRoadNetwork network;
    network.LoadFromFile(path);
    return network;
}
