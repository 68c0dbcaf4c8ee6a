#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "mapdata/catalogue.h"
#include "mapdata/road_network.h"
#include "tool_run.h"
#include "tools/catalogue_writer.h"
#include "tools/mkdata/catalogues.h"
#include "tools/mkdata/road_network_builder.h"
#include "tools/pts_writer.h"
#include "tools/road_network_writer.h"

namespace {
TToolRun RunTool(const QStringList &arguments)
{
    TToolRun run = RunToolIn(QProcessEnvironment::systemEnvironment(), arguments, 30000);
    // Qt may warn about the runtime folder on stderr; only the tool's own lines count.
    run.ErrLines.removeIf([](const QString &line) { return !line.startsWith(QStringLiteral("tovral-tool:")); });
    return run;
}

QString Distance(const char *lat1, const char *lon1, const char *lat2, const char *lon2)
{
    const TToolRun run = RunTool({QStringLiteral("distance"), QLatin1String(lat1), QLatin1String(lon1),
                                  QLatin1String(lat2), QLatin1String(lon2)});
    EXPECT_EQ(run.ExitCode, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
    return run.Out.trimmed();
}
} // namespace

// The calculator's distances, with '.' as the separator; the origin decides the radius term.
TEST(ToolDistance, WorkedCases)
{
    EXPECT_EQ(Distance("-233000", "-463000", "-223000", "-430000"), QStringLiteral("376.21"));
    EXPECT_EQ(Distance("-223000", "-430000", "-233000", "-463000"), QStringLiteral("376.20"));
    EXPECT_EQ(Distance("000000", "000000", "000000", "-900000"), QStringLiteral("10018.54"));
    EXPECT_EQ(Distance("-233000", "-463000", "-233000", "-463000"), QStringLiteral("0.00"));
}

// A rejected coordinate text is a failure with the calculator's message, not a distance.
TEST(ToolDistance, RejectedTextFails)
{
    const TToolRun run = RunTool({QStringLiteral("distance"), QStringLiteral("23300"), QStringLiteral("-463000"),
                                  QStringLiteral("000000"), QStringLiteral("000000")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_TRUE(run.Out.isEmpty());
    EXPECT_EQ(run.ErrLines, QStringList{QStringLiteral("tovral-tool: distance: Coordenadas da cidade não localizadas")});
}

class ToolLocate : public ::testing::Test {
protected:
    QTemporaryDir dir;
    QString pts = dir.filePath(QStringLiteral("sp.pts"));
};

// Decimal degrees in, the full-map pixel out; a position with no usable pair is "-1 -1".
TEST_F(ToolLocate, PrintsThePixel)
{
    WritePtsFile(pts, {{-50, -20, 10, 100}, {-49, -20, 100, 100}, {-50, -21, 0, 200}, {-49, -21, 100, 200}});
    TToolRun run = RunTool({QStringLiteral("locate"), pts, QStringLiteral("-49.5"), QStringLiteral("-20.25")});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, QStringLiteral("51 125\n"));

    WritePtsFile(pts, {});
    run = RunTool({QStringLiteral("locate"), pts, QStringLiteral("-49.5"), QStringLiteral("-20.25")});
    EXPECT_EQ(run.Out, QStringLiteral("-1 -1\n"));
}

// Guards against where and locate disagreeing, or where answering outside the grid: the
// pixel locate gives for a position comes back as that position, in decimal degrees and in
// degrees, minutes and seconds; a pixel beyond the points is a failure that says so.
TEST_F(ToolLocate, WhereIsTheInverse)
{
    WritePtsFile(pts, {{-50, -20, 0, 0}, {-49, -20, 1000, 0}, {-50, -21, 0, 1000}, {-49, -21, 1000, 1000}});
    TToolRun run = RunTool({QStringLiteral("where"), pts, QStringLiteral("250"), QStringLiteral("500")});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, QString::fromUtf8("-20.500000 -49.750000\n20°30'00\" S  49°45'00\" W\n"));
    run = RunTool({QStringLiteral("where"), pts, QStringLiteral("-5"), QStringLiteral("500")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.ErrLines, QStringList{QStringLiteral("tovral-tool: where: -5, 500 lies outside the reference grid of ") + pts});
}

// A malformed .pts or a bad number ends with exit 1 and one line naming the problem.
TEST_F(ToolLocate, BadInputFailsWithOneLine)
{
    QFile file(pts);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray("\x38\0\0\0", 4));
    file.close();
    TToolRun run = RunTool({QStringLiteral("locate"), pts, QStringLiteral("-49.5"), QStringLiteral("-20.25")});
    EXPECT_EQ(run.ExitCode, 1);
    ASSERT_EQ(run.ErrLines.size(), 1);
    EXPECT_TRUE(run.ErrLines[0].startsWith(QStringLiteral("tovral-tool: locate: ")));
    EXPECT_TRUE(run.ErrLines[0].contains(pts));

    run = RunTool({QStringLiteral("locate"), pts, QStringLiteral("oeste"), QStringLiteral("-20.25")});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.ErrLines.size(), 1);
}

