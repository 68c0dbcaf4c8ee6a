#include "tools/road_network_writer.h"

#include "base/errors.h"
#include "mapdata/output_file.h"
#include "tools/binary_writer.h"

QByteArray RoadNetworkBytes(const TRoadNetworkData &data)
{
    QByteArray roads;
    for (const TNetworkRoad &road : data.Roads) {
        const QByteArray reference = road.Reference.toUtf8();
        if (reference.size() > 255)
            throw TovralError(QStringLiteral("Road reference too long for a network file: %1").arg(road.Reference));
        roads += char(road.Kind);
        roads += char(reference.size());
        roads += reference;
    }
    QByteArray bytes(kNetworkMagic);
    AppendInt32(bytes, kNetworkVersion);
    for (const qsizetype count : {qsizetype(data.JunctionCount), qsizetype(data.Points.size()),
                                  qsizetype(data.Roads.size()), roads.size(), qsizetype(data.Edges.size()),
                                  qsizetype(data.CityJoins.size())})
        AppendInt32(bytes, int32_t(count));
    for (const TNetworkPoint &point : data.Points) {
        AppendInt32(bytes, point.Latitude);
        AppendInt32(bytes, point.Longitude);
    }
    bytes += roads;
    for (const TNetworkEdge &edge : data.Edges)
        for (const int32_t field : {edge.From, edge.To, edge.Metres, edge.InteriorCount, edge.Road})
            AppendInt32(bytes, field);
    for (const TNetworkCityJoin &join : data.CityJoins)
        for (const int32_t field : {join.City.LatitudeSeconds, join.City.LongitudeSeconds, join.Joins.Largest.Point,
                                    join.Joins.Largest.Metres, join.Joins.Nearest.Point, join.Joins.Nearest.Metres})
            AppendInt32(bytes, field);
    return bytes;
}

void WriteRoadNetworkFile(const QString &path, const TRoadNetworkData &data)
{
    TOutputFile file(path);
    file.Write(RoadNetworkBytes(data));
    file.Commit();
}
