#include "app/viewer_data.h"

#include "mapdata/app_path.h"

QString TViewerData::CityCataloguePath()
{
    return DataPath(QStringLiteral("txt/cidades.txt"));
}

void TViewerData::ReadCityCatalogue()
{
    FCityRows.Assign(ReadCatalogueLines(CityCataloguePath()));
}

void TViewerData::ReadStateCatalogue()
{
    FUFCatalogue.Load(ReadCatalogueLines(DataPath(QStringLiteral("txt/ufs.txt"))));
}
