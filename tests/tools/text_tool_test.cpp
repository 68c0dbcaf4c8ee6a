#include <QFile>
#include <QMap>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include "tool_run.h"
#include "tools/pts_writer.h"

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
