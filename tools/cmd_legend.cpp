// tovral-tool legend OUTDIR: writes the four legend pictures legenda1.png .. legenda4.png.
#include <QDir>
#include <QSaveFile>

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
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly) || !DrawLegendPage(page).save(&file, "PNG") || !file.commit())
            throw ToolFailure(QStringLiteral("legend"),
                              QStringLiteral("cannot write %1").arg(QDir::toNativeSeparators(path)));
    }
    return 0;
}
} // namespace

TOOL_COMMAND("legend", "legend OUTDIR", RunLegend);
