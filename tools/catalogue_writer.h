#pragma once

#include <QString>
#include <QStringList>

// Writes text lines as Windows-1252 with CR LF line ends, through a temporary file.
void WriteCatalogueFile(const QString &path, const QStringList &lines);
