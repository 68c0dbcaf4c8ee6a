// The viewer's windows driven as a user drives them, and walked as a screen reader walks them
// (through Qt's accessibility interfaces, no bus needed), on the offscreen platform, against a
// small generated data folder. With TOVRAL_SHOW_NAMES set, the walk's list of controls and
// names is printed.
#include <QAccessible>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QListWidget>
#include <QMetaEnum>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QToolButton>
#include <QTest>
#include <memory>

#include "app/bevel_panel.h"
#include "app/map_view.h"
#include "app/view_math.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "base/errors.h"
#include "dialogs/tovral_area.h"
#include "dialogs/tovral_leg.h"
#include "dialogs/tovral_status.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "mapdata/names.h"
#include "mapdata/tile_cache.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"

namespace {
const TViewBitmap &ViewBitmap()
{
    return MapControl<TViewImage>("Image").Bitmap();
}

// The colour shown at a point of the view bitmap.
QColor ViewPixel(int x, int y)
{
    return QColor(ViewBitmap().Picture().pixel(x, y));
}

QColor ViewCentrePixel()
{
    const QImage &bitmap = ViewBitmap().Pixels();
    return ViewPixel(bitmap.width() / 2, bitmap.height() / 2);
}

// With TOVRAL_SCREENSHOTS=<folder>, saves what a window shows, for a person to look at.
void SaveScreenshot(QWidget *window, const QString &name)
{
    const QString folder = qEnvironmentVariable("TOVRAL_SCREENSHOTS");
    if (!folder.isEmpty())
        window->grab().save(folder + QLatin1Char('/') + name + QStringLiteral(".png"));
}

bool DrawnFromLightMap()
{
    return ViewCentrePixel().blue() < (kLightMapBlue + kFullMapBlue) / 2;
}

// The entries of the map window's city list.
QStringList CityEntries()
{
    const QListWidget &list = MapControl<QListWidget>("lCidades");
    QStringList entries;
    for (int row = 0; row < list.count(); ++row)
        entries << list.item(row)->text();
    return entries;
}

// Records, at the moment the status window appears, whether the map window is disabled and
// what the status window says.
class TStatusWatcher : public QObject {
public:
    TStatusWatcher() { formStatus->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show) {
            Texts << Control<QLabel>(*formStatus, "lStatus").text();
            MapWindowDisabled = !formTovralMain->isEnabled();
        }
        return false;
    }
    QStringList Texts;
    bool MapWindowDisabled = false;
};

// Roles of what only holds or separates other objects: a screen reader passes over them.
bool IsContainer(QAccessible::Role role)
{
    switch (role) {
    case QAccessible::Client:
    case QAccessible::Pane:
    case QAccessible::Window:
    case QAccessible::Dialog:
    case QAccessible::Grouping:
    case QAccessible::Separator:
    case QAccessible::Border:
    case QAccessible::Whitespace:
    case QAccessible::LayeredPane:
    case QAccessible::PageTabList:
        return true;
    default:
        return false;
    }
}

// What a screen reader says an object is. A choice box's accessible name is the entry it
// shows (so it on Linux): what it asks for is the label that names it.
QString SpokenName(QAccessibleInterface &node)
{
    if (node.role() != QAccessible::ComboBox)
        return node.text(QAccessible::Name);
    QStringList labels;
    for (const auto &[label, relation] : node.relations(QAccessible::Label))
        labels << label->text(QAccessible::Name);
    return labels.join(QLatin1Char(' '));
}

// Walks the visible objects of windows as assistive technology does, listing each control with
// its role and the name a screen reader gives it.
class TAccessibleWalk {
public:
    void Window(QWidget *window)
    {
        FWindow = QString::fromLatin1(window->metaObject()->className());
        Walk(QAccessible::queryAccessibleInterface(window));
    }

    const QStringList &Lines() const { return FLines; }
    // "window: objectName (role)" of each visible control without a name.
    const QStringList &Unnamed() const { return FUnnamed; }

private:
    void Walk(QAccessibleInterface *node)
    {
        if (!node || node->state().invisible)
            return;
        const QString object = node->object() ? node->object()->objectName() : QString();
        const QString role =
            QString::fromLatin1(QMetaEnum::fromType<QAccessible::Role>().valueToKey(node->role()));
        const QString name = SpokenName(*node);
        if (!IsContainer(node->role())) {
            FLines << QStringLiteral("%1 %2 (%3): \"%4\"").arg(FWindow, object, role, name);
            if (name.trimmed().isEmpty())
                FUnnamed << QStringLiteral("%1: %2 (%3)").arg(FWindow, object, role);
        }
        for (int i = 0; i < node->childCount(); ++i)
            Walk(node->child(i));
    }

