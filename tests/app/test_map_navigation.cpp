// Wheel, drag and keys over the map view, on the offscreen platform, against the small
// generated data folder (SP: a 2400 x 1200 full map; MG: a tall 300 x 900 one).
#include <QApplication>
#include <QLineEdit>
#include <QtMath>
#include <QCheckBox>
#include <QComboBox>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QWheelEvent>
#include <QWindow>
#include <memory>

#include "app/form_style.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/view_math.h"
#include "app/viewer_windows.h"
#include "mapdata/app_path.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"

namespace {
constexpr int kNotch = 120;
const QSize kSaoPauloMap(2400, 1200);

TViewImage &View()
{
    return MapControl<TViewImage>("Image");
}

int ZoomEntry()
{
    return MapControl<QComboBox>("cZoom").currentIndex();
}

qint64 Drawn()
{
    return View().Bitmap().Pixels().cacheKey();
}

// Whether the view shows, pixel for pixel, what the map view draws afresh: a pan that kept
// pixels of the picture before kept only those it repeats, and shows them where they belong.
// The focus frame along the edges is left out.
bool ShowsFreshRendering()
{
    const TRenderQuality quality = MapControl<QCheckBox>("cbHQ").isChecked() ? TRenderQuality::High
                                                                            : TRenderQuality::Plain;
    TViewBitmap fresh;
    formTovralMain->View()->Render(fresh, quality);
    const QImage expected = fresh.Picture();
    QImage shown = View().grab().toImage().convertToFormat(QImage::Format_RGB32);
    QImage drawn = expected.copy(shown.rect());
    // The scale bar is painted over the bottom-left corner and the focus frame along the edges,
    // not into the bitmap (painters on the pictures take view pixels).
    const QRect scaleBar(QPoint(0, View().height() - kScaleBarCorner.height()), kScaleBarCorner);
    for (QImage *picture : {&shown, &drawn})
        QPainter(picture).fillRect(scaleBar, Qt::black);
    const int frame = qCeil(TViewImage::kFocusFrameWidth * View().devicePixelRatioF());
    const QRect inside = expected.rect().adjusted(frame, frame, -frame, -frame);
    return View().Bitmap().Picture() == expected && shown.copy(inside) == drawn.copy(inside);
}

// Whether the view is shown with its focus frame: the frame's colour along its edges, over a
// bitmap that does not hold it.
bool ShowsFocusFrame()
{
    const QImage shown = View().grab().toImage();
    const QRgb frame = View().palette().color(QPalette::Highlight).rgb();
    const QImage &bitmap = View().Bitmap().Pixels();
    return shown.pixel(0, 0) == frame &&
           shown.pixel(shown.width() - 1, shown.height() / 2) == frame &&
           bitmap.pixel(0, 0) != frame;
}

void Wheel(QPoint at, int angle)
{
    QWheelEvent event(QPointF(at), QPointF(View().mapToGlobal(at)), QPoint(), QPoint(0, angle),
                      Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(&View(), &event);
}

void Mouse(QEvent::Type type, QPoint at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent event(type, QPointF(at), QPointF(View().mapToGlobal(at)), button, held,
                      Qt::NoModifier);
    QCoreApplication::sendEvent(&View(), &event);
}

void Press(QPoint at) { Mouse(QEvent::MouseButtonPress, at, Qt::LeftButton, Qt::LeftButton); }
void MoveHeld(QPoint to) { Mouse(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton); }
void Release(QPoint at) { Mouse(QEvent::MouseButtonRelease, at, Qt::LeftButton, Qt::NoButton); }

// A key pressed as a person presses it: it goes to the control with the keyboard focus.
void KeyToFocus(Qt::Key key)
{
    QWidget *focused = QApplication::focusWidget();
    QVERIFY2(focused, "nothing has the keyboard focus");
    QTest::keyClick(focused, key);
}

void Drag(QPoint from, QPoint to)
{
    Press(from);
    MoveHeld(to);
    Release(to);
}

// The full-map point (in full-map pixels, fractional) under a view pixel.
QPointF MapPointUnder(QPoint viewPoint)
{
    const QPoint offset = viewPoint - QPoint(View().width() / 2, View().height() / 2);
    const long double scale = formTovralMain->View()->Scale();
    return QPointF(double(formTovralMain->View()->Center().x() + offset.x() / scale),
                   double(formTovralMain->View()->Center().y() + offset.y() / scale));
}

bool SameCursor(const QCursor &shown, const QCursor &expected)
{
    return shown.shape() == expected.shape() && shown.hotSpot() == expected.hotSpot() &&
           shown.bitmap().toImage() == expected.bitmap().toImage();
}

// The platform's screen of that many device pixels per pixel; null when there is none. (The
// offscreen platform makes the last screen of its configuration file the primary one.)
QScreen *ScreenOfRatio(qreal ratio)
{
    for (QScreen *screen : QGuiApplication::screens())
        if (screen->devicePixelRatio() == ratio)
            return screen;
    return nullptr;
}

// The window as a user leaves it after a few moves: zoom entry, centre and picture.
struct TViewState {
    int Zoom;
    QPoint Center;
    qint64 Picture;
    bool operator==(const TViewState &) const = default;
};

TViewState CurrentView()
{
    return {ZoomEntry(), formTovralMain->View()->Center(), Drawn()};
}
} // namespace

class TestMapNavigation : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FFolder;
    std::unique_ptr<TViewerWindows> FWindows;
    std::unique_ptr<TModalAnswers> FAnswers;

