// Writes a synthetic data folder (the tests' standard one, or one large state) beside a
// copy of the viewer, for the end-to-end test and for looking at the windows by hand.
//   tovral-test-data standard <folder>
//   tovral-test-data large <folder> <width> <height>
#include <QGuiApplication>
#include <cstdio>

#include "base/errors.h"
#include "tests/app/test_data_folder.h"

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    const QStringList arguments = application.arguments().mid(1);
    try {
        if (arguments.size() == 2 && arguments[0] == QLatin1String("standard")) {
            WriteStandardTestFolder(arguments[1]);
            return 0;
        }
        if (arguments.size() == 4 && arguments[0] == QLatin1String("large")) {
            WriteLargeTestFolder(arguments[1], QSize(arguments[2].toInt(), arguments[3].toInt()));
            return 0;
        }
    } catch (const TovralError &error) {
        std::fprintf(stderr, "tovral-test-data: %s\n", error.what());
        return 1;
    }
    std::fprintf(stderr, "usage: tovral-test-data standard <folder> | large <folder> <width> <height>\n");
    return 2;
}
