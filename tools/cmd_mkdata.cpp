// tovral-tool mkdata OUTDIR [--geodata DIR | --synthetic] [--states SP,RJ,...]: builds a data
// folder (catalogues, maps and reference points) from the public geodata, or a small
// fictional one made in code.
#include <QElapsedTimer>
#include <QThread>
#include <cstdio>

#include "tools/mkdata/geodata.h"
#include "tools/mkdata/mkdata.h"
#include "tools/mkdata/synthetic.h"
#include "tools/tool_command.h"

namespace {

int RunMkdata(const QStringList &arguments)
{
    QString output, geodata = qEnvironmentVariable("TOVRAL_GEODATA");
    bool synthetic = false;
    QStringList states;
    for (int i = 0; i < arguments.size(); ++i) {
        const QString &argument = arguments[i];
        if (argument == QLatin1String("--synthetic"))
            synthetic = true;
        else if (argument == QLatin1String("--geodata") && i + 1 < arguments.size())
            geodata = arguments[++i];
        else if (argument == QLatin1String("--states") && i + 1 < arguments.size())
            states = arguments[++i].toUpper().split(QLatin1Char(','), Qt::SkipEmptyParts);
        else if (argument.startsWith(QLatin1String("--")) || !output.isEmpty())
            FailWithUsage("mkdata");
        else
            output = argument;
    }
    if (output.isEmpty() || (!synthetic && geodata.isEmpty()))
        FailWithUsage("mkdata");

    QElapsedTimer timer;
    timer.start();
    const TGeodata data = synthetic ? SyntheticGeodata() : ReadGeodata(geodata);
    const int threads = std::max(1, QThread::idealThreadCount());
    const auto reports = MakeDataFolder(data, output, states, threads, synthetic ? kSyntheticMegaPixels : 0);
    for (const TStateBuildReport &report : reports)
        std::printf("%s: %d x %d pixels (%.1f megapixels), %.1f s\n", qPrintable(report.UF), report.Width,
                    report.Height, report.Width * double(report.Height) / 1e6, report.Seconds);
    std::printf("%d state(s) built in %.1f s\n", int(reports.size()), timer.elapsed() / 1000.0);
    return 0;
}
} // namespace

TOOL_COMMAND("mkdata",
             "mkdata OUTDIR [--geodata DIR | --synthetic] [--states SP,RJ,...]  build a data folder from the "
             "public geodata, or a small fictional one",
             RunMkdata);