    QString FWindow;
    QStringList FLines;
    QStringList FUnnamed;
};

QAccessibleInterface &MapViewAccessible()
{
    return *QAccessible::queryAccessibleInterface(&MapControl<TViewImage>("Image"));
}
} // namespace

class TestViewerWindows : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FFolder;
    std::unique_ptr<TViewerWindows> FWindows;

    void CreateWindows() { FWindows = std::make_unique<TViewerWindows>(); }

    // Starts the viewer as the program does and waits for the chosen state to be shown.
    bool StartWithState(TModalAnswers &answers, const QString &displayName)
    {
        CreateWindows();
        return ShowWithState(answers, displayName);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        WriteStandardTestFolder(FFolder.path());
        AppPath = FFolder.path() + QLatin1Char('/');
    }

    void cleanup() { FWindows.reset(); }

    // Guards against windows created out of order, a map window that is not laid out as
    // designed, or a state picker shown more than once or before the window is up.
    void startupCreatesWindowsInOrderAndPicksOnFirstActivation()
    {
        TModalAnswers answers;
        CreateWindows();
        QVERIFY(formTovralMain && formPickUF && formStatus && formArea && formLegendas);
        QVERIFY(!formTovralMain->isVisible() && !formPickUF->isVisible());
        // The picker read its catalogue after the map window read the cities.
        QCOMPARE(FWindows->Data().CityRows().Count(), 11);
        QCOMPARE(Control<QComboBox>(*formPickUF, "cUF").count(), 4);
        QCOMPARE(formTovralMain->windowTitle(), QStringLiteral("Tovral"));
        QVERIFY(MapControl<QLabel>("lUF").text().isEmpty() && MapControl<QListWidget>("lCidades").count() == 0);

        answers.Add(PickState(QStringLiteral("São Paulo")));
        TStatusWatcher status;
        formTovralMain->show();
        QTRY_VERIFY_WITH_TIMEOUT(formTovralMain->Ready(), kViewerWaitMs);
        QCOMPARE(answers.ModalsSeen(), 1);
        QCOMPARE(status.Texts, QStringList{QStringLiteral("Aguarde. Carregando mapa...")});
        QVERIFY(status.MapWindowDisabled);
        QVERIFY(!formStatus->isVisible());
        QVERIFY(formTovralMain->isEnabled());

        // Designed geometry at the designed client size.
        QCOMPARE(formTovralMain->size(), QSize(610, 406));
        QCOMPARE(MapControl<TPanel>("pImage").geometry(), QRect(155, 103, 445, 264));
        QCOMPARE(MapControl<TViewImage>("Image").geometry(), QRect(1, 31, 443, 213));
        QCOMPARE(MapControl<TPanel>("pBottom").geometry(), QRect(0, 367, 610, 39));
        QCOMPARE(MapControl<TPanel>("pNav").geometry(), QRect(35, 180, 82, 80));
        const QPushButton &bSair = MapControl<QPushButton>("bSair");
        QCOMPARE(bSair.x() + bSair.width() + 8, 610);
        SaveScreenshot(formTovralMain, QStringLiteral("map_window"));
        SaveScreenshot(formPickUF, QStringLiteral("state_picker"));

        // The state is shown: name, whole map, first city selected, empty search box.
        QCOMPARE(formTovralMain->CurrentUF(), QStringLiteral("SP"));
        QCOMPARE(MapControl<QLabel>("lUF").text(), QStringLiteral("São Paulo"));
        QCOMPARE(MapControl<QComboBox>("cZoom").currentText(), QStringLiteral("Mapa Inteiro"));
        QCOMPARE(ViewBitmap().Pixels().size(), QSize(443, 213));
        const QListWidget &cities = MapControl<QListWidget>("lCidades");
        QCOMPARE(cities.currentRow(), 0);
        QLineEdit &search = MapControl<QLineEdit>("eCidade");
        QVERIFY(search.text().isEmpty());
        QCOMPARE(QApplication::focusWidget(), &search);
        QVERIFY(MapControl<QPushButton>("bCidadeMapa").isEnabled());
        const QString row = FWindows->Data().CityRows()[formTovralMain->SelectedCityRow()];
        QCOMPARE(UpperCase(RowCityName(row)), UpperCase(cities.item(0)->text()));

        // Later activations do not bring the picker back.
        formStatus->show();
        formStatus->activateWindow();
        formStatus->hide();
        formTovralMain->activateWindow();
        QTest::qWait(50);
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against a state's city list that misses rows of lower-case codes, keeps repeats,
    // stops early for the last code, or gets out of step with StateCityNames.
    void stateCityBlockAndDisplayNames()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        const QStringList expected = {QStringLiteral("Campinas"), QStringLiteral("Santos"),
                                      QStringLiteral("São Bento do Sapucaí"),
                                      QStringLiteral("São Paulo"), QStringLiteral("Zacarias")};
        QCOMPARE(CityEntries(), expected);
        for (int i = 0; i < formTovralMain->StateCities().Count(); ++i)
            QCOMPARE(formTovralMain->StateCities()[i], UpperCase(expected[i]));
        // sp sorts last among the picker's codes: its block runs to the catalogue's end.
        QVERIFY(FWindows->Data().NextUFCode(QStringLiteral("SP")).isEmpty());
    }

    // Guards against a cancelled first choice that leaves a window without a state, or that
    // shows a message.
    void cancelAtStartEndsSilently()
    {
        TModalAnswers answers;
        CreateWindows();
        answers.Add(PickState(QStringLiteral("São Paulo"), false));
        formTovralMain->show();
        QCOMPARE(RunUntilTerminated(), 0);
        QVERIFY(answers.Messages().isEmpty());
        QVERIFY(!formTovralMain->Ready());
    }

    // Guards against a missing .pts file being ignored, the message coming before the
    // window is usable again, or the program going on after it.
    void missingPtsEndsWithLoadError()
    {
        TModalAnswers answers;
        CreateWindows();
        answers.Add(PickState(QStringLiteral("Rio de Janeiro")));
        answers.AddMessageBoxOk();
        formTovralMain->show();
        QCOMPARE(RunUntilTerminated(), 0);
        QCOMPARE(answers.Messages(), QStringList{QStringLiteral("Erro ao carregar mapas")});
        QVERIFY(formTovralMain->isEnabled());
        QVERIFY(!formStatus->isVisible());
        QVERIFY(!formTovralMain->Ready());
        // The new state's name and cities were in place before the maps were read; a row of a
        // code that is no state (RR) belongs to the state before it.
        QCOMPARE(MapControl<QLabel>("lUF").text(), QStringLiteral("Rio de Janeiro"));
        QCOMPARE(CityEntries(),
                 (QStringList{QStringLiteral("Boa Vista"), QStringLiteral("Niterói"),
                              QStringLiteral("Rio de Janeiro")}));
    }

    // Guards against the display check being skipped, or a poor display reaching the picker.
    void poorDisplayIsRefused()
    {
        TModalAnswers answers;
        CreateWindows();
        formTovralMain->ColorCountProbe = [](const QScreen *) { return 256.0; };
        answers.AddMessageBoxOk();
        formTovralMain->show();
        QCOMPARE(RunUntilTerminated(), 0);
        QCOMPARE(answers.ModalsSeen(), 1);
        QVERIFY(answers.Messages().value(0).startsWith(QStringLiteral("Este programa exige vídeo")));
    }

    // Guards against a cancelled change of state that clears or redraws the current one, and
    // a confirmed one that keeps the old map or list.
    void changeOfStateCancelledAndConfirmed()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        const qint64 before = ViewBitmap().Pixels().cacheKey();
        answers.Add(PickState(QStringLiteral("Minas Gerais"), false));
        QPushButton &changeState = MapControl<QPushButton>("bChangeUF");
        changeState.click();
        QCOMPARE(formTovralMain->CurrentUF(), QStringLiteral("SP"));
        QCOMPARE(MapControl<QListWidget>("lCidades").count(), 5);
        QCOMPARE(ViewBitmap().Pixels().cacheKey(), before);
        // The picker keeps the entry moved to, although it was cancelled.
        QCOMPARE(formPickUF->SelectedUF(), QStringLiteral("MG"));

        // Confirmed with Enter on the focused button; the search box has the focus after it.
        answers.Add(PickState(QStringLiteral("Minas Gerais")));
        changeState.setFocus();
        QTest::keyClick(&changeState, Qt::Key_Return);
        QCOMPARE(formTovralMain->CurrentUF(), QStringLiteral("MG"));
        QCOMPARE(formTovralMain->focusWidget(), &MapControl<QLineEdit>("eCidade"));
        QCOMPARE(CityEntries(), QStringList{QStringLiteral("Belo Horizonte")});
        QCOMPARE(formTovralMain->View()->FullMap().Width(), 300);
        // Tall map at "Mapa Inteiro": white bands left and right, the map in the middle.
        QCOMPARE(ViewPixel(2, 100), QColor(Qt::white));
        QVERIFY(ViewCentrePixel() != QColor(Qt::white));
    }

    // Guards against wrong zoom scales, a centre kept on an axis where the map fits, and the
    // wrong map (light or full) drawing a zoom level.
    void zoomLevelsScalesCentringAndMapChoice()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        // Fit: 213 / 1200 is below 443 / 2400; the 426-pixel-wide map leaves white bands.
        QCOMPARE(formTovralMain->View()->Scale(), 213.0L / 1200.0L);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        QCOMPARE(ViewPixel(2, 106), QColor(Qt::white));
        QVERIFY(DrawnFromLightMap());

        const bool usesLight[] = {true, true, true, false, false, false, false};
        for (int index = 1; index <= 6; ++index) {
            SelectZoom(index);
            QCOMPARE(formTovralMain->View()->Scale(), index * 0.2L);
            QCOMPARE(DrawnFromLightMap(), usesLight[index]);
        }

        // A point chosen by panning survives zooming on the axes where the map overflows.
        SelectZoom(5);
        ClickButton("SpeedButton1");
        ClickButton("SpeedButton5");
        const QPoint panned = formTovralMain->View()->Center();
        SelectZoom(3);
        QCOMPARE(formTovralMain->View()->Center(), panned);
        // The middle of the view shows the centre's map point (ramp colours, JPEG tolerance).
        const QColor expected = RampColour(panned, {2400, 1200}, kFullMapBlue);
        QVERIFY(qAbs(ViewCentrePixel().red() - expected.red()) <= 6);
        QVERIFY(qAbs(ViewCentrePixel().green() - expected.green()) <= 6);
        SelectZoom(0);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));

        // Toggling the quality switch redraws the same view.
        const qint64 before = ViewBitmap().Pixels().cacheKey();
        ClickButton("cbHQ");
        QVERIFY(ViewBitmap().Pixels().cacheKey() != before);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
    }

    // Guards against a view on a high-density screen drawn at its size in view pixels and
    // enlarged (blurred), painted through a scaled painter rather than in device pixels, or
    // drawn from the map a ratio of 1 would not show at that zoom (chosen by the device
    // scale, its names half as large in view pixels at a ratio of 2).
    void devicePixelRatioDrawsTheScaledViewIntoDevicePixels()
    {
        const QString img = AppPath + QStringLiteral("img/");
        TMapView view;
        view.Load(img + QStringLiteral("sp_light.map"), img + QStringLiteral("sp_full.map"),
                  img + QStringLiteral("sp.pts"));
        const QSize lightSize(view.LightMap().Width(), view.LightMap().Height());
        const long double lightRatio = (long double)lightSize.width() / view.FullMap().Width();
        for (const qreal ratio : {2.0, 1.5}) {
            for (int zoom = kWholeMapZoomIndex; zoom <= kLargestZoomIndex; ++zoom) {
                view.Resize(QSize(443, 213), ratio);
                view.CentreOn(QPoint(700, 400));
                view.ZoomTo(zoom);
                TViewBitmap bitmap;
                view.Render(bitmap, TRenderQuality::High);
                QImage drawn = bitmap.Picture();
                const QString row = QStringLiteral("ratio %1, zoom %2").arg(ratio).arg(zoom);
                QCOMPARE(drawn.devicePixelRatio(), ratio);
                QCOMPARE(drawn.size(), ratio == 2.0 ? QSize(886, 426) : QSize(665, 320));

                const TMapChoice choice = ChooseMap(view.Center(), view.Scale(), view.FullMapSize(),
                                                    lightSize, lightRatio, ratio);
                QImage expected(drawn.size(), QImage::Format_RGB32);
                QPainter canvas(&expected);
                canvas.setBrush(Qt::white);
                canvas.setClipRect(expected.rect());
                (choice.UseLightMap ? view.LightMap() : view.FullMap())
                    .Draw(TRenderQuality::High, choice.Center, expected.rect(), choice.Scale, canvas);
                canvas.end();
                drawn.setDevicePixelRatio(1);
                QVERIFY2(drawn == expected, qPrintable(row));
                // The light map (0.4 of the full map's pixels) serves up to 40% at every ratio,
                // as at a ratio of 1.
                const QColor centre = drawn.pixelColor(drawn.rect().center());
                const bool fromLightMap = centre.blue() < (kLightMapBlue + kFullMapBlue) / 2;
                QVERIFY2(fromLightMap == (zoom <= 2), qPrintable(row));
            }
        }
    }

    // Guards against pan steps that are not a quarter of the view, a centre pushed off the
    // map, and pan buttons that move or redraw on an axis where the map fits.
    void panButtonsStepsClampingAndFittingAxes()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        const qint64 wholeMap = ViewBitmap().Pixels().cacheKey();
        ClickButton("bTL");
        ClickButton("SpeedButton4");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        QCOMPARE(ViewBitmap().Pixels().cacheKey(), wholeMap);

        SelectZoom(5); // 100%: steps round(443 / 4) = 111 and round(213 / 4) = 53
        ClickButton("SpeedButton1");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1311, 600));
        ClickButton("bTL");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 547));
        SelectZoom(1); // 20%: steps round(553.75) = 554 and round(266.25) = 266
        ClickButton("SpeedButton3");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(646, 813));
        for (int click = 0; click < 10; ++click)
            ClickButton("SpeedButton4");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(2399, 1199));
        for (int click = 0; click < 10; ++click)
            ClickButton("bTL");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(0, 0));
        // The map's corner at the middle of the view, white beyond it.
        QCOMPARE(ViewPixel(5, 5), QColor(Qt::white));

        // A tall map at 100%: only the vertical axis moves.
        answers.Add(PickState(QStringLiteral("Minas Gerais")));
        ClickButton("bChangeUF");
        SelectZoom(5);
        const QPoint start = formTovralMain->View()->Center();
        const qint64 drawn = ViewBitmap().Pixels().cacheKey();
        ClickButton("SpeedButton2");
        QCOMPARE(ViewBitmap().Pixels().cacheKey(), drawn);
        ClickButton("bTL");
        QCOMPARE(formTovralMain->View()->Center(), QPoint(start.x(), start.y() - 53));
    }

    // Guards against a look-ahead that misses what a pan step draws (a margin too small, the
    // other map, the view's scale taken for the device's): once the view has prepared its
    // surroundings, a step in any direction decodes no tile.
    void preparedSurroundingsServeEveryPanStep()
    {
        const QString img = AppPath + QStringLiteral("img/");
        TMapView view;
        view.Load(img + QStringLiteral("sp_light.map"), img + QStringLiteral("sp_full.map"),
                  img + QStringLiteral("sp.pts"));
        const QPoint middle(1200, 600);
        for (const qreal ratio : {1.0, 2.0}) {
            for (const int zoom : {2, 5}) { // 40%: the light map at a ratio of 1; and 100%
                view.Resize(QSize(443, 213), ratio);
                view.CentreOn(middle);
                view.ZoomTo(zoom);
                TViewBitmap drawn;
                view.Render(drawn, TRenderQuality::Plain);
                view.PrepareSurroundings(TRenderQuality::Plain);
                view.WaitUntilPrepared();
                const size_t prepared = SharedTileCache().Bytes();
                for (const QPoint direction : {QPoint(-1, -1), QPoint(0, -1), QPoint(1, -1), QPoint(-1, 0),
                                               QPoint(1, 0), QPoint(-1, 1), QPoint(0, 1), QPoint(1, 1)}) {
                    QVERIFY(view.Pan(direction.x(), direction.y()));
                    view.Render(drawn, TRenderQuality::Plain);
                    QVERIFY2(SharedTileCache().Bytes() == prepared,
                             qPrintable(QStringLiteral("ratio %1, zoom %2, step (%3, %4)").arg(ratio).arg(zoom)
                                            .arg(direction.x()).arg(direction.y())));
                    view.CentreOn(middle);
                }
            }
        }
    }

    // Guards against nested redraws while the renderer lets events run, keys and clicks that
    // reach the window during a redraw (or not after it), a window greyed for every redraw,
    // and a redraw that starts while the window is disabled.
    void redrawNeverNests()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        TViewImage &image = MapControl<TViewImage>("Image");
        int pieces = 0;
        bool keptLook = true;
        const auto during = [&] {
            ++pieces;
            keptLook = keptLook && formTovralMain->isEnabled();
            if (pieces < 100) {
                RedrawView();
                QTest::keyClick(&image, Qt::Key_Right); // each would pan the map
                QTest::mouseClick(&MapControl<QToolButton>("SpeedButton1"), Qt::LeftButton);
            }
        };
        formTovralMain->View()->OnEachPiece(during);
        SelectZoom(5);
        QVERIFY(pieces > 0 && pieces < 100);
        QVERIFY(keptLook);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        formTovralMain->View()->OnEachPiece({});
        QTest::keyClick(&image, Qt::Key_Right);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1311, 600));

        formTovralMain->setEnabled(false);
        const qint64 before = ViewBitmap().Pixels().cacheKey();
        SelectZoom(6);
        QCOMPARE(ViewBitmap().Pixels().cacheKey(), before);
        formTovralMain->setEnabled(true);
    }

    // Guards against a re-layout that leaves the left panel, bSair or the view behind when
    // the window is maximised, or that does not redraw and refit the map.
    void maximisingRelaysOutAndRedraws()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        const long double designedScale = formTovralMain->View()->Scale();
        formTovralMain->showMaximized();
        QTRY_VERIFY(formTovralMain->size() != QSize(610, 406));
        const QSize client = formTovralMain->size();
        TformTovralMain &w = *formTovralMain;
        const QWidget &bSair = MapControl<QPushButton>("bSair");
        const QWidget &pNav = MapControl<TPanel>("pNav");
        const QWidget &bChangeUF = MapControl<QPushButton>("bChangeUF");
        const QWidget &bCidadeMapa = MapControl<QPushButton>("bCidadeMapa");
        const QWidget &lCidades = MapControl<QListWidget>("lCidades");
        const TViewImage &image = MapControl<TViewImage>("Image");
        QCOMPARE(bSair.x() + bSair.width() + MapControl<QPushButton>("bCalcDist").x(), client.width());
        QCOMPARE(pNav.y() + pNav.height() + 4, MapControl<TPanel>("pLeft").height());
        QCOMPARE(bChangeUF.y(), pNav.y() - bChangeUF.height() - 4);
        QCOMPARE(bCidadeMapa.y(), bChangeUF.y() - bCidadeMapa.height() - 2);
        QCOMPARE(lCidades.y() + lCidades.height(), bCidadeMapa.y() - 2);
        const QSize view(client.width() - 155 - 10 - 2, client.height() - 103 - 39 - 2 - 30 - 19);
        QCOMPARE(image.size(), view);
        QCOMPARE(image.Bitmap().Pixels().size(), view);
        QVERIFY(w.View()->Scale() > designedScale);
        SaveScreenshot(&w, QStringLiteral("map_window_maximised"));

        w.showNormal();
        QTRY_COMPARE(w.size(), QSize(610, 406));
        QCOMPARE(image.Bitmap().Pixels().size(), QSize(443, 213));
        QCOMPARE(w.View()->Scale(), designedScale);
    }

    // Guards against a legend button whose caption disagrees with the legend window, and
    // legend pages without their pictures.
    void legendWindowShowsAndHides()
    {
        CreateWindows();
        QCOMPARE(formLegendas->windowTitle(), QStringLiteral("Legendas"));
        QCOMPARE(formLegendas->size(), QSize(411, 285));
        QTabWidget &pages = Control<QTabWidget>(*formLegendas, "Pages");
        QCOMPARE(pages.count(), 4);
        QCOMPARE(pages.tabText(3), QStringLiteral("Página 4"));
        for (const char *picture : {"Image3", "Image4", "Image2", "Image1"})
            QCOMPARE(Control<QLabel>(*formLegendas, picture).pixmap().size(), QSize(403, 257));

        QPushButton &legends = MapControl<QPushButton>("bLegendas");
        legends.click();
        QVERIFY(formLegendas->isVisible());
        QCOMPARE(legends.text(), QStringLiteral("Ocultar Legendas"));
        for (int page = 0; page < 4; ++page) {
            pages.setCurrentIndex(page);
            SaveScreenshot(formLegendas, QStringLiteral("legend_page%1").arg(page + 1));
        }
        pages.setCurrentIndex(0);
        formLegendas->close(); // its own close button
        QVERIFY(!formLegendas->isVisible());
        QCOMPARE(legends.text(), QStringLiteral("Exibir Legendas"));
        legends.click();
        QVERIFY(formLegendas->isVisible());
        legends.click();
        QVERIFY(!formLegendas->isVisible());
        QCOMPARE(legends.text(), QStringLiteral("Exibir Legendas"));
    }

    // Guards against an area chooser whose Enter, second choice or cancel give the caller a
    // wrong answer, or that does not start on the first choice.
    void areaChooserAnswers()
    {
        TModalAnswers answers;
        CreateWindows();
        formArea->SetQuestion(QStringLiteral("Escolha qual parte do mapa será gravada"));
        QWidget *focused = nullptr;
        answers.Add([&focused](QWidget *modal) {
            focused = modal->focusWidget();
            QTest::keyClick(modal, Qt::Key_Return);
        });
        QCOMPARE(formArea->exec(), int(QDialog::Accepted));
        QVERIFY(formArea->VisibleAreaOnly());
        QCOMPARE(focused, &Control<QRadioButton>(*formArea, "rb1"));

        answers.Add([](QWidget *) {
            Control<QRadioButton>(*formArea, "rb2").click();
            Control<QPushButton>(*formArea, "bOK").click();
        });
        QCOMPARE(formArea->exec(), int(QDialog::Accepted));
        QVERIFY(!formArea->VisibleAreaOnly());

        answers.Add([](QWidget *modal) {
            Control<QRadioButton>(*formArea, "rb1").click();
            QTest::keyClick(modal, Qt::Key_Escape);
        });
        QCOMPARE(formArea->exec(), int(QDialog::Rejected));
        QVERIFY(!formArea->VisibleAreaOnly());
    }

    // Guards against a status window the user can close or that has a system menu, and a
    // failed operation that leaves the map window disabled, the status window up or the
    // focus lost.
    void statusWindowInEveryOutcome()
    {
        CreateWindows();
        const Qt::WindowFlags flags = formStatus->windowFlags();
        QVERIFY(flags & Qt::WindowStaysOnTopHint);
        QVERIFY(!(flags & (Qt::WindowCloseButtonHint | Qt::WindowSystemMenuHint)));
        QCOMPARE(formStatus->size(), QSize(290, 49));
        QCOMPARE(formStatus->windowTitle(), QStringLiteral("Tovral"));

        formTovralMain->show();
        QListWidget &cities = MapControl<QListWidget>("lCidades");
        cities.setFocus();
        bool failed = false;
        try {
            TStatusScope saving(formTovralMain, QStringLiteral("Aguarde. Salvando imagem..."), false);
            QVERIFY(formStatus->isVisible() && !formTovralMain->isEnabled());
            SaveScreenshot(formStatus, QStringLiteral("status_window"));
            formArea->SetQuestion(QStringLiteral("Escolha qual parte do mapa será impressa"));
            Control<QLabel>(*formArea, "lTitulo").adjustSize();
            SaveScreenshot(formArea, QStringLiteral("area_chooser"));
            formStatus->close(); // the user's close request is ignored
            QVERIFY(formStatus->isVisible());
            throw TovralError(QStringLiteral("disk full"));
        } catch (const TovralError &) {
            failed = true;
        }
        QVERIFY(failed);
        QVERIFY(!formStatus->isVisible());
        QVERIFY(formTovralMain->isEnabled());
        QCOMPARE(formTovralMain->focusWidget(), &cities);
    }

    // Guards against a painting that fails opening its message box while the widget paints,
    // or once for every repaint: the failures of one burst make one report, shown after the
    // painting, and a later failure is reported again.
    void paintFailuresAreReportedAfterPainting()
    {
        struct TFailingWidget : QWidget {
            void paintEvent(QPaintEvent *) override
            {
                PaintReported(this, [] { throw TovralError(QStringLiteral("Cannot paint")); });
            }
        } widget;
        TModalAnswers answers;
        widget.show();
        QVERIFY(QTest::qWaitForWindowExposed(&widget));
        for (int burst = 1; burst <= 2; ++burst) {
            widget.repaint();
            widget.repaint();
            QCOMPARE(answers.ModalsSeen(), burst - 1);
            answers.AddMessageBoxOk();
            QTRY_COMPARE(answers.Messages().size(), burst);
            QTest::qWait(50);
            QCOMPARE(answers.ModalsSeen(), burst);
        }
    }

    // Guards against an exception escaping an event handler: the program must report it and
    // go on.
    void uncaughtErrorsAreReported()
    {
        TModalAnswers answers;
        CreateWindows();
        answers.AddMessageBoxOk();
        QTimer::singleShot(0, [] { throw TovralError(QStringLiteral("Cannot open file x.map")); });
        QTRY_COMPARE(answers.Messages(), QStringList{QStringLiteral("Cannot open file x.map")});
        QVERIFY(formTovralMain->isEnabled());
    }

    // Guards against a control a screen reader can only call "button" or "edit": any visible
    // control of any window (controls added later included) that has no name.
    void everyVisibleControlOfEveryWindowHasAName()
    {
        TModalAnswers answers;
        TAccessibleWalk walk;
        CreateWindows();
        answers.Add([&walk](QWidget *picker) {
            walk.Window(picker);
            PickState(QStringLiteral("São Paulo"))(picker);
        });
        formTovralMain->show();
        QTRY_VERIFY_WITH_TIMEOUT(formTovralMain->Ready() && formTovralMain->isEnabled(), kViewerWaitMs);
        walk.Window(formTovralMain);

        answers.Add([&walk](QWidget *calculator) {
            walk.Window(calculator);
            Control<QPushButton>(*calculator, "Button2").click();
        });
        ClickButton("bCalcDist");
        answers.Add([&walk](QWidget *area) {
            walk.Window(area);
            Control<QPushButton>(*area, "bCancel").click();
        });
        formArea->SetQuestion(QStringLiteral("Escolha qual parte do mapa será gravada"));
        formArea->exec();

        ClickButton("bLegendas");
        QTabWidget &pages = Control<QTabWidget>(*formLegendas, "Pages");
        for (int page = 0; page < pages.count(); ++page) {
            pages.setCurrentIndex(page);
            walk.Window(formLegendas);
        }
        formStatus->SetStatusText(QStringLiteral("Aguarde. Carregando mapa..."));
        formStatus->show();
        walk.Window(formStatus);
        formStatus->hide();

        QVERIFY(answers.AllAnswered());
        if (qEnvironmentVariableIsSet("TOVRAL_SHOW_NAMES"))
            qInfo().noquote() << walk.Lines().join(QLatin1Char('\n'));
        const QString unnamed = walk.Unnamed().join(QStringLiteral("; "));
        QVERIFY2(unnamed.isEmpty(), qPrintable(QStringLiteral("controls without a name: ") + unnamed));
    }

    // Guards against a map view that a screen reader cannot reach or that does not say what it
    // shows after a redraw: the state, the zoom and the city nearest the centre.
    void mapViewSaysWhatItShows()
    {
        TModalAnswers answers;
        CreateWindows();
        QCOMPARE(MapViewAccessible().text(QAccessible::Name), QStringLiteral("Mapa"));
        QVERIFY(ShowWithState(answers, QStringLiteral("São Paulo")));
        QAccessibleInterface &view = MapViewAccessible();
        QCOMPARE(view.role(), QAccessible::Graphic);
        QVERIFY(view.state().focusable);
        QVERIFY(view.text(QAccessible::Name)
                    .startsWith(QStringLiteral("Mapa: São Paulo, mapa inteiro, centro perto de ")));

        QLineEdit &search = MapControl<QLineEdit>("eCidade");
        search.setText(QStringLiteral("santos"));
        QTest::keyClick(&search, Qt::Key_Return);
        const QString name = QStringLiteral("Mapa: São Paulo, zoom %1, centro perto de Santos");
        QCOMPARE(view.text(QAccessible::Name), name.arg(QStringLiteral("100%")));
        QVERIFY(view.text(QAccessible::Description)
                    .startsWith(name.arg(QStringLiteral("100%")) + QStringLiteral(". As setas")));
        SelectZoom(4);
        QCOMPARE(view.text(QAccessible::Name), name.arg(QStringLiteral("80%")));
    }
};

int main(int argc, char *argv[])
{
    return RunViewerTests<TestViewerWindows>(argc, argv);
}

#include "test_viewer_windows.moc"
