#include "tools/catalogue_writer.h"

#include <QDir>
#include <QSaveFile>

#include "mapdata/catalogue.h"
#include "mapdata/errors.h"

void WriteCatalogueFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += EncodeCp1252(line) + "\r\n";
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        throw TovralError(QStringLiteral("Cannot write file %1: %2")
                              .arg(QDir::toNativeSeparators(path), file.errorString()));
}
