#include "mapdata/app_path.h"

#include <filesystem>
#include <system_error>

namespace {
// The folder of the running executable with a trailing '/', or "" when the link to the
// executable cannot be read (data paths then resolve against the working folder).
QString ExecutableFolder()
{
    std::error_code error;
    const std::filesystem::path executable = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        return QString();
    QString folder = QString::fromStdString(executable.parent_path().string());
    if (!folder.endsWith(QLatin1Char('/')))
        folder += QLatin1Char('/');
    return folder;
}
} // namespace

QString AppPath = ExecutableFolder();

QString DataPath(const QString &relative)
{
    return AppPath + QStringLiteral("img/") + relative;
}
