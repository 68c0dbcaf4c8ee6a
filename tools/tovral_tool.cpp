// tovral-tool: the engine on the command line. Every subcommand exits 0 on success; a
// failure prints one line "tovral-tool: <what>: <reason>" on stderr and exits 1. --help (the
// help command) prints the usage and --version the version, on stdout; run without arguments,
// the tool prints the usage on stderr and exits 1.
#include <QGuiApplication>
#include <cstdio>
#include <exception>

#include "base/errors.h"
#include "tools/tool_command.h"

static int Fail(const QString &line)
{
    std::fprintf(stderr, "tovral-tool: %s\n", line.toUtf8().constData());
    return 1;
}

// Qt's own diagnostics (a missing runtime folder, font or platform notes) are not the tool's
// output: a failing command prints exactly one line. Only a fatal message is shown, since
// the process is about to end on it.
static void DropQtDiagnostics(QtMsgType type, const QMessageLogContext &, const QString &message)
{
    if (type == QtFatalMsg)
        Fail(QStringLiteral("Qt: %1").arg(message));
}

int main(int argc, char **argv)
{
    // Rendering text (map labels, legends) needs fonts, which need a GUI application; the
    // offscreen platform keeps the tool usable without a display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    qInstallMessageHandler(DropQtDiagnostics);
    QGuiApplication app(argc, argv);
    QStringList arguments = app.arguments().mid(1);
    if (arguments.isEmpty()) {
        std::fputs(ToolUsage().toUtf8().constData(), stderr);
        return 1;
    }
    QString name = arguments.takeFirst();
    if (name == QLatin1String("--version")) {
        std::printf("tovral-tool %s\n", TOVRAL_VERSION);
        return 0;
    }
    if (name == QLatin1String("--help"))
        name = QStringLiteral("help");
    const ToolCommand *command = FindToolCommand(name);
    if (!command)
        return Fail(QStringLiteral("%1: unknown command (tovral-tool --help lists them)").arg(name));
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