    // Starts the viewer as the program does and waits for the chosen state to be shown.
    bool StartWithState(const QString &displayName)
    {
        FAnswers = std::make_unique<TModalAnswers>();
        FWindows = std::make_unique<TViewerWindows>();
        return ShowWithState(*FAnswers, displayName);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid());
        WriteStandardTestFolder(FFolder.path());
        AppPath = FFolder.path() + QLatin1Char('/');
    }

    void cleanup()
    {
        FWindows.reset();
        FAnswers.reset();
    }

    // Guards against wheel notches that skip, repeat or overshoot zoom entries, a zoom box
    // that does not show the entry in use, and a map that slides under the pointer.
    void wheelZoomsThroughEntriesAroundThePointer()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        const QPoint pointer(300, 150);
        for (int entry = 1; entry <= kLargestZoomIndex; ++entry) {
            const QPointF before = MapPointUnder(pointer);
            Wheel(pointer, kNotch);
            QCOMPARE(ZoomEntry(), entry);
            QCOMPARE(formTovralMain->View()->Scale(), entry * 0.2L);
            const QPointF after = MapPointUnder(pointer);
            QVERIFY2(qAbs(after.x() - before.x()) <= 1 && qAbs(after.y() - before.y()) <= 1,
                     qPrintable(QStringLiteral("entry %1").arg(entry)));
        }
        // The picture agrees: the ramp colour under the pointer is that of the kept point
        // (JPEG tolerance).
        const QPointF kept = MapPointUnder(pointer);
        const QColor expected =
            RampColour(QPoint(int(kept.x()), int(kept.y())), kSaoPauloMap, kFullMapBlue);
        const QColor shown(View().Bitmap().Picture().pixel(pointer));
        QVERIFY(qAbs(shown.red() - expected.red()) <= 6 && qAbs(shown.green() - expected.green()) <= 6);

        // Past the last entry nothing is drawn.
        const qint64 largest = Drawn();
        Wheel(pointer, kNotch);
        QCOMPARE(Drawn(), largest);
        QCOMPARE(ZoomEntry(), kLargestZoomIndex);

        for (int entry = kLargestZoomIndex - 1; entry >= kWholeMapZoomIndex; --entry) {
            Wheel(pointer, -kNotch);
            QCOMPARE(ZoomEntry(), entry);
        }
        QCOMPARE(MapControl<QComboBox>("cZoom").currentText(), QStringLiteral("Mapa Inteiro"));
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        const qint64 whole = Drawn();
        Wheel(pointer, -kNotch);
        QCOMPARE(Drawn(), whole);

        // A fast turn of two notches in one event steps two entries and draws once.
        Wheel(pointer, 2 * kNotch);
        QCOMPARE(ZoomEntry(), 2);
    }

    // Guards against touchpad scrolling that zooms on every small step, never zooms, or
    // carries a turn one way into a turn the other way.
    void smoothScrollingAddsUpToNotches()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        const QPoint pointer(221, 106);
        Wheel(pointer, 40);
        Wheel(pointer, 40);
        QCOMPARE(ZoomEntry(), kWholeMapZoomIndex);
        Wheel(pointer, 40);
        QCOMPARE(ZoomEntry(), 1);
        Wheel(pointer, 100);
        Wheel(pointer, -120);
        QCOMPARE(ZoomEntry(), kWholeMapZoomIndex);
    }

    // Guards against a drag that renders on every mouse move, moves the map against the
    // pointer, leaves the picture shifted or the hand closed after release, or redraws more
    // than once.
    void dragShowsShiftedPictureThenRedrawsOnce()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        QVERIFY(SameCursor(View().cursor(), HandCursor()));
        SelectZoom(kFullSizeZoomIndex);
        int piecesDrawn = 0;
        formTovralMain->View()->OnEachPiece([&] { ++piecesDrawn; });
        const qint64 picture = Drawn();

        Press({200, 100});
        QVERIFY(View().hasFocus());
        QVERIFY(SameCursor(View().cursor(), ClosedHandCursor()));
        MoveHeld({230, 110});
        MoveHeld({250, 130});
        QCOMPARE(View().Shift(), QPoint(50, 30));
        QCOMPARE(Drawn(), picture);
        QCOMPARE(piecesDrawn, 0);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        QImage frame(View().size(), QImage::Format_RGB32);
        View().render(&frame);
        QCOMPARE(frame.pixel(60, 40), View().Bitmap().Picture().pixel(10, 10));
        QCOMPARE(QColor(frame.pixel(10, 10)), QColor(Qt::white));

        Release({250, 130});
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1150, 570));
        QCOMPARE(View().Shift(), QPoint(0, 0));
        QVERIFY(Drawn() != picture);
        QVERIFY(piecesDrawn > 0);
        QVERIFY(ShowsFreshRendering());
        QVERIFY(SameCursor(View().cursor(), HandCursor()));

        // A click without a move draws nothing.
        const qint64 dragged = Drawn();
        Drag({100, 100}, {100, 100});
        QCOMPARE(Drawn(), dragged);

        // Escape drops a drag: the view stays where it was, and keeps the focus; the next
        // Escape gives it back to the search box.
        Press({100, 100});
        MoveHeld({300, 200});
        QTest::keyClick(&View(), Qt::Key_Escape);
        Release({300, 200});
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1150, 570));
        QCOMPARE(View().Shift(), QPoint(0, 0));
        QCOMPARE(Drawn(), dragged);
        QVERIFY(View().hasFocus());
        QTest::keyClick(&View(), Qt::Key_Escape);
        QVERIFY(MapControl<QLineEdit>("eCidade").hasFocus());
    }

    // Guards against a drag that pushes the centre off the map, shows the picture beyond the
    // clamped centre, or moves (or redraws) on an axis where the map fits.
    void dragClampsAtTheEdgesAndKeepsFittingAxes()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        SelectZoom(1); // 20%: 5 full-map pixels per view pixel
        Press({10, 10});
        MoveHeld({440, 210});
        // The centre stops at (0, 0): the picture moved by 1200 x 0.2 and 600 x 0.2 at most.
        QCOMPARE(View().Shift(), QPoint(240, 120));
        Release({440, 210});
        QCOMPARE(formTovralMain->View()->Center(), QPoint(0, 0));
        Drag({440, 210}, {0, 0});
        Drag({440, 210}, {0, 0});
        QCOMPARE(formTovralMain->View()->Center(), QPoint(2399, 1199));

        // The whole map: nothing moves, nothing is drawn.
        SelectZoom(kWholeMapZoomIndex);
        const TViewState whole = CurrentView();
        Drag({100, 100}, {300, 200});
        QVERIFY(CurrentView() == whole);

        // A tall map at 100%: its width fits, only the height follows the pointer.
        FAnswers->Add(PickState(QStringLiteral("Minas Gerais")));
        ClickButton("bChangeUF");
        SelectZoom(kFullSizeZoomIndex);
        const QPoint start = formTovralMain->View()->Center();
        Press({100, 100});
        MoveHeld({180, 60});
        QCOMPARE(View().Shift(), QPoint(0, -40));
        Release({180, 60});
        QCOMPARE(formTovralMain->View()->Center(), QPoint(start.x(), start.y() + 40));
    }

    // Guards against drawings over the view (the route a colleague adds, the pointer's
    // position) put away from the map point they mean: at a zoom drawn from the light map and
    // at one drawn from the full map, the view pixel the geometry gives for a full-map point
    // shows that point's colour of the maps' colour ramp, and maps back to the point.
    void overlayGeometryPutsMapPointsWhereTheBitmapShowsThem()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        for (const int zoom : {2, kFullSizeZoomIndex}) {
            SelectZoom(zoom);
            const std::optional<TViewGeometry> geometry = View().Geometry();
            QVERIFY(geometry);
            const QImage shown = View().Bitmap().Picture();
            for (const QPoint offset : {QPoint(0, 0), QPoint(-150, 60), QPoint(180, -80)}) {
                const QPoint point = formTovralMain->View()->Center() + offset / geometry->Scale();
                const QPointF at = geometry->ToView(MapPointOf(point));
                const QColor colour = shown.pixelColor((at * shown.devicePixelRatio()).toPoint());
                const QColor ramp = RampColour(point, kSaoPauloMap, 0);
                QVERIFY2(std::abs(colour.red() - ramp.red()) <= 3 && std::abs(colour.green() - ramp.green()) <= 3,
                         qPrintable(QStringLiteral("zoom %1 at %2,%3").arg(zoom).arg(point.x()).arg(point.y())));
                const TMapPoint back = geometry->ToFullMap(at);
                QVERIFY(std::abs(double(back.X) - point.x()) < 1e-6 && std::abs(double(back.Y) - point.y()) < 1e-6);
            }
        }
    }

    // Guards against arrow keys that differ from the matching pan buttons, + and - that do
    // not zoom like the wheel at the view's middle, Home that does not show the whole map, and
    // a view that loses the focus to a drag's or a key's redraw, so the next key goes nowhere.
    void keysMatchTheButtons()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        SelectZoom(2);
        // A drag gives the view the focus and redraws; the keys then go where the focus is.
        Drag({5, 5}, {25, 25});
        const QPoint start(900, 500);
        const struct {
            Qt::Key Key;
            const char *Button;
        } pairs[] = {
            {Qt::Key_Left, "SpeedButton2"},
            {Qt::Key_Right, "SpeedButton1"},
            {Qt::Key_Up, "bT"},
            {Qt::Key_Down, "SpeedButton5"},
        };
        for (const auto &pair : pairs) {
            formTovralMain->View()->CentreOn(start);
            ClickButton(pair.Button);
            const QPoint byButton = formTovralMain->View()->Center();
            formTovralMain->View()->CentreOn(start);
            KeyToFocus(pair.Key);
            QCOMPARE(formTovralMain->View()->Center(), byButton);
            QVERIFY(byButton != start);
        }

        formTovralMain->View()->CentreOn(start);
        SelectZoom(2);
        KeyToFocus(Qt::Key_Plus);
        QCOMPARE(ZoomEntry(), 3);
        QCOMPARE(formTovralMain->View()->Center(), start);
        KeyToFocus(Qt::Key_Minus);
        KeyToFocus(Qt::Key_Minus);
        QCOMPARE(ZoomEntry(), 1);
        QCOMPARE(formTovralMain->View()->Center(), start);
        KeyToFocus(Qt::Key_Home);
        QCOMPARE(ZoomEntry(), kWholeMapZoomIndex);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
    }

    // Guards against a map view the keyboard cannot reach (Tab after the city controls, before
    // the zoom box), that shows no focus frame or draws it into the bitmap (so into the copy),
    // and an Escape that leaves the focus on the map.
    void tabReachesTheMapAndEscapeReturns()
    {
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        SelectZoom(kFullSizeZoomIndex);
        QLineEdit &search = MapControl<QLineEdit>("eCidade");
        search.setText(QStringLiteral("santos"));
        QVERIFY(search.hasFocus());
        QStringList passed;
        while (!View().hasFocus() && passed.size() < 10) {
            KeyToFocus(Qt::Key_Tab);
            passed << QApplication::focusWidget()->objectName();
        }
        QCOMPARE(passed, (QStringList{QStringLiteral("lCidades"), QStringLiteral("bCidadeMapa"),
                                      QStringLiteral("bChangeUF"), QStringLiteral("Image")}));
        QVERIFY(ShowsFocusFrame());

        const QPoint start = formTovralMain->View()->Center();
        KeyToFocus(Qt::Key_Right);
        KeyToFocus(Qt::Key_Down);
        QCOMPARE(formTovralMain->View()->Center(), start + QPoint(111, 53));
        QVERIFY(ShowsFocusFrame());

        KeyToFocus(Qt::Key_Escape);
        QVERIFY(search.hasFocus());
        QCOMPARE(search.selectedText(), search.text());
        QCOMPARE(View().grab().toImage().pixel(0, 0), View().Bitmap().Picture().pixel(0, 0));
        // Past the map, Tab goes on to the zoom box.
        View().setFocus(Qt::TabFocusReason);
        KeyToFocus(Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), &MapControl<QComboBox>("cZoom"));
    }

    // Guards against a view left a bitmap of view pixels (enlarged, so blurred) or not drawn
    // again when the window moves to a screen of another pixel density, and against a drag
    // or a wheel that mixes device and view pixels there. Needs a platform with two such
    // screens: ctest runs it again on the offscreen screens of two_screens.json.
    void otherPixelDensityRedrawsAndInputKeepsViewPixels()
    {
        QScreen *ordinary = ScreenOfRatio(1);
        QScreen *dense = ScreenOfRatio(2);
        QScreen *fractional = ScreenOfRatio(1.5);
        if (!ordinary || !dense || !fractional)
            QSKIP("needs screens of 1, 2 and 1.5 device pixels per pixel (two_screens.json)");
        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        SelectZoom(kFullSizeZoomIndex);
        QCOMPARE(View().Bitmap().Pixels().devicePixelRatio(), 1.0);

        formTovralMain->windowHandle()->setScreen(dense);
        QTRY_COMPARE(View().Bitmap().Pixels().devicePixelRatio(), 2.0);
        QCOMPARE(View().Bitmap().Pixels().size(), View().size() * 2);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        QCOMPARE(formTovralMain->View()->Scale(), 1.0L);

        // A drag moves the picture and the centre by view pixels, as on the first screen;
        // the shifted picture shows one bitmap pixel per device pixel.
        Press({200, 100});
        MoveHeld({250, 130});
        QCOMPARE(View().Shift(), QPoint(50, 30));
        const QImage frame = View().grab().toImage();
        QCOMPARE(frame.pixel(120, 80), View().Bitmap().Picture().pixel(20, 20));
        Release({250, 130});
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1150, 570));
        QVERIFY(ShowsFreshRendering());

        // The wheel keeps the map point under the pointer, a point in view pixels.
        const QPoint pointer(300, 150);
        const QPointF before = MapPointUnder(pointer);
        Wheel(pointer, kNotch);
        QCOMPARE(ZoomEntry(), kFullSizeZoomIndex + 1);
        const QPointF after = MapPointUnder(pointer);
        QVERIFY(qAbs(after.x() - before.x()) <= 1 && qAbs(after.y() - before.y()) <= 1);

        // At a fractional ratio a pan keeps pixels that land between view pixels.
        formTovralMain->windowHandle()->setScreen(fractional);
        QTRY_COMPARE(View().Bitmap().Pixels().devicePixelRatio(), 1.5);
        // The full map at 0.9 device pixels per map pixel: a step of 185 x 89 map pixels moves
        // it by 166.5 x 80.1 device pixels.
        formTovralMain->View()->CentreOn({1200, 600});
        SelectZoom(3);
        ClickButton("SpeedButton4");
        QVERIFY(!View().Bitmap().Origin().isNull()); // pixels were kept
        QVERIFY(ShowsFreshRendering());

        formTovralMain->windowHandle()->setScreen(ordinary);
        QTRY_COMPARE(View().Bitmap().Pixels().devicePixelRatio(), 1.0);
        QCOMPARE(View().Bitmap().Pixels().size(), View().size());
    }

    // Guards against input that starts a redraw or moves the view while the window is
    // disabled (a redraw, a load or an output running) or before any state is shown.
    void inputIgnoredWhileDisabled()
    {
        FWindows = std::make_unique<TViewerWindows>();
        Wheel({100, 100}, kNotch); // no state yet: no map, no scale
        Drag({100, 100}, {200, 200});
        QTest::keyClick(&View(), Qt::Key_Plus);
        QCOMPARE(ZoomEntry(), kWholeMapZoomIndex);
        QCOMPARE(formTovralMain->View()->Center(), QPoint());
        FWindows.reset();

        QVERIFY(StartWithState(QStringLiteral("São Paulo")));
        SelectZoom(3);
        const TViewState before = CurrentView();
        formTovralMain->setEnabled(false);
        Wheel({100, 100}, kNotch);
        Press({100, 100});
        MoveHeld({200, 200});
        QCOMPARE(View().Shift(), QPoint(0, 0));
        Release({200, 200});
        for (Qt::Key key : {Qt::Key_Left, Qt::Key_Down, Qt::Key_Plus, Qt::Key_Minus, Qt::Key_Home})
            QTest::keyClick(&View(), key);
        formTovralMain->setEnabled(true);
        QVERIFY(CurrentView() == before);

        // A window disabled in the middle of a drag drops it on release.
        Press({100, 100});
        MoveHeld({200, 200});
        formTovralMain->setEnabled(false);
        Release({200, 200});
        formTovralMain->setEnabled(true);
        QVERIFY(CurrentView() == before);
        QCOMPARE(View().Shift(), QPoint(0, 0));
    }
};

int main(int argc, char *argv[])
{
    return RunViewerTests<TestMapNavigation>(argc, argv);
}

#include "test_map_navigation.moc"
