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