namespace {
// A data folder with a catalogue and a road network: BR-100 from São Tomé (XA) to Vila Nova
// (XC), and two towns named Bom Jesus.
class ToolRoute : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        Folder = new QTemporaryDir;
        QDir(Folder->path()).mkpath(QStringLiteral("txt"));
        const auto line = [](const char *uf, const char *name, double latitude, double longitude) {
            return QStringList{QLatin1String(uf), QString::fromUtf8(name), QStringLiteral("0"), FormatDMS(latitude),
                               FormatDMS(longitude)}.join(QLatin1Char('\t'));
        };
        Lines = {line("XC", "Vila Nova", -10, -49), line("XA", "São Tomé", -10.02, -50),
                 line("XA", "Bom Jesus", -10.5, -50), line("XB", "Bom Jesus", -10.5, -49.5)};
        WriteCatalogueFile(Folder->filePath(QStringLiteral("txt/cidades.txt")), Lines);
        TRoad road{QStringLiteral("BR-100"), TRoadKind::Federal, QStringLiteral("XA"),
                   QPolygonF({QPointF(-50, -10), QPointF(-49.5, -10.1), QPointF(-49, -10)})};
        WriteRoadNetworkFile(Folder->filePath(kRoadNetworkFileName), BuildRoadNetwork({road}, Lines));
    }
    static void TearDownTestSuite() { delete Folder; }

    static TToolRun Route(const QStringList &arguments) { return RunTool(QStringList{QStringLiteral("route"), Folder->path()} + arguments); }

    static inline QTemporaryDir *Folder = nullptr;
    static inline QStringList Lines;
};
} // namespace

// Guards against a route answer unlike the engine's: names found without accents or letter
// case, the straight line exactly the calculator's, the joins counted off the network, the
// path's points from the origin's join to the destination's, as text and as JSON.
TEST_F(ToolRoute, PrintsTheRoadAnswer)
{
    TToolRun run = Route({QStringLiteral("sao tome/xa"), QStringLiteral("Vila Nova")});
    ASSERT_EQ(run.ExitCode, 0) << run.ErrLines.join(QLatin1Char('\n')).toStdString();
    const QStringList text = run.Out.split(QLatin1Char('\n'));
    EXPECT_EQ(text.value(0), QStringLiteral("São Tomé/XA -> Vila Nova/XC"));
    EXPECT_TRUE(text.contains(QStringLiteral("roads:")));
    EXPECT_TRUE(text.value(text.indexOf(QStringLiteral("roads:")) + 1).startsWith(QStringLiteral("  BR-100 ")));

    run = Route({QStringLiteral("São Tomé"), QStringLiteral("Vila Nova/XC"), QStringLiteral("--json"), QStringLiteral("--points")});
    ASSERT_EQ(run.ExitCode, 0);
    const QJsonObject answer = QJsonDocument::fromJson(run.Out.toUtf8()).object();
    const TToolRun distance = RunTool({QStringLiteral("distance"), FormatDMS(-10.02), FormatDMS(-50), FormatDMS(-10), FormatDMS(-49)});
    EXPECT_EQ(answer[QStringLiteral("air_km")].toDouble(), distance.Out.trimmed().toDouble());
    const double road = answer[QStringLiteral("road_km")].toDouble();
    EXPECT_GT(road, answer[QStringLiteral("air_km")].toDouble());
    const QJsonArray roads = answer[QStringLiteral("roads")].toArray();
    ASSERT_EQ(roads.size(), 1);
    EXPECT_EQ(roads[0][QStringLiteral("ref")].toString(), QStringLiteral("BR-100"));
    EXPECT_EQ(roads[0][QStringLiteral("km")].toDouble(), road);
    const double originJoin = answer[QStringLiteral("origin")][QStringLiteral("join_km")].toDouble();
    EXPECT_NEAR(originJoin, 2.2, 0.1);
    EXPECT_NEAR(answer[QStringLiteral("off_network_km")].toDouble(),
                originJoin + answer[QStringLiteral("destination")][QStringLiteral("join_km")].toDouble(), 1e-9);
    const QJsonArray points = answer[QStringLiteral("points")].toArray();
    ASSERT_EQ(points.size(), 3);
    EXPECT_EQ(points[0].toArray()[1].toDouble(), -50);
    EXPECT_EQ(points[2].toArray()[1].toDouble(), -49);
}

