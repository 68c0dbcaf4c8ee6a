#include "tests/app/test_data_folder.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QRect>
#include <QtEndian>
#include <cmath>

#include "mapdata/map_image.h"
#include "tools/catalogue_writer.h"
#include "tools/map_writer.h"
#include "tools/pts_writer.h"

QColor RampColour(QPoint point, QSize size, int blue)
{
    const int red = size.width() > 1 ? point.x() * 255 / (size.width() - 1) : 0;
    const int green = size.height() > 1 ? point.y() * 255 / (size.height() - 1) : 0;
    return QColor(red, green, blue);
}

namespace {
void WriteRampMap(const QString &path, QSize size, int blue)
{
    TMapWriter writer(size.width(), size.height());
    // Each band starts where the one before ended (the next band's height is known only
    // once this one is added).
    for (int top = 0, height = writer.NextBandHeight(); height > 0; top += height, height = writer.NextBandHeight()) {
        QImage band(size.width(), height, QImage::Format_RGB888);
        for (int y = 0; y < band.height(); ++y) {
            uchar *line = band.scanLine(y);
            for (int x = 0; x < band.width(); ++x) {
                const QColor colour = RampColour({x, top + y}, size, blue);
                line[3 * x] = uchar(colour.red());
                line[3 * x + 1] = uchar(colour.green());
                line[3 * x + 2] = uchar(colour.blue());
            }
        }
        writer.AddBand(band);
    }
    writer.Save(path);
}

// Reference points on a regular grid: one degree of longitude and of latitude per tenth of
// the map, starting at 50 W, 20 S at the top-left corner.
void WriteGridPts(const QString &path, QSize size)
{
    std::vector<TCoordinateItem> items;
    for (int row = 0; row <= 10; ++row)
        for (int column = 0; column <= 10; ++column) {
            TCoordinateItem item;
            item.Longitude = -50.0L + column;
            item.Latitude = -20.0L - row;
            item.X = column * (size.width() - 1) / 10;
            item.Y = row * (size.height() - 1) / 10;
            items.push_back(item);
        }
    WritePtsFile(path, items);
}

void WriteState(const QString &imgFolder, const TSyntheticState &state)
{
    if (state.FullSize.isEmpty())
        return;
    const QSize lightSize(int(std::lrintl(state.FullSize.width() * state.LightRatio)),
                          int(std::lrintl(state.FullSize.height() * state.LightRatio)));
    WriteRampMap(imgFolder + state.FileStem + QStringLiteral("_light.map"), lightSize, kLightMapBlue);
    WriteRampMap(imgFolder + state.FileStem + QStringLiteral("_full.map"), state.FullSize, kFullMapBlue);
    if (state.WithPts)
        WriteGridPts(imgFolder + state.FileStem + QStringLiteral(".pts"), state.FullSize);
}
} // namespace

void WriteDataFolder(const QString &folder, const QStringList &ufLines, const QStringList &cityRows,
                     const std::vector<TSyntheticState> &states)
{
    const QString imgFolder = folder + QStringLiteral("/img/");
    QDir().mkpath(imgFolder + QStringLiteral("txt"));
    WriteCatalogueFile(imgFolder + QStringLiteral("txt/ufs.txt"), ufLines);
    WriteCatalogueFile(imgFolder + QStringLiteral("txt/cidades.txt"), cityRows);
    for (const TSyntheticState &state : states)
        WriteState(imgFolder, state);
}

void WriteStandardTestFolder(const QString &folder)
{
    const QStringList ufLines = {
        QStringLiteral("AM=Amazonas"),
        QStringLiteral("sp=São Paulo"),
        QStringLiteral("RJ=Rio de Janeiro"),
        QStringLiteral("MG=Minas Gerais"),
    };
    // Unsorted, as a catalogue may be; mixed letter case in codes and names.
    const QStringList cityRows = {
        QStringLiteral("SP\tSÃO PAULO\t-233250\t-463810"),
        QStringLiteral("RJ\tRIO DE JANEIRO\t-225410\t-431230"),
        QStringLiteral("sp\tCampinas\t-225420\t-470340"),
        QStringLiteral("MG\tBELO HORIZONTE\t-195500\t-435620"),
        QStringLiteral("SP\tSANTOS\t-235700\t-461950"),
        QStringLiteral("SP\tsantos\t-235700\t-461950"),
        QStringLiteral("RR\tBOA VISTA\t024910\t-604030"),
        QStringLiteral("AM\tMANAUS\t-030600\t-600130"),
        QStringLiteral("SP\tSÃO BENTO DO SAPUCAÍ\t-224120\t-454350"),
        QStringLiteral("RJ\tNITERÓI\t-225300\t-430620"),
        QStringLiteral("SP\tZACARIAS\t-210300\t-500320"),
    };
    WriteDataFolder(folder, ufLines, cityRows,
                    {
                        {QStringLiteral("sp"), QSize(2400, 1200)},
                        {QStringLiteral("mg"), QSize(300, 900)},
                        {QStringLiteral("rj"), QSize(400, 300), 0.4L, false},
                    });
}

void WriteLargeTestFolder(const QString &folder, QSize fullSize)
{
    WriteDataFolder(folder, {QStringLiteral("SP=São Paulo")},
                    {QStringLiteral("SP\tSÃO PAULO\t-233250\t-463810")},
                    {{QStringLiteral("sp"), fullSize}});
}

void CorruptTile(const QString &mapPath, QPoint mapPixel)
{
    QFile file(mapPath);
    if (!file.open(QIODevice::ReadWrite))
        return;
    QByteArray bytes = file.readAll();
    const auto int32At = [&bytes](qsizetype at) { return qFromLittleEndian<qint32>(bytes.constData() + at); };
    // The header (index size, width, height), the index, the data size, then the data block.
    const qint32 indexBytes = int32At(0);
    const qsizetype dataStart = 16 + indexBytes;
    for (qsizetype record = 12; record < 12 + indexBytes; record += kMapTileBytes) {
        const QRect tile(QPoint(int32At(record), int32At(record + 4)),
                         QPoint(int32At(record + 8) - 1, int32At(record + 12) - 1));
        if (!tile.contains(mapPixel))
            continue;
        const qsizetype entry = dataStart + int32At(record + 16);
        const qint32 length = int32At(entry);
        bytes.replace(entry + 4, length, QByteArray(length, 'X'));
        file.seek(0);
        file.write(bytes);
        return;
    }
}
