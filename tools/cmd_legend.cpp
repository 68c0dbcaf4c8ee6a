// tovral-tool legend OUTDIR: writes the four legend pictures legenda1.png .. legenda4.png.
#include <QDir>

#include "mapdata/output_file.h"
#include "tools/mkdata/legend_pages.h"
#include "tools/tool_command.h"

namespace {
int RunLegend(const QStringList &arguments)
{
    if (arguments.size() != 1)
        throw ToolFailure(QStringLiteral("legend"), QStringLiteral("usage: tovral-tool legend OUTDIR"));
    const QDir folder(arguments[0]);
    if (!QDir().mkpath(folder.path()))
        throw ToolFailure(QStringLiteral("legend"),
                          QStringLiteral("cannot create folder %1").arg(QDir::toNativeSeparators(folder.path())));
    for (int page = 1; page <= kLegendPageCount; ++page) {
        const QString path = folder.filePath(QStringLiteral("legenda%1.png").arg(page));
        TOutputFile file(path);
        file.WriteImage(DrawLegendPage(page), "png");
        file.Commit();
    }
    return 0;
}
} // namespace

TOOL_COMMAND("legend", "legend OUTDIR", RunLegend);
