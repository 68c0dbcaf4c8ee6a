#include "tools/pts_writer.h"

#include <QDir>
#include <limits>

#include "base/errors.h"
#include "mapdata/output_file.h"
#include "tools/binary_writer.h"

namespace {
void AppendExtended80(QByteArray &bytes, long double value)
{
    unsigned char raw[10];
    WriteExtended80(value, raw);
    bytes.append(reinterpret_cast<const char *>(raw), sizeof raw);
}
} // namespace

void WritePtsFile(const QString &path, const std::vector<TCoordinateItem> &items)
{
    const QString nativePath = QDir::toNativeSeparators(path);
    if (items.size() > size_t(std::numeric_limits<int32_t>::max() / kCoordinateItemBytes))
        throw TovralError(QStringLiteral("Too many reference points for file %1").arg(nativePath));
    QByteArray bytes;
    bytes.reserve(qsizetype(4 + items.size() * kCoordinateItemBytes));
    AppendInt32(bytes, int32_t(items.size() * kCoordinateItemBytes));
    for (const TCoordinateItem &item : items) {
        AppendExtended80(bytes, item.Longitude);
        AppendExtended80(bytes, item.Latitude);
        AppendInt32(bytes, item.X);
        AppendInt32(bytes, item.Y);
    }
    TOutputFile file(path);
    file.Write(bytes);
    file.Commit();
}
