// Writes the starting corpus of every fuzz target into <folder>/<target>/: small valid files
// made with the data-folder writers and the map tests' picture helpers, plus a few inputs near
// the readers' limits.
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cstdio>

#include "mapdata/catalogue.h"
#include "map_test_support.h"
#include "tools/catalogue_writer.h"
#include "tools/map_writer.h"
#include "tools/pts_writer.h"
#include "tools/road_network_writer.h"

namespace {

class TSeedFolder {
public:
    TSeedFolder(const QString &root, const QString &target) : FPath(QDir(root).filePath(target))
    {
        QDir().mkpath(FPath);
    }

    void Add(const QByteArray &bytes)
    {
        QFile file(QDir(FPath).filePath(QStringLiteral("seed-%1").arg(FCount++)));
        if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) {
            std::fprintf(stderr, "cannot write %s\n", qPrintable(file.fileName()));
            std::exit(1);
        }
    }

private:
    QString FPath;
    int FCount = 0;
};

QByteArray ReadWhole(const QString &path)
{
    QFile file(path);
    file.open(QIODevice::ReadOnly);
    return file.readAll();
}

void MapSeeds(TSeedFolder &seeds, const QTemporaryDir &scratch)
{
    const QString path = scratch.filePath(QStringLiteral("seed.map"));
    WriteMapFile(TestPicture(40, 30), path, 20, 40);
    seeds.Add(ReadWhole(path));
    WriteMapFile(TestPicture(23, 9), path, 8, 30);
    seeds.Add(ReadWhole(path));
    WriteMapFile(TestPicture(1, 1), path, 256, 50);
    seeds.Add(ReadWhole(path));
    // Tiles that are not square, and one tile whose entry is no JPEG stream.
    seeds.Add(GridMap(TestPicture(30, 20), 17, 7, 30).Bytes());
    seeds.Add(GridMap(TestPicture(16, 16), 8, 8, 30, {2}).Bytes());
    // Tiles that all share one stream (a fair way to write identical tiles), and the same
    // layout just beyond the limits on the picture's area and on a tile's side.
    TRawMap shared = GridMap(TestPicture(32, 16), 8, 8, 30);
    for (TMapTile &tile : shared.Tiles)
        tile.Offset = 0;
    seeds.Add(shared.Bytes());
    TRawMap vast = shared;
    vast.Width = kMaxTileSide * 4;
    vast.Height = int32_t(kMaxMapPixels / vast.Width + 1);
    seeds.Add(vast.Bytes());
    TRawMap wideTile = shared;
    wideTile.Width = wideTile.Tiles[0].Right = kMaxTileSide + 1;
    seeds.Add(wideTile.Bytes());
}

void PtsSeeds(TSeedFolder &seeds, const QTemporaryDir &scratch)
{
    const QString path = scratch.filePath(QStringLiteral("seed.pts"));
    std::vector<TCoordinateItem> grid;
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column)
            grid.push_back({-50.0L + column, -20.0L - row, 100 * column, 100 * row});
    WritePtsFile(path, grid);
    seeds.Add(ReadWhole(path));
    // Four points in the stored order of a parallel written backwards, with one duplicate.
    WritePtsFile(path, {{-49, -20, 100, 100}, {-50, -20, 10, 100}, {-50, -21, 0, 200}, {-50, -21, 0, 200}});
    seeds.Add(ReadWhole(path));
    WritePtsFile(path, {});
    seeds.Add(ReadWhole(path));
}

// Networks with junctions, shape points, a closed loop, a separate piece and city joins.
void NetworkSeeds(TSeedFolder &seeds)
{
    TRoadNetworkData network;
    network.Points = {{-1000000, -5000000}, {-1000000, -4980000}, {-1200000, -5200000}, {-1200000, -5190000},
                      {-1000000, -4990000}, {-990000, -4985000}, {-995000, -4970000}, {-990000, -4975000}};
    network.JunctionCount = 4;
    network.Roads = {{QStringLiteral("BR-001"), TNetworkRoadKind::Federal}, {QString(), TNetworkRoadKind::Urban},
                     {QStringLiteral("SP-002"), TNetworkRoadKind::State}};
    network.Edges = {{0, 1, 23100, 2, 0}, {1, 1, 4700, 2, 1}, {2, 3, 1100, 0, 2}};
    network.CityJoins = {{{-43200, -180000}, {{0, 0}, {0, 0}}}, {{-36000, -179990}, {{4, 1200}, {6, 900}}}};
    seeds.Add(RoadNetworkBytes(network));
    network.CityJoins.clear();
    network.Points.resize(6);
    network.Edges = {{0, 1, 23100, 2, 0}};
    seeds.Add(RoadNetworkBytes(network));
    seeds.Add(RoadNetworkBytes({}));
}

