#include "tools/mkdata/catalogues.h"

#include <QDir>
#include <algorithm>
#include <cmath>

#include "base/errors.h"
#include "mapdata/catalogue.h"
#include "resources/symbols/map_symbols.h"
#include "tools/catalogue_writer.h"

QString FormatDMS(double degrees)
{
    const long long seconds = std::llrint(std::fabs(degrees) * 3600.0);
    const QString sign = degrees < 0 && seconds > 0 ? QStringLiteral("-") : QString();
    return sign + QStringLiteral("%1%2%3")
                      .arg(seconds / 3600, 3, 10, QLatin1Char('0'))
                      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'))
                      .arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

QStringList UFCatalogueLines(const std::vector<TUFName> &ufs)
{
    std::vector<TUFName> sorted = ufs;
    std::stable_sort(sorted.begin(), sorted.end(), [](const TUFName &a, const TUFName &b) {
        return CatalogueCompare(a.Name, b.Name) < 0;
    });
    QStringList lines;
    for (const TUFName &uf : sorted)
        lines << uf.Code + QLatin1Char('=') + uf.Name;
    return lines;
}

QString CityCatalogueLine(const TMunicipality &town)
{
    const int rank = MapStyle::TownRank(MapStyle::TownClassOf(town.Population), town.Capital);
    return QStringList{town.UF, town.Name, town.IbgeCode, QString::number(rank), FormatDMS(town.Latitude),
                       FormatDMS(town.Longitude)}
        .join(QLatin1Char('\t'));
}

QStringList CityCatalogueLines(const std::vector<TMunicipality> &towns)
{
    QStringList lines;
    for (const TMunicipality &town : towns)
        lines << CityCatalogueLine(town);
    return lines;
}

void WriteCatalogues(const QString &dataFolder, const TGeodata &data)
{
    const QDir folder(QDir(dataFolder).filePath(QStringLiteral("txt")));
    if (!QDir().mkpath(folder.path()))
        throw TovralError(QStringLiteral("Cannot create folder %1").arg(QDir::toNativeSeparators(folder.path())));
    WriteCatalogueFile(folder.filePath(QStringLiteral("ufs.txt")), UFCatalogueLines(data.UFs));
    WriteCatalogueFile(folder.filePath(QStringLiteral("cidades.txt")), CityCatalogueLines(data.Municipalities));
    if (!data.Sources.isEmpty())
        WriteCatalogueFile(QDir(dataFolder).filePath(kSourcesFile), {data.Sources});
}
