// tovral-tool resample: the picture it writes, and its failures.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "imaging/resample.h"
#include "tests/imaging/resample_test_pictures.h"

namespace {

struct TToolRun {
    int ExitCode;
    QString Errors;
};

TToolRun RunTool(const QStringList &arguments)
{
    QProcess tool;
    tool.start(QStringLiteral(TOVRAL_TOOL), QStringList{QStringLiteral("resample")} + arguments);
    tool.waitForFinished(60000);
    return {tool.exitCode(), QString::fromUtf8(tool.readAllStandardError())};
}

class ResampleTool : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        FInput = FDir.filePath(QStringLiteral("in.png"));
        ASSERT_TRUE(RandomPicture(40, 30, 9).save(FInput));
    }
    QString Path(const char *name) const { return FDir.filePath(QLatin1String(name)); }

    QTemporaryDir FDir;
    QString FInput;
};

// Guards the tool drifting from the library: it writes exactly what ResampleBitmap makes with
// the chosen filter (Lanczos3 by default), at the asked size.
TEST_F(ResampleTool, WritesWhatTheResamplerMakes)
{
    for (const QString &filter : {QString(), QStringLiteral("mitchell"), QStringLiteral("1")}) {
        QStringList arguments = {FInput, QStringLiteral("--size"), QStringLiteral("17x45"), QStringLiteral("-o"),
                                 Path("out.png")};
        if (!filter.isEmpty())
            arguments << QStringLiteral("--filter") << filter;
        const TToolRun run = RunTool(arguments);
        ASSERT_EQ(run.ExitCode, 0) << run.Errors.toStdString();

        const TResampleFilterEntry &entry = filter.isEmpty() ? ResampleFilterTable[kLanczos3FilterIndex]
                                            : filter == QLatin1String("1") ? ResampleFilterTable[1]
                                                                           : ResampleFilterTable[6];
        QImage source = RandomPicture(40, 30, 9);
        QImage expected(17, 45, QImage::Format_RGB888);
        ResampleBitmap(source, expected, entry.Kernel, entry.Support);
        EXPECT_EQ(QImage(Path("out.png")).convertToFormat(QImage::Format_RGB888), expected) << entry.Name;
    }
}

// Guards half-written or misleading output: every failure is one line on stderr, exit code 1,
// and no output file.
TEST_F(ResampleTool, FailuresLeaveNoFile)
{
    const QString out = Path("never.png");
    const QStringList failing[] = {
        {FInput, QStringLiteral("--size"), QStringLiteral("0x10"), QStringLiteral("-o"), out},
        {FInput, QStringLiteral("--size"), QStringLiteral("wide"), QStringLiteral("-o"), out},
        {FInput, QStringLiteral("--size"), QStringLiteral("100000x100000"), QStringLiteral("-o"), out},
        {FInput, QStringLiteral("--size"), QStringLiteral("1x10"), QStringLiteral("-o"), out},
        {FInput, QStringLiteral("--size"), QStringLiteral("9x9"), QStringLiteral("--filter"), QStringLiteral("Gauss"),
         QStringLiteral("-o"), out},
        {Path("missing.png"), QStringLiteral("--size"), QStringLiteral("9x9"), QStringLiteral("-o"), out},
        {FInput, QStringLiteral("--size"), QStringLiteral("9x9")},
        {FInput, QStringLiteral("--size"), QStringLiteral("9x9"), QStringLiteral("-o"), Path("no/such/dir.png")},
    };
    for (const QStringList &arguments : failing) {
        const TToolRun run = RunTool(arguments);
        EXPECT_EQ(run.ExitCode, 1) << arguments.join(' ').toStdString();
        EXPECT_TRUE(run.Errors.startsWith(QLatin1String("tovral-tool: "))) << run.Errors.toStdString();
        EXPECT_EQ(run.Errors.trimmed().count(QLatin1Char('\n')), 0) << run.Errors.toStdString();
        EXPECT_FALSE(QFile::exists(out)) << arguments.join(' ').toStdString();
    }
}

} // namespace
