#pragma once

#include <QByteArray>
#include <QImage>
#include <QSaveFile>
#include <QString>

// A file the program writes for the user (a saved picture, a printed PDF). The bytes go to a
// temporary file beside the target, which replaces the target only once every byte has been
// written, so a failed write (a full disk, a folder that cannot be written) leaves the old
// file as it was and nothing else behind. Errors are TovralErrors naming the file.
class TOutputFile {
public:
    // Throws "Cannot create file <path>: <reason>".
    explicit TOutputFile(const QString &path);

    QIODevice &Device() { return FFile; }
    // Throws "Cannot write file <path>: <reason>".
    void Write(const QByteArray &bytes);
    // Encodes picture with Qt's writer for format ("png", "bmp"...).
    // Throws "Cannot write file <path>: <reason>".
    void WriteImage(const QImage &picture, const char *format);
    // Puts the file in place of the target. Throws "Cannot write file <path>: <reason>".
    void Commit();

private:
    [[noreturn]] void ThrowWriteError(const QString &reason);

    QSaveFile FFile;
    QString FNativePath;
};
