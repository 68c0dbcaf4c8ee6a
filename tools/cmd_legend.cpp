// tovral-tool legend OUTDIR: writes the four legend pictures legenda1.png .. legenda4.png, and
// each at twice its pixels as legenda1@2x.png .. legenda4@2x.png.
#include <QDir>

#include "mapdata/output_file.h"
#include "tools/mkdata/legend_pages.h"
#include "tools/tool_command.h"

namespace {
int RunLegend(const QStringList &arguments)
{
    if (arguments.size() != 1)
        FailWithUsage("legend");
    const QDir folder(arguments[0]);
    if (!QDir().mkpath(folder.path()))
        throw ToolFailure(QStringLiteral("legend"),
                          QStringLiteral("cannot create folder %1").arg(QDir::toNativeSeparators(folder.path())));
    for (int page = 1; page <= kLegendPageCount; ++page)
        for (const qreal ratio : {1.0, 2.0}) {
            const QString suffix = ratio == 1 ? QString() : QStringLiteral("@2x");
            TOutputFile file(folder.filePath(QStringLiteral("legenda%1%2.png").arg(page).arg(suffix)));
            file.WriteImage(DrawLegendPage(page, ratio), "png");
            file.Commit();
        }
    return 0;
}
} // namespace

TOOL_COMMAND("legend", "legend OUTDIR  the legend pages, each also at twice its pixels", RunLegend);
