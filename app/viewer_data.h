#pragma once

#include <QString>
#include <QStringList>

#include "mapdata/catalogue.h"
#include "mapdata/city_index.h"
#include "mapdata/road_network.h"

#include <optional>

// The catalogues the viewer's windows share, owned for the program's life by the entry's
// TViewerWindows and handed to the windows that use them: the city catalogue rows
// (img/txt/cidades.txt) and the state catalogue (img/txt/ufs.txt). Each is read as the window
// that shows it first is created (the map window the cities, the state picker the states),
// so that a catalogue that cannot be read is reported by that window, in creation order.
class TViewerData {
public:
    // Reads the city catalogue and indexes its cities for the search; on failure throws as
    // ReadCatalogueLines does and the rows and the index stay empty.
    void ReadCityCatalogue();
    // Where the city catalogue is read from: AppPath + img/txt/cidades.txt.
    static QString CityCataloguePath();
    // Reads the state catalogue; on failure throws as ReadCatalogueLines does and the
    // catalogue stays empty.
    void ReadStateCatalogue();

    // Every line of the city catalogue, sorted by the catalogue comparison.
    const TSortedStrings &CityRows() const { return FCityRows; }
    // The cities of every state, for finding one from a few typed letters.
    const TCityIndex &CityIndex() const { return FCityIndex; }
    // The state catalogue's lines in file order (FUFLines) and the sorted, duplicate-free
    // list of their first two characters in the file's letter case (FUFCodes).
    const TUFCatalogue &States() const { return FUFCatalogue; }
    const QStringList &FUFLines() const { return FUFCatalogue.Lines(); }
    // The code that follows code in the sorted code list, "" when code sorts last.
    QString NextUFCode(const QString &code) const { return FUFCatalogue.NextUFCode(code); }
    // The line of the state catalogue whose block of city rows holds row: the state whose
    // city list shows that city. -1 when no state's block holds it.
    int StateLineOfCityRow(int row) const;

    // The data folder's road network (img/rodovias.net), read on first use and kept; nullptr
    // when the folder has none. A file that cannot be used throws TovralError naming it the
    // first time, and is unusable from then on (nullptr, RoadNetworkUnusable), so that it is
    // reported once.
    const TRoadNetwork *RoadNetwork() const;
    bool RoadNetworkUnusable() const { return FRoadNetworkUnusable; }

private:
    TSortedStrings FCityRows;
    TCityIndex FCityIndex;
    TUFCatalogue FUFCatalogue;
    // Read on first use, by a const window: the network is part of the data, not of its state.
    mutable bool FRoadNetworkRead = false;
    mutable bool FRoadNetworkUnusable = false;
    mutable std::optional<TRoadNetwork> FRoadNetwork;
};
