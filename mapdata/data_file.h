#pragma once

#include <QFile>
#include <QString>

class QIODevice;

// Opens one file of the data folder for reading. Only regular files are accepted: a FIFO
// standing in a data file's place would block the viewer forever on opening, and a device
// such as /dev/zero would feed it bytes without end.
// Throws TovralError "Cannot open file <native path>" when the file cannot be opened, with
// the reason appended when it is something other than a regular file.
// The non-blocking open and fstat are POSIX; the Windows counterpart is CreateFileW followed
// by GetFileType, accepting only FILE_TYPE_DISK.
void OpenDataFile(QFile &file, const QString &path);

// The native path of the file behind a stream, for error messages; "(stream)" for a device
// that is no named file.
QString StreamName(const QIODevice &stream);
