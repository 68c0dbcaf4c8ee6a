// tovral-tool route IMG_FOLDER ORIGIN DESTINATION [--json] [--points]: the shortest road path
// between two cities of a data folder's catalogue ("São Paulo/SP"; the state may be left out
// when the name is in one state only), as text or as one JSON object.
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTextStream>
#include <set>

#include "mapdata/catalogue.h"
#include "mapdata/great_circle.h"
#include "mapdata/names.h"
#include "mapdata/road_route.h"
#include "tools/tool_arguments.h"

namespace {
const QString kCommand = QStringLiteral("route");

// A text without its accents: "São Tomé" -> "Sao Tome".
QString WithoutAccents(const QString &text)
{
    QString folded;
    for (const QChar c : text.normalized(QString::NormalizationForm_D))
        if (c.category() != QChar::Mark_NonSpacing)
            folded += c;
    return folded;
}

struct TCityName {
    QString Name;
    QString UF; // empty when not given
};

// "Name/UF" or "Name".
TCityName SplitCityName(const QString &text)
{
    const qsizetype slash = text.lastIndexOf(QLatin1Char('/'));
    const QString uf = TrimBlanks(text.mid(slash + 1));
    if (slash >= 0 && uf.size() == 2)
        return {TrimBlanks(text.left(slash)), UpperCase(uf)};
    return {TrimBlanks(text), QString()};
}

QString RowUF(const QString &row)
{
    return UpperCase(row.section(QLatin1Char('\t'), 0, 0));
}

// The row of a city: its name compared as the catalogue compares (letter case ignored), or
// failing that with the accents ignored too; among rows of one state the first in catalogue
// order. A name found in several states and no state given is an error listing them.
int FindCityRow(const TToolArguments &arguments, const TSortedStrings &rows, const QString &text)
{
    const TCityName wanted = SplitCityName(text);
    const auto matches = [&](const auto &same) {
        std::vector<int> found;
        for (int i = 0; i < rows.Count(); ++i)
            if ((wanted.UF.isEmpty() || RowUF(rows[i]) == wanted.UF) && same(RowCityName(rows[i])))
                found.push_back(i);
        return found;
    };
    std::vector<int> found = matches([&](const QString &name) { return CatalogueCompare(name, wanted.Name) == 0; });
    if (found.empty()) {
        const QString plain = WithoutAccents(wanted.Name);
        found = matches([&](const QString &name) { return CatalogueCompare(WithoutAccents(name), plain) == 0; });
    }
    if (found.empty())
        arguments.Fail(QStringLiteral("no city \"%1\" in the catalogue").arg(text));
    std::set<QString> states;
    for (const int row : found)
        states.insert(RowUF(rows[row]));
    if (states.size() > 1) {
        QStringList list(states.begin(), states.end());
        arguments.Fail(QStringLiteral("\"%1\" is a city of several states (%2): write it as \"%1/UF\"")
                           .arg(text, list.join(QStringLiteral(", "))));
    }
    return found.front();
}

// The city as the catalogue writes it: "São Paulo/SP".
QString CityLabel(const QString &row)
{
    return RowCityName(row) + QLatin1Char('/') + RowUF(row);
}

const char *KindName(TNetworkRoadKind kind)
{
    switch (kind) {
    case TNetworkRoadKind::Federal:
        return "federal";
    case TNetworkRoadKind::State:
        return "state";
    case TNetworkRoadKind::Urban:
        break;
    }
    return "urban";
}

QString JoinText(const QString &row, const TRouteEnd &city)
{
    QString text = QStringLiteral("%1 joins the network %2 km away").arg(CityLabel(row), KilometresText(city.JoinKm()));
    if (city.OffNetwork())
        text += QStringLiteral(" (%1)").arg(kOffNetworkText);
    return text;
}

void PrintText(const TRoadRoute &route, const QString &originRow, const QString &destinationRow)
{
    QTextStream out(stdout);
    out << CityLabel(originRow) << " -> " << CityLabel(destinationRow) << '\n';
    if (route.Status == TRoadRoute::TStatus::Found)
        out << "road: " << KilometresText(route.RoadKm()) << " km\n";
    else
        out << "road: " << kNoRoadLinkText << '\n';
    out << "straight line: " << KilometresText(route.AirKm) << " km\n";
    out << "off the network: " << KilometresText(route.OffNetworkKm()) << " km\n";
    out << "  " << JoinText(originRow, route.Origin) << '\n';
    out << "  " << JoinText(destinationRow, route.Destination) << '\n';
    if (route.Status != TRoadRoute::TStatus::Found)
        return;
    out << "roads:\n";
    for (const TRouteRoad &road : route.Path.Roads)
        out << "  " << road.Name << ' ' << KilometresText(road.Km()) << " km\n";
}

// Lengths measured along the network are whole metres: three decimals keep them exact.
double Km(long double kilometres)
{
    return std::round(double(kilometres) * 1000) / 1000;
}

QJsonObject CityJson(const QString &row, const TRouteEnd &city)
{
    return {{QStringLiteral("name"), RowCityName(row)},
            {QStringLiteral("uf"), RowUF(row)},
            {QStringLiteral("latitude"), double(city.Position.Latitude)},
            {QStringLiteral("longitude"), double(city.Position.Longitude)},
            {QStringLiteral("join_km"), Km(city.JoinKm())},
            {QStringLiteral("off_network"), city.OffNetwork()}};
}

void PrintJson(const TRoadRoute &route, const QString &originRow, const QString &destinationRow, bool points)
{
    const bool found = route.Status == TRoadRoute::TStatus::Found;
    QJsonObject answer{{QStringLiteral("origin"), CityJson(originRow, route.Origin)},
                       {QStringLiteral("destination"), CityJson(destinationRow, route.Destination)},
                       {QStringLiteral("status"), found ? QStringLiteral("found") : QStringLiteral("no_road_link")},
                       {QStringLiteral("road_km"), found ? QJsonValue(Km(route.RoadKm())) : QJsonValue()},
                       // The calculator's figure, with its two decimals.
                       {QStringLiteral("air_km"), KilometresText(route.AirKm).toDouble()},
                       {QStringLiteral("off_network_km"), Km(route.OffNetworkKm())}};
    QJsonArray roads;
    for (const TRouteRoad &road : route.Path.Roads)
        roads.append(QJsonObject{{QStringLiteral("ref"), road.Name},
                                 {QStringLiteral("kind"), QLatin1String(KindName(road.Kind))},
                                 {QStringLiteral("km"), Km(road.Km())}});
    answer.insert(QStringLiteral("roads"), roads);
    if (points) {
        QJsonArray line;
        for (const TGeoPosition &point : route.Path.Points)
            line.append(QJsonArray{double(point.Latitude), double(point.Longitude)});
        answer.insert(QStringLiteral("points"), line);
    }
    QTextStream(stdout) << QJsonDocument(answer).toJson(QJsonDocument::Compact) << '\n';
}

int RunRoute(const QStringList &list)
{
    const TToolArguments arguments(kCommand, list, {}, {QStringLiteral("--json"), QStringLiteral("--points")});
    if (arguments.Positional.size() != 3)
        arguments.Fail(QStringLiteral("expected IMG_FOLDER ORIGIN DESTINATION"));
    if (arguments.Flag(QStringLiteral("--points")) && !arguments.Flag(QStringLiteral("--json")))
        arguments.Fail(QStringLiteral("--points goes with --json"));
    const QDir folder(arguments.Positional[0]);
    TSortedStrings rows;
    rows.Assign(ReadCatalogueLines(folder.filePath(QStringLiteral("txt/cidades.txt"))));
    const QString originRow = rows[FindCityRow(arguments, rows, arguments.Positional[1])];
    const QString destinationRow = rows[FindCityRow(arguments, rows, arguments.Positional[2])];
    const std::optional<TRoadNetwork> network = LoadRoadNetworkIfPresent(folder.filePath(kRoadNetworkFileName));
    if (!network)
        arguments.Fail(QStringLiteral("the data folder %1 has no road network (%2)")
                           .arg(QDir::toNativeSeparators(folder.path()), kRoadNetworkFileName));
    const TRoadRoute route = RoadRouteBetweenRows(*network, originRow, destinationRow);
    if (route.Status == TRoadRoute::TStatus::CityNotLocated)
        arguments.Fail(kCityNotLocatedMessage);
    if (arguments.Flag(QStringLiteral("--json")))
        PrintJson(route, originRow, destinationRow, arguments.Flag(QStringLiteral("--points")));
    else
        PrintText(route, originRow, destinationRow);
    return 0;
}
} // namespace

TOOL_COMMAND("route", "route IMG_FOLDER ORIGIN DESTINATION [--json [--points]]  road path between two cities (\"Name/UF\")",
             RunRoute);
