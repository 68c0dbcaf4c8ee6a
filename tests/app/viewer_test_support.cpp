#include "tests/app/viewer_test_support.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QPushButton>

#include "app/form_style.h"
#include "app/tovral_main.h"
#include "dialogs/tovral_uf.h"

TModalAnswers::TAnswer PickState(const QString &displayName, bool confirm)
{
    return [displayName, confirm](QWidget *modal) {
        auto *picker = qobject_cast<TformPickUF *>(modal);
        if (!picker)
            return modal->close(), void();
        QComboBox &states = Control<QComboBox>(*picker, "cUF");
        states.setCurrentIndex(states.findText(displayName));
        Control<QPushButton>(*picker, confirm ? "bOK" : "bCancel").click();
    };
}

bool ShowWithState(TModalAnswers &answers, const QString &displayName)
{
    answers.Add(PickState(displayName));
    formTovralMain->show();
    return QTest::qWaitFor([] { return formTovralMain->Ready() && formTovralMain->isEnabled(); },
                           kViewerWaitMs);
}

int RunUntilTerminated()
{
    QTimer watchdog;
    watchdog.setSingleShot(true);
    QObject::connect(&watchdog, &QTimer::timeout, [] { QCoreApplication::exit(-1); });
    watchdog.start(kViewerWaitMs);
    return QApplication::exec();
}

void ChooseEntry(QComboBox &box, int index)
{
    box.setCurrentIndex(index);
    emit box.activated(index);
}

void SelectZoom(int index)
{
    ChooseEntry(MapControl<QComboBox>("cZoom"), index);
}

void RedrawView()
{
    QComboBox &zoom = MapControl<QComboBox>("cZoom");
    ChooseEntry(zoom, zoom.currentIndex());
}

void ClickButton(const char *name)
{
    MapControl<QAbstractButton>(name).click();
}

std::unique_ptr<TTovralApplication> StartOffscreenApplication(int &argc, char **argv)
{
    // An offscreen platform given with its options (screens from a file) is kept.
    if (!qgetenv("QT_QPA_PLATFORM").startsWith("offscreen"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    auto application = std::make_unique<TTovralApplication>(argc, argv);
    InitialiseApplication(*application);
    application->setQuitOnLastWindowClosed(false);
    return application;
}
