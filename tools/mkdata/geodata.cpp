#include "tools/mkdata/geodata.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <functional>

#include "base/errors.h"

namespace {

QByteArray ReadWholeFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        throw TovralError(QStringLiteral("Cannot open file %1").arg(QDir::toNativeSeparators(path)));
    return file.readAll();
}

[[noreturn]] void Malformed(const QString &path, const QString &what)
{
    throw TovralError(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), what));
}

// A CSV reader for the simple files of the geodata folder: comma-separated, fields may be
// quoted with '"' (a doubled quote inside stands for one quote), UTF-8.
QStringList SplitCsvLine(const QString &line)
{
    QStringList fields;
    QString field;
    bool quoted = false;
    for (int i = 0; i < line.size(); ++i) {
        const QChar c = line[i];
        if (quoted) {
            if (c == QLatin1Char('"')) {
                if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"'))
                    field += c, ++i;
                else
                    quoted = false;
            } else {
                field += c;
            }
        } else if (c == QLatin1Char('"')) {
            quoted = true;
        } else if (c == QLatin1Char(',')) {
            fields << field;
            field.clear();
        } else {
            field += c;
        }
    }
    fields << field;
    return fields;
}

// Rows of a CSV file as maps from the header's column names to the fields; every listed
// column must be present.
std::vector<QStringList> ReadCsvRows(const QString &path, const QStringList &columns,
                                     std::vector<int> &columnIndex)
{
    const QString text = QString::fromUtf8(ReadWholeFile(path));
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString &line : lines)
        if (line.endsWith(QLatin1Char('\r')))
            line.chop(1);
    while (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    if (lines.isEmpty())
        Malformed(path, QStringLiteral("the file is empty"));
    const QStringList header = SplitCsvLine(lines[0]);
    columnIndex.clear();
    for (const QString &column : columns) {
        const int index = header.indexOf(column);
        if (index < 0)
            Malformed(path, QStringLiteral("the header has no column '%1'").arg(column));
        columnIndex.push_back(index);
    }
    std::vector<QStringList> rows;
    for (int n = 1; n < lines.size(); ++n) {
        QStringList fields = SplitCsvLine(lines[n]);
        if (fields.size() != header.size())
            Malformed(path, QStringLiteral("line %1 has %2 fields, the header %3")
                                .arg(n + 1).arg(fields.size()).arg(header.size()));
        rows.push_back(std::move(fields));
    }
    return rows;
}

double ParseNumber(const QString &path, int line, const QString &text, const char *what)
{
    bool ok = false;
    const double value = text.toDouble(&ok);
    if (!ok)
        Malformed(path, QStringLiteral("line %1: %2 '%3' is not a number").arg(line).arg(QLatin1String(what), text));
    return value;
}

