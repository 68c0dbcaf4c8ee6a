#include "app/viewer_data.h"

#include "mapdata/app_path.h"

void TViewerData::ReadCityCatalogue()
{
    FCityRows.Assign(ReadCatalogueLines(DataPath(QStringLiteral("txt/cidades.txt"))));
}

void TViewerData::ReadStateCatalogue()
{
    FUFCatalogue.Load(ReadCatalogueLines(DataPath(QStringLiteral("txt/ufs.txt"))));
}
