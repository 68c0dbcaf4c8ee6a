#include "tools/tool_command.h"

#include <QRegularExpression>
#include <algorithm>

namespace {
std::vector<ToolCommand> &Commands()
{
    static std::vector<ToolCommand> commands;
    return commands;
}

// The usage text split where the synopsis ends: at the first run of two spaces or more.
QStringList UsageParts(const char *usage)
{
    static const QRegularExpression gap(QStringLiteral("\\s{2,}"));
    return QString::fromUtf8(usage).split(gap);
}
} // namespace

QString ToolCommand::Synopsis() const { return UsageParts(Usage).constFirst(); }

QString ToolCommand::Summary() const { return UsageParts(Usage).mid(1).join(QLatin1Char(' ')); }

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

std::vector<const ToolCommand *> ToolCommands()
{
    std::vector<const ToolCommand *> commands;
    for (const ToolCommand &command : Commands())
        commands.push_back(&command);
    std::sort(commands.begin(), commands.end(),
              [](const ToolCommand *a, const ToolCommand *b) { return qstrcmp(a->Name, b->Name) < 0; });
    return commands;
}

QString ToolUsage()
{
    QString usage = QStringLiteral("usage: tovral-tool COMMAND [ARGUMENTS]\n"
                                   "       tovral-tool --help | --version\n"
                                   "commands:\n");
    for (const ToolCommand *command : ToolCommands()) {
        usage += QStringLiteral("  tovral-tool %1\n").arg(command->Synopsis());
        if (const QString summary = command->Summary(); !summary.isEmpty())
            usage += QStringLiteral("      %1\n").arg(summary);
    }
    return usage;
}

QString ToolCommandUsage(const ToolCommand &command)
{
    return QStringLiteral("usage: tovral-tool %1").arg(command.Synopsis());
}

void FailWithUsage(const char *name)
{
    const ToolCommand *command = FindToolCommand(QLatin1String(name));
    throw ToolFailure(QLatin1String(name), command ? ToolCommandUsage(*command) : QStringLiteral("usage"));
}