// Guards against a guessed city or a failure without a clear line: a name of several states
// without its UF (listing them), an unknown city, a data folder without a network and options
// that do not fit each end with exit 1 and one line.
TEST_F(ToolRoute, RefusesWithOneLine)
{
    QTemporaryDir bare;
    QDir(bare.path()).mkpath(QStringLiteral("txt"));
    WriteCatalogueFile(bare.filePath(QStringLiteral("txt/cidades.txt")), Lines);
    const struct {
        QStringList Arguments;
        const char *Says;
    } cases[] = {
        {{Folder->path(), QStringLiteral("Bom Jesus"), QStringLiteral("Vila Nova")}, "(XA, XB)"},
        {{Folder->path(), QStringLiteral("Atlântida"), QStringLiteral("Vila Nova")}, "no city"},
        {{Folder->path(), QStringLiteral("Bom Jesus/XC"), QStringLiteral("Vila Nova")}, "no city"},
        {{bare.path(), QStringLiteral("Bom Jesus/XA"), QStringLiteral("Vila Nova")}, "has no road network"},
        {{Folder->path(), QStringLiteral("Vila Nova"), QStringLiteral("Vila Nova"), QStringLiteral("--points")}, "--json"},
        {{Folder->path(), QStringLiteral("Vila Nova")}, "expected"},
    };
    for (const auto &c : cases) {
        const TToolRun run = RunTool(QStringList{QStringLiteral("route")} + c.Arguments);
        EXPECT_EQ(run.ExitCode, 1) << c.Says;
        ASSERT_EQ(run.ErrLines.size(), 1) << c.Says;
        EXPECT_TRUE(run.ErrLines[0].startsWith(QStringLiteral("tovral-tool: route: "))) << run.ErrLines[0].toStdString();
        EXPECT_TRUE(run.ErrLines[0].contains(QLatin1String(c.Says))) << run.ErrLines[0].toStdString();
    }
    // The state, when given, chooses among namesakes.
    EXPECT_EQ(Route({QStringLiteral("Bom Jesus/XB"), QStringLiteral("Vila Nova")}).ExitCode, 0);
}

class ToolFind : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QDir(dir.path()).mkpath(QStringLiteral("txt")));
        WriteCatalogueFile(dir.filePath(QStringLiteral("txt/cidades.txt")), kRows);
    }
    TToolRun Find(QStringList arguments)
    {
        return RunTool(QStringList{QStringLiteral("find"), dir.path()} + arguments);
    }

    // Code, name, IBGE code, town rank, latitude, longitude; not in catalogue order.
    const QStringList kRows = {
        QStringLiteral("SP\tCampinas\t3509502\t4\t-0225420\t-0470340"),
        QStringLiteral("RS\tCampinas do Sul\t4303806\t1\t-0274302\t-0523732"),
        QStringLiteral("PI\tBom Jesus\t2201903\t1\t-0090427\t-0442133"),
        QStringLiteral("RN\tBom Jesus\t2401800\t1\t-0055859\t-0353449"),
        QStringLiteral("SP\tSão José do Rio Preto\t3549805\t3\t-0204912\t-0492246"),
    };
    QTemporaryDir dir;
};

// Guards against suggestions out of rank, namesakes without their states, a current state
// that is not preferred, and rows that are not the viewer's catalogue indexes.
TEST_F(ToolFind, PrintsTheSuggestionsBestFirst)
{
    TToolRun run = Find({QStringLiteral("campinas")});
    EXPECT_EQ(run.ExitCode, 0);
    EXPECT_EQ(run.Out, QStringLiteral("Campinas (SP)\nCampinas do Sul (RS)\n"));
    EXPECT_EQ(Find({QStringLiteral("rio preto")}).Out, QStringLiteral("São José do Rio Preto (SP)\n"));
    EXPECT_EQ(Find({QStringLiteral("bom jesus"), QStringLiteral("--uf"), QStringLiteral("rn")}).Out,
              QStringLiteral("Bom Jesus (RN)\nBom Jesus (PI)\n"));
    EXPECT_EQ(Find({QStringLiteral("xyz")}).Out, QString());

    run = Find({QStringLiteral("--json"), QStringLiteral("bom jesus")});
    EXPECT_EQ(run.ExitCode, 0);
    TSortedStrings rows;
    rows.Assign(kRows);
    const QJsonArray found = QJsonDocument::fromJson(run.Out.toUtf8()).array();
    ASSERT_EQ(found.size(), 2);
    for (const QJsonValue &city : found) {
        const QString uf = city[QStringLiteral("uf")].toString();
        EXPECT_EQ(city[QStringLiteral("name")].toString(), QStringLiteral("Bom Jesus"));
        EXPECT_EQ(city[QStringLiteral("row")].toInt(), rows.Find(CityRowKey(uf, QStringLiteral("Bom Jesus"))));
    }
}

// A folder without a catalogue or a missing text ends with exit 1 and one line naming it.
TEST_F(ToolFind, BadInputFailsWithOneLine)
{
    TToolRun run = RunTool({QStringLiteral("find"), dir.filePath(QStringLiteral("nada")), QStringLiteral("campinas")});
    EXPECT_EQ(run.ExitCode, 1);
    ASSERT_EQ(run.ErrLines.size(), 1);
    EXPECT_TRUE(run.ErrLines[0].contains(QStringLiteral("cidades.txt")));
    run = Find({});
    EXPECT_EQ(run.ExitCode, 1);
    EXPECT_EQ(run.ErrLines, QStringList{QStringLiteral("tovral-tool: find: expected IMG_FOLDER TEXT")});
}
