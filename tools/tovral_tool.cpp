// tovral-tool: the engine on the command line. Every subcommand exits 0 on success; a
// failure prints one line "tovral-tool: <what>: <reason>" on stderr and exits 1.
#include <QGuiApplication>
#include <cstdio>
#include <exception>

#include "mapdata/errors.h"
#include "tools/tool_command.h"

static int Fail(const QString &line)
{
    std::fprintf(stderr, "tovral-tool: %s\n", line.toUtf8().constData());
    return 1;
}

int main(int argc, char **argv)
{
    // Rendering text (map labels, legends) needs fonts, which need a GUI application; the
    // offscreen platform keeps the tool usable without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs(ToolUsage().toUtf8().constData(), stderr);
        return 1;
    }
    const QString name = arguments.takeFirst();
    const ToolCommand *command = FindToolCommand(name);
    if (!command)
        return Fail(QStringLiteral("%1: unknown command\n%2").arg(name, ToolUsage()).trimmed());
    try {
        return command->Run(arguments);
    } catch (const ToolFailure &failure) {
        return Fail(QString::fromUtf8(failure.what()));
    } catch (const TovralError &error) {
        return Fail(QStringLiteral("%1: %2").arg(name, error.Message()));
    } catch (const std::exception &error) {
        return Fail(QStringLiteral("%1: %2").arg(name, QString::fromUtf8(error.what())));
    }
}
