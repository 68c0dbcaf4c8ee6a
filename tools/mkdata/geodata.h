#pragma once

// The public geodata the sample data folder is drawn from, read into memory: municipalities,
// states, the national outline, neighbouring countries, rivers, lakes and roads. Positions
// are longitude (x) and latitude (y) in decimal degrees.

#include <QPolygonF>
#include <QRectF>
#include <QString>
#include <vector>

struct TMunicipality {
    QString IbgeCode;
    QString Name;
    QString UF;
    double Latitude = 0;
    double Longitude = 0;
    bool Capital = false;
    long long Population = 0; // 0 when unknown
};

struct TUFName {
    QString Code; // two letters, upper case
    QString Name; // with accents
};

// A polygon: its exterior ring first, then its holes.
using TPolygon = std::vector<QPolygonF>;

struct TStateArea {
    QString UF;
    std::vector<TPolygon> Parts;
};

enum class TRoadKind { Federal, State, Urban };

struct TRoad {
    QString Reference; // "BR-116", "SP-330"; empty for urban expressways
    TRoadKind Kind = TRoadKind::Federal;
    QString UF;
    QPolygonF Line;
};

struct TRiver {
    QString Name;
    int Importance = 10; // 0 = most important
    QPolygonF Line;
};

struct TLake {
    int Importance = 10;
    TPolygon Area;
};

struct TCountry {
    QString Name; // Portuguese, as the maps letter it
    std::vector<TPolygon> Parts;
};

struct TGeodata {
    std::vector<TUFName> UFs;
    std::vector<TMunicipality> Municipalities;
    std::vector<TStateArea> States;
    std::vector<TCountry> Countries; // the neighbouring countries, Brazil excluded
    std::vector<TRiver> Rivers;
    std::vector<TLake> Lakes;
    std::vector<TRoad> Roads;
    // Who must be credited for these layers, in one line of Portuguese; "" for data made up
    // in code.
    QString Sources;

    const TStateArea *StateArea(const QString &uf) const;
    const TUFName *UFName(const QString &uf) const;
};

// Reads the geodata folder (municipalities.csv, ufs.csv, states.geojson, countries.geojson,
// rivers.geojson, lakes.geojson, roads.geojson). A missing or malformed file raises a
// TovralError naming it.
TGeodata ReadGeodata(const QString &folder);

// The separate readers, for tests and for the synthetic folder.
std::vector<TMunicipality> ReadMunicipalitiesCsv(const QString &path);
std::vector<TUFName> ReadUFsCsv(const QString &path);

// Bounding box of polygons (x = longitude, y = latitude).
QRectF BoundsOf(const TPolygon &polygon);
