#include "tools/mkdata/synthetic.h"

#include <cmath>

namespace {

QPolygonF Ring(std::initializer_list<QPointF> points)
{
    QPolygonF ring(points);
    ring << ring.front();
    return ring;
}

// A closed ring around a centre with a gently wavy edge, for the lake and the country.
QPolygonF WavyRing(QPointF centre, double radiusX, double radiusY, int corners)
{
    QPolygonF ring;
    for (int i = 0; i <= corners; ++i) {
        const double angle = 2 * M_PI * (i % corners) / corners;
        const double wobble = 1 + 0.12 * std::sin(3 * angle);
        ring << QPointF(centre.x() + radiusX * wobble * std::cos(angle), centre.y() + radiusY * wobble * std::sin(angle));
    }
    return ring;
}

struct TTownSeed {
    const char *UF;
    const char *Name;
    const char *Code;
    double Latitude, Longitude;
    bool Capital;
    long long Population;
};

const TTownSeed kTowns[] = {
    {"TA", "Vila Áurea", "9900101", -20.32, -44.55, true, 640000},
    {"TA", "São Tomé da Serra", "9900102", -20.71, -44.82, false, 48000},
    {"TA", "Açucena Velha", "9900103", -20.12, -44.21, false, 7200},
    {"TA", "Ribeirão Úmido", "9900104", -20.85, -44.30, false, 3100},
    {"TB", "Nova Esperança", "9900201", -20.40, -43.40, true, 210000},
    {"TB", "Lagoa do Cântaro", "9900202", -20.78, -43.65, false, 26000},
    {"TB", "Porto Ibiúna", "9900203", -20.10, -43.10, false, 12000},
    {"TC", "Três Corações do Sul", "9900301", -20.45, -42.45, true, 150000},
    {"TC", "Itaúna d'Oeste", "9900302", -20.15, -42.75, false, 5500},
    {"TC", "Pé de Serra", "9900303", -20.80, -42.20, false, 1800},
};

} // namespace

TGeodata SyntheticGeodata()
{
    TGeodata data;
    // Sorted by code, as the geodata folder lists them; the catalogue writer sorts by name.
    data.UFs = {{QStringLiteral("TA"), QStringLiteral("Tavira Alta")},
                {QStringLiteral("TB"), QStringLiteral("Terra Bonita")},
                {QStringLiteral("TC"), QStringLiteral("Três Cântaros")}};
    // Three states side by side sharing their border vertices; the east coast of TC is sea.
    const QPointF a(-45.1, -19.9), b(-44.0, -19.8), c(-43.0, -19.85), d(-42.0, -19.9);
    const QPointF e(-45.0, -21.1), f(-43.95, -21.2), g(-42.9, -21.15), h(-41.9, -21.1);
    const QPointF bMid(-44.05, -20.5), cMid(-42.95, -20.5);
    data.States.push_back({QStringLiteral("TA"), {{Ring({a, e, f, bMid, b})}}});
    data.States.push_back({QStringLiteral("TB"), {{Ring({b, bMid, f, g, cMid, c})}}});
    data.States.push_back({QStringLiteral("TC"), {{Ring({c, cMid, g, h, QPointF(-41.7, -20.5), d})}}});
    // A neighbouring country west of TA, touching its border.
    data.Countries.push_back({QStringLiteral("República Vizinha"), {{Ring({QPointF(-46.5, -19.5), a, e, QPointF(-46.5, -21.5)})}}});
    data.Lakes.push_back({5, {WavyRing(QPointF(-43.5, -20.2), 0.08, 0.05, 24)}});
    data.Rivers.push_back({QStringLiteral("Rio Claro"), 4,
                           QPolygonF({QPointF(-45.0, -21.0), QPointF(-44.4, -20.6), QPointF(-43.58, -20.22),
                                      QPointF(-42.8, -20.3), QPointF(-41.8, -20.4)})});
    data.Roads.push_back({QStringLiteral("BR-999"), TRoadKind::Federal, QStringLiteral("TA"),
                          QPolygonF({QPointF(-44.82, -20.71), QPointF(-44.55, -20.32), QPointF(-44.05, -20.36)})});
    data.Roads.push_back({QStringLiteral("BR-999"), TRoadKind::Federal, QStringLiteral("TB"),
                          QPolygonF({QPointF(-44.05, -20.36), QPointF(-43.40, -20.40), QPointF(-42.96, -20.44)})});
    data.Roads.push_back({QStringLiteral("BR-999"), TRoadKind::Federal, QStringLiteral("TC"),
                          QPolygonF({QPointF(-42.96, -20.44), QPointF(-42.45, -20.45), QPointF(-42.20, -20.80)})});
    data.Roads.push_back({QStringLiteral("TA-010"), TRoadKind::State, QStringLiteral("TA"),
                          QPolygonF({QPointF(-44.55, -20.32), QPointF(-44.21, -20.12)})});
    data.Roads.push_back({QStringLiteral("TB-020"), TRoadKind::State, QStringLiteral("TB"),
                          QPolygonF({QPointF(-43.40, -20.40), QPointF(-43.65, -20.78)})});
    data.Roads.push_back({QStringLiteral("TC-030"), TRoadKind::State, QStringLiteral("TC"),
                          QPolygonF({QPointF(-42.45, -20.45), QPointF(-42.75, -20.15)})});
    for (const TTownSeed &seed : kTowns)
        data.Municipalities.push_back({QString::fromLatin1(seed.Code), QString::fromUtf8(seed.Name),
                                       QString::fromLatin1(seed.UF), seed.Latitude, seed.Longitude, seed.Capital,
                                       seed.Population});
    return data;
}
