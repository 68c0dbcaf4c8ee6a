// tovral-tool info FILE [--deep]: what a .map, .pts or road network (.net) file holds, and
// whether the viewer can use it. A .map whose index breaks the band layout the renderer relies on fails; --deep also
// decodes every tile and checks its size.
#include <QFileInfo>
#include <QtEndian>
#include <QTextStream>

#include "base/errors.h"
#include "mapdata/coordinates.h"
#include "mapdata/jpeg_codec.h"
#include "mapdata/map_image.h"
#include "mapdata/road_network.h"
#include "tools/tool_arguments.h"

namespace {

struct TBandCheck {
    int Bands = 0;
    QString Problem; // empty when the index follows the band layout
};

// Bands top to bottom, each from column 0 to the picture width without gaps, tiles of one
// band sharing Top and Bottom, listed left to right.
TBandCheck CheckBands(const TMapImage &map)
{
    const std::vector<TMapTile> &tiles = map.Tiles();
    TBandCheck check;
    int expectedTop = 0;
    size_t i = 0;
    while (i < tiles.size()) {
        const int top = tiles[i].Top;
        const int bottom = tiles[i].Bottom;
        ++check.Bands;
        if (top != expectedTop && check.Problem.isEmpty())
            check.Problem = QStringLiteral("tile %1 starts a band at row %2 where row %3 was expected")
                                .arg(i).arg(top).arg(expectedTop);
        int expectedLeft = 0;
        for (; i < tiles.size() && tiles[i].Top == top; ++i) {
            if (tiles[i].Bottom != bottom && check.Problem.isEmpty())
                check.Problem = QStringLiteral("tile %1 ends at row %2, unlike its band (row %3)")
                                    .arg(i).arg(tiles[i].Bottom).arg(bottom);
            if (tiles[i].Left != expectedLeft && check.Problem.isEmpty())
                check.Problem = QStringLiteral("tile %1 starts at column %2 where column %3 was expected")
                                    .arg(i).arg(tiles[i].Left).arg(expectedLeft);
            expectedLeft = tiles[i].Right;
        }
        if (expectedLeft != map.Width() && check.Problem.isEmpty())
            check.Problem = QStringLiteral("the band at row %1 ends at column %2, not at the width %3")
                                .arg(top).arg(expectedLeft).arg(map.Width());
        expectedTop = bottom;
    }
    if (expectedTop != map.Height() && check.Problem.isEmpty())
        check.Problem = QStringLiteral("the bands end at row %1, not at the height %2").arg(expectedTop).arg(map.Height());
    return check;
}

// Decodes every tile at its rectangle's size; the first failure is the problem.
QString CheckTilesDecode(const TMapImage &map)
{
    TJpegDecoder decoder;
    QImage picture;
    try {
        for (int i = 0; i < map.TileCount(); ++i)
            map.DecodeTile(i, decoder, picture);
    } catch (const TovralError &error) {
        return error.Message();
    }
    return QString();
}

int InfoMap(const TToolArguments &args, const QString &path)
{
    TMapImage map;
    map.LoadFromFile(path);
    const TBandCheck bands = CheckBands(map);
    QTextStream(stdout) << "map " << map.Width() << 'x' << map.Height() << " tiles " << map.TileCount()
                        << " bands " << bands.Bands << " data " << map.Data().size() << '\n';
    if (!bands.Problem.isEmpty())
        args.Fail(QStringLiteral("%1: %2").arg(path, bands.Problem));
    if (args.Flag(QStringLiteral("--deep")))
        if (const QString problem = CheckTilesDecode(map); !problem.isEmpty())
            args.Fail(problem);
    return 0;
}

int InfoPoints(const QString &path)
{
    TCoordinates coordinates;
    coordinates.LoadFromFile(path);
    QTextStream(stdout) << "pts " << coordinates.Count() << " points\n";
    return 0;
}

int InfoNetwork(const QString &path)
{
    TRoadNetwork network;
    network.LoadFromFile(path);
    const TRoadNetworkData &data = network.Data();
    QTextStream(stdout) << "net " << data.Points.size() << " points " << data.JunctionCount << " junctions "
                        << data.Edges.size() << " edges " << data.Roads.size() << " roads " << data.CityJoins.size()
                        << " city joins " << network.PieceCount() << " pieces, the largest "
                        << network.PiecePoints(network.LargestPiece()) << " points\n";
    return 0;
}

int RunInfo(const QStringList &arguments)
{
    const TToolArguments args(QStringLiteral("info"), arguments, {}, {QStringLiteral("--deep")});
    if (args.Positional.size() != 1)
        args.Fail(QStringLiteral("expected one .map, .pts or .net file"));
    const QString path = args.Positional[0];
    const QString suffix = QFileInfo(path).suffix().toLower();
    if (suffix == QLatin1String("map"))
        return InfoMap(args, path);
    if (suffix == QLatin1String("pts"))
        return InfoPoints(path);
    if (suffix == QLatin1String("net"))
        return InfoNetwork(path);
    args.Fail(QStringLiteral("%1: not a .map, .pts or .net file").arg(path));
}

} // namespace

TOOL_COMMAND("info", "info FILE [--deep]       what a .map, .pts or .net file holds; fails if the viewer would refuse it",
             RunInfo);
