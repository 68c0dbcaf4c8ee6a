// tovral-tool help [COMMAND]: the usage of every command (what --help prints), or the usage
// line and summary of one.
#include <cstdio>

#include "tools/tool_command.h"

namespace {
int RunHelp(const QStringList &arguments)
{
    if (arguments.size() > 1)
        FailWithUsage("help");
    QString text = ToolUsage();
    if (!arguments.isEmpty()) {
        const ToolCommand *command = FindToolCommand(arguments[0]);
        if (!command)
            throw ToolFailure(QStringLiteral("help"), QStringLiteral("%1: unknown command").arg(arguments[0]));
        text = ToolCommandUsage(*command) + QLatin1Char('\n');
        if (const QString summary = command->Summary(); !summary.isEmpty())
            text += QStringLiteral("  %1\n").arg(summary);
    }
    std::fputs(text.toUtf8().constData(), stdout);
    return 0;
}
} // namespace

TOOL_COMMAND("help", "help [COMMAND]  the usage of every command, or of one", RunHelp);
