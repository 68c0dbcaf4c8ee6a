#pragma once

// Builds a data folder: the two catalogues, the road network and, per state, the full map,
// the light map and the reference points.

#include <QString>
#include <QStringList>
#include <vector>

#include "tools/mkdata/geodata.h"

class TStateScene;

struct TStateBuildReport {
    QString UF;
    int Width = 0, Height = 0;
    double Seconds = 0;
};

// Draws a state's full and light scenes band by band into <uf>_full.map and <uf>_light.map,
// and writes <uf>.pts (the full map's reference grid), under folder.
void WriteStateFiles(const TStateScene &full, const TStateScene &light, const QString &folder);

// Writes the catalogues (every state and municipality), the road network of the whole
// country and the map files of the given states (all when states is empty), threads states
// at a time. megaPixels: see TStateScene.
// Throws TovralError for an unknown state code.
std::vector<TStateBuildReport> MakeDataFolder(const TGeodata &data, const QString &folder,
                                              const QStringList &states, int threads,
                                              double megaPixels = 0);
