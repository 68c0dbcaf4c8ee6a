// The viewer's entry: one instance per user, the windows in their fixed order, the loop.
#include "app/error_report.h"
#include "app/form_style.h"
#include "app/single_instance.h"
#include "app/tovral_main.h"
#include "app/viewer_windows.h"

int main(int argc, char *argv[])
{
    // Held until the process ends; a second start by the same user ends here, silently.
    if (!ClaimSingleInstance(QStringLiteral("VexoraTovral")))
        return 0;

    // The layouts are in pixels: no scaling by the screen's DPI.
    qputenv("QT_ENABLE_HIGHDPI_SCALING", "0");
    TTovralApplication application(argc, argv);
    InitialiseApplication(application);
    // The program ends when the map window closes, whatever else is open.
    application.setQuitOnLastWindowClosed(false);

    const TViewerWindows windows;
    formTovralMain->show();
    return application.exec();
}
