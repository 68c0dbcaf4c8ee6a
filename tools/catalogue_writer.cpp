#include "tools/catalogue_writer.h"

#include "mapdata/catalogue.h"
#include "mapdata/output_file.h"

void WriteCatalogueFile(const QString &path, const QStringList &lines)
{
    QByteArray bytes;
    for (const QString &line : lines)
        bytes += EncodeCp1252(line) + "\r\n";
    TOutputFile file(path);
    file.Write(bytes);
    file.Commit();
}