// A catalogue input: one byte with the state catalogue's length, the state catalogue, then the
// city catalogue, both as the catalogue writer writes them.
void CatalogueSeeds(TSeedFolder &seeds, const QTemporaryDir &scratch)
{
    const QString ufPath = scratch.filePath(QStringLiteral("ufs.txt"));
    const QString cityPath = scratch.filePath(QStringLiteral("cidades.txt"));
    const auto add = [&](const QStringList &states, const QStringList &cities) {
        WriteCatalogueFile(ufPath, states);
        WriteCatalogueFile(cityPath, cities);
        const QByteArray ufBytes = ReadWhole(ufPath).left(255);
        seeds.Add(char(ufBytes.size()) + ufBytes + ReadWhole(cityPath));
    };
    add({QStringLiteral("SP=São Paulo"), QStringLiteral("rj=Rio de Janeiro"), QStringLiteral("MG")},
        {QStringLiteral("SP\tSÃO PAULO\t-233250\t-463800"), QStringLiteral("sp\tCampinas\tx\t-225420\t-470340"),
         QStringLiteral("RJ\tRIO DE JANEIRO\t-225410\t-431230"), QStringLiteral("MG\tSão João del-Rei\t-210810\t-441540"),
         QStringLiteral("MG\tSÃO JOÃO DEL-REI\t-210810"), QStringLiteral("ZZ\tnowhere")});
    add({QStringLiteral("AC = Acre"), QStringLiteral("AC=Acre again")},
        {QStringLiteral("AC\tRIO BRANCO\t-095830\t-674836"), QString(), QStringLiteral("AC\t\t\t")});
}

void NameSeeds(TSeedFolder &seeds)
{
    for (const char *text : {"RIO DE JANEIRO", "S\xC3O JO\xC3O DEL-REI", "D'OESTE", "-0464512", " 123456 ",
                             "12AB56", "+0464512", "--", "a-b c"})
        seeds.Add(QByteArray(text));
}

// A resampler input: source width and height, destination width and height, kernel, support
// choice, source format, then pixels.
void ResampleSeeds(TSeedFolder &seeds)
{
    const QByteArray pixels = QByteArray("\x00\xff\x10\x80\x7f\x01\xfe\x40", 8).repeated(16);
    for (const QByteArray &sizes : {QByteArray("\x10\x0c\x28\x1e\x05\x00\x00", 7), QByteArray("\x20\x20\x0b\x09\x06\x00\x01", 7),
                                    QByteArray("\x01\x02\x05\x07\x00\x00\x02", 7), QByteArray("\x04\x0a\x0a\x1f\x03\x0e\x00", 7)})
        seeds.Add(sizes + pixels);
}

} // namespace

int main(int argc, char **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <corpus folder>\n");
        return 2;
    }
    const QString root = QString::fromLocal8Bit(argv[1]);
    QTemporaryDir scratch;
    TSeedFolder map(root, QStringLiteral("fuzz_map")), pts(root, QStringLiteral("fuzz_pts")),
        network(root, QStringLiteral("fuzz_network")), catalogue(root, QStringLiteral("fuzz_catalogue")),
        names(root, QStringLiteral("fuzz_names")), resample(root, QStringLiteral("fuzz_resample"));
    MapSeeds(map, scratch);
    PtsSeeds(pts, scratch);
    NetworkSeeds(network);
    CatalogueSeeds(catalogue, scratch);
    NameSeeds(names);
    ResampleSeeds(resample);
    return 0;
}
