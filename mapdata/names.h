#pragma once

#include <QString>
#include <optional>

// Text helpers shared by the catalogue readers and the windows. Casing is per character:
// a character never turns into two (the catalogues are single-byte text).
QString UpperCase(const QString &text);
QString LowerCase(const QString &text);
// Removes every character with code 32 or less from both ends.
QString TrimBlanks(const QString &text);

// A catalogue city name in display case: "RIO DE JANEIRO" -> "Rio de Janeiro",
// "SÃO JOÃO DEL-REI" -> "São João Del-Rei". Words of two letters or fewer stay lower case.
QString CapitalizeName(const QString &name);

// Parses a catalogue coordinate "[sign]DDMMSS" (for example "-0464512") into decimal
// degrees; nothing when the trimmed text is shorter than six characters.
std::optional<long double> ParseDMS(const QString &text);
