#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>

// A failure of a subcommand: main prints "tovral-tool: <what>: <reason>" and exits 1.
class ToolFailure : public std::runtime_error {
public:
    ToolFailure(const QString &what, const QString &reason)
        : std::runtime_error((what + QStringLiteral(": ") + reason).toStdString()) {}
};

using ToolCommandFunction = int (*)(const QStringList &arguments);

struct ToolCommand {
    const char *Name;
    const char *Usage;
    ToolCommandFunction Run;
};

// Each cmd_*.cpp registers its subcommand with a static TOOL_COMMAND(...) line.
class ToolCommandRegistrar {
public:
    ToolCommandRegistrar(const char *name, const char *usage, ToolCommandFunction run);
};

const ToolCommand *FindToolCommand(const QString &name);
QString ToolUsage();

#define TOOL_COMMAND(name, usage, function) \
    static const ToolCommandRegistrar toolCommandRegistrar_##function(name, usage, function)
