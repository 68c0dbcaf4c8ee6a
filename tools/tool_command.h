#pragma once

#include <QString>
#include <QStringList>
#include <stdexcept>
#include <vector>

// A failure of a subcommand: main prints "tovral-tool: <what>: <reason>" and exits 1.
class ToolFailure : public std::runtime_error {
public:
    ToolFailure(const QString &what, const QString &reason)
        : std::runtime_error((what + QStringLiteral(": ") + reason).toStdString()) {}
};

using ToolCommandFunction = int (*)(const QStringList &arguments);

struct ToolCommand {
    const char *Name;
    // The command's synopsis ("render MAP --center X,Y ..."), optionally followed by two
    // spaces or more and what the command does.
    const char *Usage;
    ToolCommandFunction Run;

    QString Synopsis() const;
    QString Summary() const; // empty when the usage gives none
};

// Each cmd_*.cpp registers its subcommand with a static TOOL_COMMAND(...) line; the manual page
// packaging/tovral-tool.1 lists it under COMMANDS with the same synopsis (a test checks).
class ToolCommandRegistrar {
public:
    ToolCommandRegistrar(const char *name, const char *usage, ToolCommandFunction run);
};

const ToolCommand *FindToolCommand(const QString &name);
// Every registered command, by name.
std::vector<const ToolCommand *> ToolCommands();
// How to call the tool, with every command's synopsis and summary (what --help prints).
QString ToolUsage();
// "usage: tovral-tool <synopsis>" of one command.
QString ToolCommandUsage(const ToolCommand &command);
// Throws the ToolFailure "<name>: usage: tovral-tool <synopsis>" of a registered command.
[[noreturn]] void FailWithUsage(const char *name);

#define TOOL_COMMAND(name, usage, function) \
    static const ToolCommandRegistrar toolCommandRegistrar_##function(name, usage, function)