QJsonArray ReadFeatures(const QString &path)
{
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(ReadWholeFile(path), &error);
    if (document.isNull())
        Malformed(path, QStringLiteral("not valid JSON (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
    const QJsonValue features = document.object().value(QStringLiteral("features"));
    if (!features.isArray())
        Malformed(path, QStringLiteral("not a GeoJSON feature collection"));
    return features.toArray();
}

QPolygonF ReadPositions(const QString &path, int feature, const QJsonValue &value)
{
    if (!value.isArray())
        Malformed(path, QStringLiteral("feature %1: coordinates are not a list of positions").arg(feature));
    const QJsonArray positions = value.toArray();
    QPolygonF line;
    line.reserve(positions.size());
    for (const QJsonValue &position : positions) {
        const QJsonArray pair = position.toArray();
        if (pair.size() < 2 || !pair[0].isDouble() || !pair[1].isDouble())
            Malformed(path, QStringLiteral("feature %1: a position is not [longitude, latitude]").arg(feature));
        line << QPointF(pair[0].toDouble(), pair[1].toDouble());
    }
    if (line.size() < 2)
        Malformed(path, QStringLiteral("feature %1: a line or ring has fewer than two positions").arg(feature));
    return line;
}

TPolygon ReadPolygon(const QString &path, int feature, const QJsonValue &value)
{
    TPolygon polygon;
    for (const QJsonValue &ring : value.toArray())
        polygon.push_back(ReadPositions(path, feature, ring));
    if (polygon.empty())
        Malformed(path, QStringLiteral("feature %1: a polygon without rings").arg(feature));
    return polygon;
}

QJsonObject Geometry(const QString &path, int feature, const QJsonObject &object)
{
    const QJsonObject geometry = object.value(QStringLiteral("geometry")).toObject();
    if (!geometry.value(QStringLiteral("coordinates")).isArray())
        Malformed(path, QStringLiteral("feature %1 has no geometry coordinates").arg(feature));
    return geometry;
}

// The polygons of a Polygon or MultiPolygon feature.
std::vector<TPolygon> ReadAreas(const QString &path, int feature, const QJsonObject &object)
{
    const QJsonObject geometry = Geometry(path, feature, object);
    const QString type = geometry.value(QStringLiteral("type")).toString();
    const QJsonArray coordinates = geometry.value(QStringLiteral("coordinates")).toArray();
    std::vector<TPolygon> parts;
    if (type == QLatin1String("Polygon"))
        parts.push_back(ReadPolygon(path, feature, coordinates));
    else if (type == QLatin1String("MultiPolygon"))
        for (const QJsonValue &polygon : coordinates)
            parts.push_back(ReadPolygon(path, feature, polygon));
    else
        Malformed(path, QStringLiteral("feature %1 is a %2, not a polygon").arg(feature).arg(type));
    return parts;
}

// The lines of a LineString or MultiLineString feature.
std::vector<QPolygonF> ReadLines(const QString &path, int feature, const QJsonObject &object)
{
    const QJsonObject geometry = Geometry(path, feature, object);
    const QString type = geometry.value(QStringLiteral("type")).toString();
    const QJsonArray coordinates = geometry.value(QStringLiteral("coordinates")).toArray();
    std::vector<QPolygonF> lines;
    if (type == QLatin1String("LineString"))
        lines.push_back(ReadPositions(path, feature, coordinates));
    else if (type == QLatin1String("MultiLineString"))
        for (const QJsonValue &line : coordinates)
            lines.push_back(ReadPositions(path, feature, line));
    else
        Malformed(path, QStringLiteral("feature %1 is a %2, not a line").arg(feature).arg(type));
    return lines;
}

QString Property(const QString &path, int feature, const QJsonObject &object, const char *name)
{
    const QJsonValue value = object.value(QStringLiteral("properties")).toObject().value(QLatin1String(name));
    if (!value.isString())
        Malformed(path, QStringLiteral("feature %1 has no text property '%2'").arg(feature).arg(QLatin1String(name)));
    return value.toString();
}

int Importance(const QJsonObject &object)
{
    return int(object.value(QStringLiteral("properties")).toObject().value(QStringLiteral("scalerank")).toDouble(10));
}

void ForEachFeature(const QString &path, const std::function<void(int, const QJsonObject &)> &read)
{
    const QJsonArray features = ReadFeatures(path);
    for (int i = 0; i < features.size(); ++i)
        read(i + 1, features[i].toObject());
}

TRoadKind RoadKindOf(const QString &path, int feature, const QString &kind)
{
    if (kind == QLatin1String("federal"))
        return TRoadKind::Federal;
    if (kind == QLatin1String("state"))
        return TRoadKind::State;
    if (kind == QLatin1String("urban"))
        return TRoadKind::Urban;
    Malformed(path, QStringLiteral("feature %1: unknown road kind '%2'").arg(feature).arg(kind));
}

// The Portuguese names of the countries a state map can show; others keep their own name.
QString CountryName(const QString &iso, const QString &name)
{
    static const std::pair<const char *, const char *> names[] = {
        {"ARG", "Argentina"}, {"BOL", "Bolívia"}, {"COL", "Colômbia"}, {"ECU", "Equador"},
        {"FRA", "Guiana Francesa"}, {"GUY", "Guiana"}, {"PER", "Peru"}, {"PRY", "Paraguai"},
        {"SUR", "Suriname"}, {"URY", "Uruguai"}, {"VEN", "Venezuela"}, {"CHL", "Chile"},
    };
    for (const auto &[code, portuguese] : names)
        if (iso == QLatin1String(code))
            return QString::fromUtf8(portuguese);
    return name;
}

} // namespace

const TStateArea *TGeodata::StateArea(const QString &uf) const
{
    for (const TStateArea &state : States)
        if (state.UF == uf)
            return &state;
    return nullptr;
}

const TUFName *TGeodata::UFName(const QString &uf) const
{
    for (const TUFName &name : UFs)
        if (name.Code == uf)
            return &name;
    return nullptr;
}

std::vector<TMunicipality> ReadMunicipalitiesCsv(const QString &path)
{
    std::vector<int> at;
    const auto rows = ReadCsvRows(path, {QStringLiteral("ibge_code"), QStringLiteral("name"), QStringLiteral("uf"),
                                         QStringLiteral("lat"), QStringLiteral("lon"), QStringLiteral("capital"),
                                         QStringLiteral("population")}, at);
    std::vector<TMunicipality> municipalities;
    int line = 1;
    for (const QStringList &row : rows) {
        ++line;
        TMunicipality town;
        town.IbgeCode = row[at[0]];
        town.Name = row[at[1]].trimmed();
        town.UF = row[at[2]].trimmed().toUpper();
        town.Latitude = ParseNumber(path, line, row[at[3]], "latitude");
        town.Longitude = ParseNumber(path, line, row[at[4]], "longitude");
        town.Capital = row[at[5]].trimmed() == QLatin1String("1");
        if (!row[at[6]].trimmed().isEmpty())
            town.Population = (long long)ParseNumber(path, line, row[at[6]], "population");
        if (town.Name.isEmpty() || town.Name.contains(QLatin1Char('\t')) || town.UF.size() != 2)
            Malformed(path, QStringLiteral("line %1: a municipality needs a name without TAB and a two-letter UF").arg(line));
        if (std::abs(town.Latitude) > 90 || std::abs(town.Longitude) > 180)
            Malformed(path, QStringLiteral("line %1: position out of range").arg(line));
        municipalities.push_back(town);
    }
    if (municipalities.empty())
        Malformed(path, QStringLiteral("no municipalities"));
    return municipalities;
}

std::vector<TUFName> ReadUFsCsv(const QString &path)
{
    std::vector<int> at;
    const auto rows = ReadCsvRows(path, {QStringLiteral("code"), QStringLiteral("name")}, at);
    std::vector<TUFName> ufs;
    int line = 1;
    for (const QStringList &row : rows) {
        ++line;
        TUFName uf{row[at[0]].trimmed().toUpper(), row[at[1]].trimmed()};
        if (uf.Code.size() != 2 || uf.Name.isEmpty())
            Malformed(path, QStringLiteral("line %1: a state needs a two-letter code and a name").arg(line));
        ufs.push_back(uf);
    }
    if (ufs.empty())
        Malformed(path, QStringLiteral("no states"));
    return ufs;
}

QRectF BoundsOf(const TPolygon &polygon)
{
    return polygon.front().boundingRect();
}

TGeodata ReadGeodata(const QString &folder)
{
    const QDir dir(folder);
    if (!dir.exists())
        throw TovralError(QStringLiteral("Cannot open geodata folder %1").arg(QDir::toNativeSeparators(folder)));
    TGeodata data;
    data.UFs = ReadUFsCsv(dir.filePath(QStringLiteral("ufs.csv")));
    data.Municipalities = ReadMunicipalitiesCsv(dir.filePath(QStringLiteral("municipalities.csv")));

    const QString statesPath = dir.filePath(QStringLiteral("states.geojson"));
    ForEachFeature(statesPath, [&](int n, const QJsonObject &feature) {
        data.States.push_back({Property(statesPath, n, feature, "uf").toUpper(), ReadAreas(statesPath, n, feature)});
    });
    for (const TUFName &uf : data.UFs)
        if (!data.StateArea(uf.Code))
            Malformed(statesPath, QStringLiteral("no outline for the state %1").arg(uf.Code));

    const QString countriesPath = dir.filePath(QStringLiteral("countries.geojson"));
    ForEachFeature(countriesPath, [&](int n, const QJsonObject &feature) {
        const QJsonObject properties = feature.value(QStringLiteral("properties")).toObject();
        data.Countries.push_back({CountryName(properties.value(QStringLiteral("iso_a3")).toString(),
                                              properties.value(QStringLiteral("name")).toString()),
                                  ReadAreas(countriesPath, n, feature)});
    });

    const QString riversPath = dir.filePath(QStringLiteral("rivers.geojson"));
    ForEachFeature(riversPath, [&](int n, const QJsonObject &feature) {
        const QString name = feature.value(QStringLiteral("properties")).toObject().value(QStringLiteral("name")).toString();
        for (QPolygonF &line : ReadLines(riversPath, n, feature))
            data.Rivers.push_back({name, Importance(feature), std::move(line)});
    });

    const QString lakesPath = dir.filePath(QStringLiteral("lakes.geojson"));
    ForEachFeature(lakesPath, [&](int n, const QJsonObject &feature) {
        for (TPolygon &part : ReadAreas(lakesPath, n, feature))
            data.Lakes.push_back({Importance(feature), std::move(part)});
    });

    const QString roadsPath = dir.filePath(QStringLiteral("roads.geojson"));
    ForEachFeature(roadsPath, [&](int n, const QJsonObject &feature) {
        const QJsonObject properties = feature.value(QStringLiteral("properties")).toObject();
        const TRoadKind kind = RoadKindOf(roadsPath, n, properties.value(QStringLiteral("kind")).toString());
        const QString reference = properties.value(QStringLiteral("ref")).toString();
        const QString uf = Property(roadsPath, n, feature, "uf").toUpper();
        for (QPolygonF &line : ReadLines(roadsPath, n, feature))
            data.Roads.push_back({reference, kind, uf, std::move(line)});
    });
    // The credits the sources ask for (the folder's README): IBGE's mesh and census, the
    // municipality table's author (MIT), OpenStreetMap's contributors for the roads (ODbL),
    // Natural Earth.
    data.Sources = QStringLiteral("Fontes: IBGE (malha municipal, Censo 2022); municípios: K. S. do Prado (MIT); "
                                  "rodovias: TravelMapping, © colaboradores do OpenStreetMap (ODbL); Natural Earth");
    return data;
}
