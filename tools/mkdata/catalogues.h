#pragma once

// The two text catalogues of the data folder, built from the geodata.

#include <QString>
#include <QStringList>
#include <vector>

#include "tools/mkdata/geodata.h"

// A coordinate as the catalogue writes it: sign, degrees zero-padded to three digits,
// minutes and seconds of two digits each, rounded to the nearest second ("-0234512").
QString FormatDMS(double degrees);

// "SP=São Paulo" lines, in alphabetical order of the state names.
QStringList UFCatalogueLines(const std::vector<TUFName> &ufs);
// Code TAB name TAB IBGE code TAB town rank TAB latitude TAB longitude, one line per
// municipality. The town rank is the weight of the town's symbol on the maps (MapStyle::TownRank:
// 0 to 4 by population, 5 for the state capital); search results rank by it.
QString CityCatalogueLine(const TMunicipality &town);
QStringList CityCatalogueLines(const std::vector<TMunicipality> &towns);

// Writes img/txt/ufs.txt and img/txt/cidades.txt under the data folder, and the credit line
// (kSourcesFile) when the geodata names its sources.
void WriteCatalogues(const QString &dataFolder, const TGeodata &data);
