#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QRegularExpression>
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

// The text a man page line shows, for the lines that name a command: the arguments of a font
// macro, joined by spaces (.B, .I) or without them (.BI, .BR, .RI ...: alternating fonts),
// with the font escapes taken out.
QString RoffText(const QString &line)
{
    static const QRegularExpression argument(QStringLiteral(R"re("([^"]*)"|(\S+))re"));
    const QString macro = line.section(QLatin1Char(' '), 0, 0);
    QStringList words;
    for (const QRegularExpressionMatch &match : argument.globalMatch(line.mid(macro.size())))
        words << (match.captured(1).isNull() ? match.captured(2) : match.captured(1));
    QString text = words.join(macro.size() == 2 ? QStringLiteral(" ") : QString());
    text.remove(QRegularExpression(QStringLiteral(R"(\\f[BIRP])")));
    return text.replace(QStringLiteral("\\-"), QStringLiteral("-"));
}

// The synopsis of every entry of the man page's COMMANDS section (the line after each .TP),
// by command name.
QMap<QString, QString> ManPageSynopses()
{
    QFile page(QStringLiteral(TOVRAL_MAN_PAGE));
    EXPECT_TRUE(page.open(QIODevice::ReadOnly)) << TOVRAL_MAN_PAGE;
    const QStringList lines = QString::fromUtf8(page.readAll()).split(QLatin1Char('\n'));
    QMap<QString, QString> synopses;
    bool inCommands = false;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i].startsWith(QStringLiteral(".SH ")))
            inCommands = lines[i] == QStringLiteral(".SH COMMANDS");
        else if (inCommands && lines[i] == QStringLiteral(".TP")) {
            const QString synopsis = RoffText(lines[i + 1]);
            synopses.insert(synopsis.section(QLatin1Char(' '), 0, 0), synopsis);
        }
    }
    return synopses;
}

// The synopsis of every command in the tool's usage ("  tovral-tool <synopsis>" lines).
QMap<QString, QString> UsageSynopses(const QString &usage)
{
    QMap<QString, QString> synopses;
    const QString prefix = QStringLiteral("  tovral-tool ");
    for (const QString &line : usage.split(QLatin1Char('\n')))
        if (line.startsWith(prefix))
            synopses.insert(line.mid(prefix.size()).section(QLatin1Char(' '), 0, 0), line.mid(prefix.size()));
    return synopses;
}
} // namespace

// Guards against the command line's own options failing as unknown commands or printing
// where a script does not look, and against an error losing its stderr line or exit code 1.
TEST(ToolCommandLine, HelpAndVersionOnStdoutErrorsOnStderr)
{
    struct TRow {
        QStringList Arguments;
        int ExitCode;
        QString OutStart;  // what stdout starts with
        QString FirstError; // the first line on stderr
    };
    const QString usage = QStringLiteral("usage: tovral-tool COMMAND [ARGUMENTS]");
    const TRow rows[] = {
        {{QStringLiteral("--help")}, 0, usage, {}},
        {{QStringLiteral("help")}, 0, usage, {}},
        {{QStringLiteral("help"), QStringLiteral("render")}, 0, QStringLiteral("usage: tovral-tool render MAP "), {}},
        {{QStringLiteral("--version")}, 0, QStringLiteral("tovral-tool "), {}},
        {{}, 1, {}, usage},
        {{QStringLiteral("help"), QStringLiteral("draw")}, 1, {}, QStringLiteral("tovral-tool: help: draw: unknown command")},
        {{QStringLiteral("help"), QStringLiteral("info"), QStringLiteral("render")}, 1, {},
         QStringLiteral("tovral-tool: help: usage: tovral-tool help [COMMAND]")},
    };
    for (const TRow &row : rows) {
        const TToolRun run = RunToolIn(QProcessEnvironment::systemEnvironment(), row.Arguments, 30000);
        const std::string arguments = row.Arguments.join(QLatin1Char(' ')).toStdString();
        EXPECT_EQ(run.ExitCode, row.ExitCode) << arguments;
        EXPECT_TRUE(row.OutStart.isEmpty() ? run.Out.isEmpty() : run.Out.startsWith(row.OutStart))
            << arguments << ": " << run.Out.toStdString();
        EXPECT_EQ(run.ErrLines.value(0), row.FirstError) << arguments;
    }
    const TToolRun version = RunToolIn(QProcessEnvironment::systemEnvironment(), {QStringLiteral("--version")}, 30000);
    EXPECT_TRUE(QRegularExpression(QStringLiteral(R"(^tovral-tool \d+\.\d+\.\d+\n$)")).match(version.Out).hasMatch())
        << version.Out.toStdString();
}

// Guards against a command the man page leaves out, describes with another synopsis than the
// tool's usage, or lists after the tool lost it: a command added or changed in one place only.
TEST(ToolCommandLine, ManPageListsEveryCommandAsTheUsageDoes)
{
    const TToolRun run = RunToolIn(QProcessEnvironment::systemEnvironment(), {QStringLiteral("--help")}, 30000);
    const QMap<QString, QString> usage = UsageSynopses(run.Out);
    ASSERT_TRUE(usage.contains(QStringLiteral("render")) && usage.contains(QStringLiteral("help"))) << run.Out.toStdString();
    const QMap<QString, QString> manual = ManPageSynopses();
    for (auto command = usage.cbegin(); command != usage.cend(); ++command)
        EXPECT_EQ(manual.value(command.key()).toStdString(), command.value().toStdString())
            << "packaging/tovral-tool.1 lacks the command " << command.key().toStdString()
            << " under COMMANDS, or shows another synopsis; its usage is: " << command.value().toStdString();
    for (auto command = manual.cbegin(); command != manual.cend(); ++command)
        EXPECT_TRUE(usage.contains(command.key()))
            << "packaging/tovral-tool.1 lists " << command.key().toStdString() << ", which tovral-tool does not have";
}

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
