#include "app/viewer_data.h"

#include "mapdata/app_path.h"

QString TViewerData::CityCataloguePath()
{
    return DataPath(QStringLiteral("txt/cidades.txt"));
}

void TViewerData::ReadCityCatalogue()
{
    FCityRows.Assign(ReadCatalogueLines(CityCataloguePath()));
    FCityIndex = TCityIndex(FCityRows);
}

void TViewerData::ReadStateCatalogue()
{
    FUFCatalogue.Load(ReadCatalogueLines(DataPath(QStringLiteral("txt/ufs.txt"))));
}

int TViewerData::StateLineOfCityRow(int row) const
{
    for (int line = 0; line < FUFCatalogue.Lines().size(); ++line) {
        const QString code = FUFCatalogue.CodeOf(line);
        const TCityBlock block = StateCityBlock(FCityRows, code, NextUFCode(code));
        if (row >= block.First && row < block.End)
            return line;
    }
    return -1;
}

const TRoadNetwork *TViewerData::RoadNetwork() const
{
    if (!FRoadNetworkRead) {
        FRoadNetworkRead = true;
        FRoadNetworkUnusable = true; // until the file has been read
        FRoadNetwork = LoadRoadNetworkIfPresent(DataPath(kRoadNetworkFileName));
        FRoadNetworkUnusable = false;
    }
    return FRoadNetwork ? &*FRoadNetwork : nullptr;
}
