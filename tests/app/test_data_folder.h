#pragma once

#include <QColor>
#include <QPoint>
#include <QSize>
#include <QString>
#include <QStringList>
#include <vector>

// Synthetic data folders for the viewer's tests and benchmarks. The map pictures are colour
// ramps: red grows with x, green with y, so a view pixel tells which map point it shows;
// the blue channel tells the two maps apart (high on the full map, low on the light map).

inline constexpr int kFullMapBlue = 220;
inline constexpr int kLightMapBlue = 30;

// Colour of the map point (x, y) of a map of the given size and blue channel.
QColor RampColour(QPoint point, QSize size, int blue);

struct TSyntheticState {
    QString FileStem;  // lower-case code: <stem>_light.map, <stem>_full.map, <stem>.pts
    QSize FullSize;    // empty: no map files at all
    long double LightRatio = 0.4L;
    bool WithPts = true;
};

// Writes <folder>/img/txt/ufs.txt, <folder>/img/txt/cidades.txt and each state's files.
void WriteDataFolder(const QString &folder, const QStringList &ufLines, const QStringList &cityRows,
                     const std::vector<TSyntheticState> &states);

// The tests' standard folder: the states (file order) "AM=Amazonas", "sp=São Paulo",
// "RJ=Rio de Janeiro", "MG=Minas Gerais"; SP has a 2400 x 1200 full map, MG a tall
// 300 x 900 one, RJ its maps but no .pts file, AM no files.
void WriteStandardTestFolder(const QString &folder);

// Replaces the JPEG stream of the tile of a .map file that covers mapPixel by bytes that are
// no JPEG: the file still loads, and drawing that tile fails.
void CorruptTile(const QString &mapPath, QPoint mapPixel);

// A folder with one large state, "SP", for benchmarks and manual runs.
void WriteLargeTestFolder(const QString &folder, QSize fullSize);
