#include "mapdata/output_file.h"

#include <QDir>
#include <QImageWriter>

#include "base/errors.h"

TOutputFile::TOutputFile(const QString &path) : FFile(path), FNativePath(QDir::toNativeSeparators(path))
{
    if (!FFile.open(QIODevice::WriteOnly))
        throw TovralError(QStringLiteral("Cannot create file %1: %2").arg(FNativePath, FFile.errorString()));
}

void TOutputFile::Write(const QByteArray &bytes)
{
    if (FFile.write(bytes) != bytes.size())
        ThrowWriteError(FFile.errorString());
}

void TOutputFile::WriteImage(const QImage &picture, const char *format)
{
    QImageWriter writer(&FFile, format);
    if (!writer.write(picture))
        ThrowWriteError(writer.errorString());
}

void TOutputFile::Commit()
{
    // The save file only notices errors of its own writes: the last buffered bytes must be
    // flushed here, or a failure to write them would go unseen and the cut-off file replace
    // the old one.
    if (!FFile.flush() || !FFile.commit())
        ThrowWriteError(FFile.errorString());
}

void TOutputFile::ThrowWriteError(const QString &reason)
{
    throw TovralError(QStringLiteral("Cannot write file %1: %2").arg(FNativePath, reason));
}
