#pragma once

#include <QString>
#include <stdexcept>

// Every failure of the engine is raised as a TovralError whose message a person can read
// (it names the file and says what is wrong with it).
class TovralError : public std::runtime_error {
public:
    explicit TovralError(const QString &message) : std::runtime_error(message.toStdString()) {}
    QString Message() const { return QString::fromUtf8(what()); }
};
