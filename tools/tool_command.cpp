#include "tools/tool_command.h"

#include <vector>

namespace {
std::vector<ToolCommand> &Commands()
{
    static std::vector<ToolCommand> commands;
    return commands;
}
} // namespace

ToolCommandRegistrar::ToolCommandRegistrar(const char *name, const char *usage, ToolCommandFunction run)
{
    Commands().push_back({name, usage, run});
}

const ToolCommand *FindToolCommand(const QString &name)
{
    for (const ToolCommand &command : Commands())
        if (name == QLatin1String(command.Name))
            return &command;
    return nullptr;
}

QString ToolUsage()
{
    QString usage = QStringLiteral("usage:\n");
    for (const ToolCommand &command : Commands())
        usage += QStringLiteral("  tovral-tool %1\n").arg(QLatin1String(command.Usage));
    return usage;
}
