#pragma once

#include <QString>
#include <QStringList>
#include <charconv>
#include <cmath>
#include <optional>

#include "tools/tool_command.h"

// The arguments of one subcommand: "--name value" options, "--name" flags and positional
// arguments, in any order. Anything unknown or malformed is a ToolFailure naming the command.
class TToolArguments {
public:
    TToolArguments(const QString &command, const QStringList &arguments,
                   const QStringList &valueOptions, const QStringList &flags)
        : FCommand(command)
    {
        for (qsizetype i = 0; i < arguments.size(); ++i) {
            const QString &argument = arguments[i];
            if (flags.contains(argument)) {
                FFlags << argument;
            } else if (valueOptions.contains(argument)) {
                if (i + 1 == arguments.size())
                    Fail(QStringLiteral("%1 needs a value").arg(argument));
                FValues.append({argument, arguments[++i]});
            } else if (argument.startsWith(QLatin1Char('-')) && argument.size() > 1) {
                Fail(QStringLiteral("unknown option %1").arg(argument));
            } else {
                Positional << argument;
            }
        }
    }

    [[noreturn]] void Fail(const QString &reason) const { throw ToolFailure(FCommand, reason); }

    bool Flag(const QString &name) const { return FFlags.contains(name); }

    std::optional<QString> Value(const QString &name) const
    {
        for (const auto &[option, value] : FValues)
            if (option == name)
                return value;
        return std::nullopt;
    }

    QString Required(const QString &name) const
    {
        const std::optional<QString> value = Value(name);
        if (!value)
            Fail(QStringLiteral("%1 is missing").arg(name));
        return *value;
    }

    // A whole number within [minimum, maximum]; the default when the option is absent.
    int Integer(const QString &name, int defaultValue, int minimum, int maximum) const
    {
        const std::optional<QString> text = Value(name);
        return text ? ParseInteger(*text, name, minimum, maximum) : defaultValue;
    }

    int ParseInteger(const QString &text, const QString &what, int minimum, int maximum) const
    {
        bool ok = false;
        const int value = text.toInt(&ok);
        if (!ok || value < minimum || value > maximum)
            Fail(QStringLiteral("%1 must be a whole number from %2 to %3, not \"%4\"")
                     .arg(what).arg(minimum).arg(maximum).arg(text));
        return value;
    }

    // A finite long double written with '.' whatever the user's locale says.
    long double ParseExtended(const QString &text, const QString &what) const
    {
        const QByteArray bytes = text.trimmed().toLatin1();
        const char *end = bytes.constData() + bytes.size();
        long double value = 0;
        const auto [stop, error] = std::from_chars(bytes.constData(), end, value);
        if (bytes.isEmpty() || error != std::errc() || stop != end || !std::isfinite(value))
            Fail(QStringLiteral("%1 must be a number, not \"%2\"").arg(what, text));
        return value;
    }

    // "AxB" (sizes) or "A,B" (points) as two whole numbers.
    std::pair<int, int> ParsePair(const QString &text, QChar separator, const QString &what,
                                  int minimum, int maximum) const
    {
        const QStringList parts = text.split(separator);
        if (parts.size() != 2)
            Fail(QStringLiteral("%1 must be written A%2B, not \"%3\"").arg(what).arg(separator).arg(text));
        return {ParseInteger(parts[0], what, minimum, maximum), ParseInteger(parts[1], what, minimum, maximum)};
    }

    QStringList Positional;

private:
    QString FCommand;
    QStringList FFlags;
    QList<std::pair<QString, QString>> FValues;
};
