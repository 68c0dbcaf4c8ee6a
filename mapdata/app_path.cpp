#include "mapdata/app_path.h"

#include <filesystem>
#include <system_error>

namespace {
// The folder of the running executable with a trailing '/', or "" when the link to the
// executable cannot be read (data paths then resolve against the working folder). The kernel
// resolves /proc/self/exe to the executable's real path, every symbolic link followed, so a
// start through an installed link (bin/tovral to lib/tovral/tovral) still finds img/ beside the
// executable itself. The Windows counterpart is GetModuleFileNameW(nullptr, ...).
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
