#pragma once

#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

// tovral-tool (its path is TOVRAL_TOOL) run as a user runs it, for the tools' tests.

struct TToolRun {
    int ExitCode = -1; // -1 when the tool did not end in time
    QString Out;
    QStringList ErrLines; // the non-empty lines on stderr
};

inline TToolRun RunToolIn(const QProcessEnvironment &environment, const QStringList &arguments,
                          int timeoutMs)
{
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(TOVRAL_TOOL), arguments);
    TToolRun run;
    if (!process.waitForFinished(timeoutMs))
        return run;
    run.ExitCode = process.exitCode();
    run.Out = QString::fromUtf8(process.readAllStandardOutput());
    run.ErrLines = QString::fromUtf8(process.readAllStandardError())
                       .split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    return run;
}
