// Copy, save and print of the map window, with the file, printer and area questions answered
// by the test, on the offscreen platform against the viewer tests' standard data folder.
#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImageReader>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QPageLayout>
#include <QTest>
#include <QtEndian>
#include <QtMath>
#include <memory>
#include <optional>
#include <random>

#include <signal.h>
#include <unistd.h>

#include "app/shown_route.h"
#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_status.h"
#include "mapdata/app_path.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"
#include "tests/output/answered_output_dialogs.h"
#include "tests/support/small_disk.h"
#include "tools/catalogue_writer.h"

namespace {
constexpr int kWholeMap = 0;
constexpr int kFullSize = 5;
// The standard folder's light maps are 0.4 times their full maps.
const QSize kSaoPauloLight(960, 480);

QByteArray ReadFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void WriteFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

// What the file's JPEG markers say about how it was encoded.
struct TJpegLayout {
    bool Jfif = false;
    bool Baseline = false;    // SOF0
    bool Progressive = false; // SOF2
    int Components = 0;
    int FirstLuminanceQuantum = 0;
    bool StandardAcTables = false; // an AC Huffman table equal to the library's standard one
};

TJpegLayout ReadJpegLayout(const QByteArray &file)
{
    static const QByteArray kStandardAcLuminanceBits("\x00\x02\x01\x03\x03\x02\x04\x03\x05\x05\x04\x04\x00\x00\x01\x7d", 16);
    static const QByteArray kStandardAcChrominanceBits("\x00\x02\x01\x02\x04\x04\x03\x04\x07\x05\x04\x04\x00\x01\x02\x77", 16);
    TJpegLayout layout;
    const auto *data = reinterpret_cast<const uchar *>(file.constData());
    qsizetype at = 2; // after SOI
    while (at + 4 <= file.size() && data[at] == 0xFF) {
        const uchar marker = data[at + 1];
        const int length = qFromBigEndian<quint16>(data + at + 2);
        const uchar *segment = data + at + 4;
        if (marker == 0xE0 && file.mid(at + 4, 5) == QByteArray("JFIF\0", 5))
            layout.Jfif = true;
        if (marker == 0xC0 || marker == 0xC2) {
            (marker == 0xC0 ? layout.Baseline : layout.Progressive) = true;
            layout.Components = segment[5];
        }
        if (marker == 0xDB && (segment[0] & 0x0F) == 0 && layout.FirstLuminanceQuantum == 0)
            layout.FirstLuminanceQuantum = segment[1];
        for (qsizetype table = 0; marker == 0xC4 && table < length - 2;) {
            const QByteArray bits = file.mid(at + 4 + table + 1, 16);
            int count = 0;
            for (char c : bits)
                count += uchar(c);
            if ((segment[table] >> 4) == 1 && (bits == kStandardAcLuminanceBits || bits == kStandardAcChrominanceBits))
                layout.StandardAcTables = true;
            table += 17 + count;
        }
        if (marker == 0xDA)
            break;
        at += 2 + length;
    }
    return layout;
}

// The bounding box of the printed (non-white) pixels of a page raster.
QRect InkBox(const QImage &page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (std::min({c.red(), c.green(), c.blue()}) < 235)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// The first page of a PDF file as a raster of dpi dots per inch, through pdftoppm.
QImage RasterisePage(const QString &pdf, int dpi)
{
    const QString prefix = pdf + QStringLiteral(".page");
    QProcess::execute(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"),
                                                   QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// Whether the route's orange (255, 106, 0) is near a pixel of a picture, within a JPEG's or a
// page raster's blur: the test maps' ramps have blue 30 or 220 and no such colour.
bool RouteColourNear(const QImage &picture, QPoint at, int reach = 2)
{
    for (int y = at.y() - reach; y <= at.y() + reach; ++y)
        for (int x = at.x() - reach; x <= at.x() + reach; ++x) {
            const QColor c = picture.pixelColor(x, y);
            if (c.red() > 200 && c.green() > 60 && c.green() < 160 && c.blue() < 70)
                return true;
        }
    return false;
}

// The bounding box of the map on a page raster: the test maps' colour ramps have the blue
// kFullMapBlue, which neither the paper, the text nor the scale bar (black, white, grey) has.
QRect MapBox(const QImage &page)
{
    QRect box;
    for (int y = 0; y < page.height(); ++y)
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            const bool grey = std::abs(c.red() - c.blue()) < 20 && std::abs(c.green() - c.blue()) < 20;
            if (std::abs(c.blue() - kFullMapBlue) <= 15 && !grey)
                box |= QRect(x, y, 1, 1);
        }
    return box;
}

// The text of a PDF file, through pdftotext.
QString PdfText(const QString &pdf)
{
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput());
}

// The text tesseract reads in the part of a raster of rasterDpi dots per inch that rect
// covers on a raster of rectDpi; nothing when tesseract is not installed.
std::optional<QString> ReadText(const QImage &raster, const QRect &rect, int rectDpi, int rasterDpi)
{
    const qreal factor = qreal(rasterDpi) / rectDpi;
    const QRect part(QPoint(qFloor(rect.left() * factor), qFloor(rect.top() * factor)),
                     QPoint(qCeil((rect.right() + 1) * factor), qCeil((rect.bottom() + 1) * factor)));
    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("text.png"));
    raster.copy(part).save(picture);
    QProcess process;
    process.start(QStringLiteral("tesseract"), {picture, QStringLiteral("stdout"), QStringLiteral("-l"),
                                                 QStringLiteral("por"), QStringLiteral("--psm"), QStringLiteral("7")});
    if (!process.waitForStarted())
        return std::nullopt;
    process.waitForFinished();
    return QString::fromUtf8(process.readAllStandardOutput()).trimmed();
}

// Records what the status window says when it appears, and whether the map window is
// disabled then.
class TStatusLog : public QObject {
public:
    TStatusLog() { formStatus->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show)
            Shown << Control<QLabel>(*formStatus, "lStatus").text() + (formTovralMain->isEnabled() ? " (enabled)" : "");
        return false;
    }
    QStringList Shown;
};

// Whether the status protocol was closed when a message box appeared, and which control of
// the map window gets the focus back when the box closes.
struct TStateAtMessage {
    bool StatusHidden = false;
    bool MapEnabled = false;
    QWidget *Focus = nullptr;
};
TModalAnswers::TAnswer RecordStateAtMessage(TStateAtMessage &state)
{
    return [&state](QWidget *) {
        state.StatusHidden = !formStatus->isVisible();
        state.MapEnabled = formTovralMain->isEnabled();
        state.Focus = formTovralMain->focusWidget();
    };
}

// This program run as the viewer that killedOutputLeavesTheOldFiles kills: the data folder
// and the output folder are given in these variables.
constexpr char kKilledDataVariable[] = "TOVRAL_KILLED_DATA";
constexpr char kKilledOutVariable[] = "TOVRAL_KILLED_OUT";
const QString kKilledPicture = QStringLiteral("map.jpg");
const QString kKilledDocument = QStringLiteral("map.pdf");

// Saves the whole map and prints it to PDF, over and over, until it is killed.
int SaveAndPrintUntilKilled(int argc, char *argv[])
{
    const std::unique_ptr<TTovralApplication> application = StartOffscreenApplication(argc, argv);
    const QDir out(qEnvironmentVariable(kKilledOutVariable));
    AppPath = qEnvironmentVariable(kKilledDataVariable) + QLatin1Char('/');
    TViewerWindows windows;
    TAnsweredOutputDialogs dialogs(out.filePath(kKilledDocument));
    dialogs.FileName = out.filePath(kKilledPicture);
    formTovralMain->OutputDialogs = &dialogs;
    TModalAnswers answers;
    if (!ShowWithState(answers, QStringLiteral("São Paulo")))
        return 2;
    for (;;) {
        ClickButton("bSaveIMG");
        ClickButton("bPrint");
    }
}

// The temporary files beside the targets in out (a save or print under way, or one killed).
QStringList TemporaryFiles(const QDir &out)
{
    return out.entryList({kKilledPicture + QStringLiteral(".*"), kKilledDocument + QStringLiteral(".*")},
                         QDir::Files);
}

// Whether the process is stopped (state T in /proc/<pid>/stat).
bool Stopped(pid_t pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true; // gone
    const QByteArray line = stat.readAll();
    const qsizetype state = line.lastIndexOf(')') + 2; // the state follows the command name
    return state < line.size() && (line[state] == 'T' || line[state] == 't');
}

// Stops the viewer at short random moments until, stopped, it has a temporary file in out that
// was not there at the start (a save or print under way), and kills it there: the kill lands
// mid-write by construction. Gives up after two minutes; true when it caught a write.
bool KillWhileWriting(QProcess &viewer, const QDir &out)
{
    const pid_t pid = pid_t(viewer.processId());
    const QStringList before = TemporaryFiles(out);
    std::minstd_rand random(pid);
    QElapsedTimer waited;
    waited.start();
    bool caught = false;
    while (!caught && waited.elapsed() < 120000) {
        usleep(useconds_t(random() % 2000));
        ::kill(pid, SIGSTOP);
        while (!Stopped(pid))
            usleep(50);
        for (const QString &name : TemporaryFiles(out))
            caught = caught || !before.contains(name);
        if (!caught)
            ::kill(pid, SIGCONT);
    }
    ::kill(pid, SIGKILL);
    return caught;
}

// A PDF file whose writer got to its end.
bool CompletePdf(const QByteArray &bytes)
{
    return bytes.startsWith("%PDF-") && bytes.trimmed().endsWith("%%EOF");
}
} // namespace

class TestMapOutput : public QObject {
    Q_OBJECT

private:
    QTemporaryDir FFolder;
    QTemporaryDir FOut;
    std::unique_ptr<TViewerWindows> FWindows;
    std::unique_ptr<TAnsweredOutputDialogs> FDialogs;

    bool StartWithState(TModalAnswers &answers, const QString &displayName)
    {
        FWindows = std::make_unique<TViewerWindows>();
        FDialogs = std::make_unique<TAnsweredOutputDialogs>(FOut.filePath(QStringLiteral("page.pdf")));
        formTovralMain->OutputDialogs = FDialogs.get();
        return ShowWithState(answers, displayName);
    }

    QString OutPath(const QString &name) const { return FOut.filePath(name); }

private slots:
    void initTestCase()
    {
        QVERIFY(FFolder.isValid() && FOut.isValid());
        WriteStandardTestFolder(FFolder.path());
        AppPath = FFolder.path() + QLatin1Char('/');
    }

    void cleanup()
    {
        FWindows.reset();
        FDialogs.reset();
    }

    // Guards against a copy that is not the view bitmap, a missing confirmation, or a status
    // window still up (or the map window still disabled) when the confirmation shows.
    void copyPutsTheViewOnTheClipboard()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        SelectZoom(kFullSize);
        TStatusLog status;
        TStateAtMessage atMessage;
        answers.Add(RecordStateAtMessage(atMessage));
        QPushButton &copy = MapControl<QPushButton>("bCopiar");
        copy.setFocus();
        copy.click();
        QCOMPARE(answers.Messages().last(), QStringLiteral("Imagem copiada para a área de transferência"));
        QCOMPARE(status.Shown, QStringList{QStringLiteral("Aguarde. Copiando imagem...")});
        QVERIFY(atMessage.StatusHidden && atMessage.MapEnabled);
        QCOMPARE(atMessage.Focus, &copy);
        const QImage copied = QGuiApplication::clipboard()->image().convertToFormat(QImage::Format_RGB32);
        QCOMPARE(copied, MapControl<TViewImage>("Image").Bitmap().Picture().convertToFormat(QImage::Format_RGB32));
    }

    // Guards against shortcuts that do not run the buttons' handlers, that take a copy of
    // selected text away from the search box, or that act while the window is disabled.
    void shortcutsRunTheButtonsHandlers()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        QLineEdit *search = &MapControl<QLineEdit>("eCidade");
        QCOMPARE(QApplication::focusWidget(), search);
        FDialogs->ConfirmPrinter = false;
        QTest::keyClick(search, Qt::Key_S, Qt::ControlModifier);
        QTest::keyClick(search, Qt::Key_P, Qt::ControlModifier);
        QCOMPARE(FDialogs->FileQuestions, 1);
        QCOMPARE(FDialogs->PrinterQuestions, 1);

        // Ctrl+C without selected text copies the map; with a selection it copies the text.
        answers.AddMessageBoxOk();
        QTest::keyClick(search, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(!QGuiApplication::clipboard()->image().isNull());
        formTovralMain->activateWindow(); // the message box gave the activation back
        QVERIFY(QTest::qWaitForWindowActive(formTovralMain));
        search->setText(QStringLiteral("Santos"));
        search->selectAll();
        QTest::keyClick(search, Qt::Key_C, Qt::ControlModifier);
        QCOMPARE(QGuiApplication::clipboard()->text(), QStringLiteral("Santos"));
        QCOMPARE(answers.Messages().size(), 1);

        // Ctrl+F: the search box, its text selected, from wherever the focus was.
        QComboBox &zoom = MapControl<QComboBox>("cZoom");
        zoom.setFocus();
        QTest::keyClick(&zoom, Qt::Key_F, Qt::ControlModifier);
        QVERIFY(search->hasFocus());
        QCOMPARE(search->selectedText(), QStringLiteral("Santos"));

        formTovralMain->setEnabled(false);
        QTest::keyClick(formTovralMain, Qt::Key_S, Qt::ControlModifier);
        formTovralMain->setEnabled(true);
        QCOMPARE(FDialogs->FileQuestions, 1);
    }

    // Guards against asking a question when the map fits, saving another map or size than
    // the whole light map, and a JPEG that is not baseline colour JFIF at quality 70 with
    // optimised Huffman tables.
    void saveWholeMapWhenItFits()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        QCOMPARE(MapControl<QComboBox>("cZoom").currentIndex(), kWholeMap);
        TStatusLog status;
        FDialogs->FileName = OutPath(QStringLiteral("whole.jpg"));
        ClickButton("bSaveIMG");
        QVERIFY(FDialogs->AreaQuestions.isEmpty());
        QCOMPARE(FDialogs->FileQuestions, 1);
        QCOMPARE(status.Shown, QStringList{QStringLiteral("Aguarde. Salvando imagem...")});
        QVERIFY(formTovralMain->isEnabled() && !formStatus->isVisible());

        const QImage saved(FDialogs->FileName);
        QCOMPARE(saved.size(), kSaoPauloLight);
        for (const QPoint corner : {QPoint(2, 2), QPoint(957, 477)})
            QVERIFY(std::abs(saved.pixelColor(corner).blue() - kLightMapBlue) < 12);
        QVERIFY(std::abs(saved.pixelColor(957, 240).red() - 255) < 12);

        const TJpegLayout layout = ReadJpegLayout(ReadFile(FDialogs->FileName));
        QVERIFY(layout.Jfif);
        QVERIFY(layout.Baseline && !layout.Progressive);
        QCOMPARE(layout.Components, 3);
        // libjpeg's luminance table starts with 16; quality 70 scales it by 60 %.
        QCOMPARE(layout.FirstLuminanceQuantum, 10);
        QVERIFY(!layout.StandardAcTables);
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against "Mapa Inteiro" counted as not fitting where the fit scale rounds up: a
    // 1600 x 800 map in the designed view is drawn a hair taller than the view, and saving
    // and printing must still ask no area question, the pan buttons not redraw.
    void wholeMapAlwaysFits()
    {
        QTemporaryDir roundingFolder;
        WriteLargeTestFolder(roundingFolder.path(), QSize(1600, 800));
        const QString savedAppPath = AppPath;
        AppPath = roundingFolder.path() + QLatin1Char('/');
        TModalAnswers answers;
        const bool started = StartWithState(answers, QStringLiteral("São Paulo"));
        AppPath = savedAppPath;
        QVERIFY(started);
        const TViewImage &view = MapControl<TViewImage>("Image");
        QVERIFY(800 * formTovralMain->View()->Scale() > view.height());

        const qint64 drawn = view.Bitmap().Pixels().cacheKey();
        ClickButton("bT");
        ClickButton("SpeedButton5");
        QCOMPARE(view.Bitmap().Pixels().cacheKey(), drawn);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(800, 400));

        FDialogs->FileName = OutPath(QStringLiteral("rounded.jpg"));
        ClickButton("bSaveIMG");
        FDialogs->ConfirmPrinter = false;
        ClickButton("bPrint");
        QVERIFY(FDialogs->AreaQuestions.isEmpty());
        QCOMPARE(FDialogs->FileQuestions, 1);
        QCOMPARE(FDialogs->PrinterQuestions, 1);
        QCOMPARE(QImage(FDialogs->FileName).size(), QSize(640, 320));
    }

    // Guards against a visible part of the wrong size or map, a wrong question, and a
    // cancelled question that goes on to the save dialog.
    void saveVisiblePartAsksWhenTheMapDoesNotFit()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        SelectZoom(kFullSize);

        FDialogs->Area.reset();
        ClickButton("bSaveIMG");
        QCOMPARE(FDialogs->AreaQuestions, QStringList{QStringLiteral("Escolha qual parte do mapa será gravada")});
        QCOMPARE(FDialogs->FileQuestions, 0);

        FDialogs->Area = true;
        FDialogs->FileName = OutPath(QStringLiteral("visible.jpg"));
        ClickButton("bSaveIMG");
        const QImage visible(FDialogs->FileName);
        QCOMPARE(visible.size(), QSize(443, 213));
        // Centred on FCenter at full-map resolution: the middle shows the full map's centre.
        const QColor expected = RampColour(formTovralMain->View()->Center(), QSize(2400, 1200), kFullMapBlue);
        const QColor middle = visible.pixelColor(221, 106);
        QVERIFY(std::abs(middle.red() - expected.red()) < 12 && std::abs(middle.blue() - kFullMapBlue) < 12);

        FDialogs->Area = false;
        FDialogs->FileName = OutPath(QStringLiteral("chosen-whole.jpg"));
        ClickButton("bSaveIMG");
        QCOMPARE(QImageReader(FDialogs->FileName).size(), kSaoPauloLight);

        // Round(443 / 0.4) x Round(213 / 0.4), the half 532.5 to even.
        SelectZoom(2);
        FDialogs->Area = true;
        FDialogs->FileName = OutPath(QStringLiteral("forty.jpg"));
        ClickButton("bSaveIMG");
        QCOMPARE(QImageReader(FDialogs->FileName).size(), QSize(1108, 532));
        QCOMPARE(answers.ModalsSeen(), 1);
    }

    // Guards against a failed save that destroys the file it was to replace, leaves a partial
    // or temporary file, is not reported, or leaves the window disabled.
    void failedSaveKeepsTheOldFile()
    {
        QTemporaryDir brokenFolder;
        WriteStandardTestFolder(brokenFolder.path());
        CorruptTile(brokenFolder.filePath(QStringLiteral("img/sp_full.map")), QPoint(0, 0));
        const QString savedAppPath = AppPath;
        AppPath = brokenFolder.path() + QLatin1Char('/');
        TModalAnswers answers;
        const bool started = StartWithState(answers, QStringLiteral("São Paulo"));
        AppPath = savedAppPath;
        QVERIFY(started);

        QDir target(FOut.filePath(QStringLiteral("keep")));
        QVERIFY(target.mkpath(QStringLiteral(".")));
        const QByteArray old("the user's old picture");
        WriteFile(target.filePath(QStringLiteral("old.jpg")), old);

        // A tile that cannot be decoded: the visible part at 20 % reaches the first tile.
        SelectZoom(1);
        FDialogs->Area = true;
        FDialogs->FileName = target.filePath(QStringLiteral("old.jpg"));
        TStateAtMessage atMessage;
        answers.Add(RecordStateAtMessage(atMessage));
        QListWidget &cities = MapControl<QListWidget>("lCidades");
        cities.setFocus();
        ClickButton("bSaveIMG");
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(atMessage.StatusHidden && atMessage.MapEnabled);
        QCOMPARE(atMessage.Focus, &cities);
        QCOMPARE(ReadFile(target.filePath(QStringLiteral("old.jpg"))), old);
        QCOMPARE(target.entryList(QDir::Files), QStringList{QStringLiteral("old.jpg")});

        // A folder that cannot be written (here: a file stands where the folder should be).
        QTest::qWait(30);
        FDialogs->Area = false;
        FDialogs->FileName = target.filePath(QStringLiteral("old.jpg/new.jpg"));
        answers.AddMessageBoxOk();
        ClickButton("bSaveIMG");
        QCOMPARE(answers.Messages().size(), 2);
        QVERIFY(answers.Messages().last().contains(QStringLiteral("new.jpg")));
        QCOMPARE(ReadFile(target.filePath(QStringLiteral("old.jpg"))), old);
        QCOMPARE(target.entryList(QDir::Files), QStringList{QStringLiteral("old.jpg")});
        QVERIFY(formTovralMain->isEnabled() && !formStatus->isVisible());
    }

    // Guards against a save or a print that runs out of disk space and is reported as done,
    // destroys the file it was to replace, leaves a cut-off or temporary file, or leaves the
    // window disabled.
    void fullDiskKeepsTheOldFiles()
    {
        TSmallDisk disk;
        if (!disk.Mounted())
            QSKIP(qPrintable(disk.Why()));
        const QByteArray old("the user's old file");
        WriteFile(disk.FilePath(QStringLiteral("old.jpg")), old);
        WriteFile(disk.FilePath(QStringLiteral("old.pdf")), old);
        disk.Fill();

        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        TStateAtMessage savedAt;
        answers.Add(RecordStateAtMessage(savedAt));
        FDialogs->FileName = disk.FilePath(QStringLiteral("old.jpg"));
        ClickButton("bSaveIMG");
        TStateAtMessage printedAt;
        answers.Add(RecordStateAtMessage(printedAt));
        FDialogs->PdfPrinter.setOutputFileName(disk.FilePath(QStringLiteral("old.pdf")));
        ClickButton("bPrint");

        QCOMPARE(answers.Messages().size(), 2);
        QVERIFY(answers.Messages()[0].contains(disk.FilePath(QStringLiteral("old.jpg"))));
        QVERIFY(answers.Messages()[1].contains(disk.FilePath(QStringLiteral("old.pdf"))));
        QVERIFY(savedAt.StatusHidden && savedAt.MapEnabled && printedAt.StatusHidden && printedAt.MapEnabled);
        QCOMPARE(ReadFile(disk.FilePath(QStringLiteral("old.jpg"))), old);
        QCOMPARE(ReadFile(disk.FilePath(QStringLiteral("old.pdf"))), old);
        QCOMPARE(QDir(disk.FilePath(QString())).entryList(QDir::Files),
                 (QStringList{QStringLiteral("filler"), QStringLiteral("old.jpg"), QStringLiteral("old.pdf")}));
    }

    // Guards against a viewer killed while it saves or prints leaving a cut-off file in place
    // of the old one, and against the temporary file it leaves behind breaking a later save
    // or print, or being taken for the file.
    void killedOutputLeavesTheOldFiles()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        QDir out(FOut.filePath(QStringLiteral("killed")));
        QVERIFY(out.mkpath(QStringLiteral(".")));
        FDialogs->FileName = out.filePath(QStringLiteral("whole.jpg"));
        ClickButton("bSaveIMG");
        const QByteArray whole = ReadFile(FDialogs->FileName);
        QVERIFY(!whole.isEmpty());
        QVERIFY(out.remove(QStringLiteral("whole.jpg")));

        const QByteArray oldPicture("the user's old picture"), oldDocument("the user's old document");
        WriteFile(out.filePath(kKilledPicture), oldPicture);
        WriteFile(out.filePath(kKilledDocument), oldDocument);
        const QStringList targets{kKilledPicture, kKilledDocument};
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QLatin1String(kKilledDataVariable), AppPath);
        environment.insert(QLatin1String(kKilledOutVariable), out.path());
        for (int run = 0; run < 4; ++run) {
            QProcess viewer;
            viewer.setProcessEnvironment(environment);
            viewer.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(viewer.waitForStarted());
            QVERIFY2(KillWhileWriting(viewer, out), "the viewer was never caught writing");
            QVERIFY(viewer.waitForFinished());
            QCOMPARE(viewer.exitStatus(), QProcess::CrashExit);

            const QByteArray picture = ReadFile(out.filePath(kKilledPicture));
            QVERIFY2(picture == oldPicture || picture == whole, "the picture is the old one or a whole new one");
            const QByteArray document = ReadFile(out.filePath(kKilledDocument));
            QVERIFY2(document == oldDocument || CompletePdf(document), "the document is the old one or a whole new one");
        }
        const QStringList strays = out.entryList(QDir::Files);
        const QStringList temporaries = TemporaryFiles(out);
        for (const QString &name : strays)
            QVERIFY2(targets.contains(name) || temporaries.contains(name), qPrintable(name));

        // A later save and print go through beside the strays, which they leave alone.
        FDialogs->FileName = out.filePath(kKilledPicture);
        ClickButton("bSaveIMG");
        FDialogs->PdfPrinter.setOutputFileName(out.filePath(kKilledDocument));
        ClickButton("bPrint");
        QCOMPARE(answers.Messages().size(), 0);
        QCOMPARE(ReadFile(out.filePath(kKilledPicture)), whole);
        QVERIFY(CompletePdf(ReadFile(out.filePath(kKilledDocument))));
        QCOMPARE(out.entryList(QDir::Files), strays);
    }

    // Guards against a printer that cannot start a job going unreported, or leaving the
    // status window up and the map window disabled.
    void failingPrinterIsReported()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        const QString unreachable = OutPath(QStringLiteral("no-such-folder/page.pdf"));
        FDialogs->PdfPrinter.setOutputFileName(unreachable);
        TStateAtMessage atMessage;
        answers.Add(RecordStateAtMessage(atMessage));
        TStatusLog status;
        QPushButton &print = MapControl<QPushButton>("bPrint");
        print.setFocus();
        print.click();
        QCOMPARE(status.Shown, QStringList{QStringLiteral("Aguarde. Imprimindo mapa...")});
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(answers.Messages()[0].contains(unreachable));
        QVERIFY(atMessage.StatusHidden && atMessage.MapEnabled);
        QCOMPARE(atMessage.Focus, &print);
        QVERIFY(!QFile::exists(unreachable));
        // The window goes on working: the next job on a working printer prints.
        FDialogs->PdfPrinter.setOutputFileName(OutPath(QStringLiteral("after-failure.pdf")));
        ClickButton("bPrint");
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY(ReadFile(OutPath(QStringLiteral("after-failure.pdf"))).startsWith("%PDF"));
    }

    // Guards against a printed page without its title or in the wrong orientation, a map not
    // fitted as the largest centred rectangle of its aspect in the space the title and the
    // scale bar leave, and a sources line printed from nothing or not read from the data
    // folder: a wide map starts on a landscape page and fills its width, a tall one a portrait
    // page between the title and the bar; the title reads back as the state's name and "Mapa
    // rodoviário"; the sources line is there only once the data folder has one.
    void printedPageHasTitleScaleAndSourcesAroundTheFittedMap()
    {
        const auto printWholeMap = [this](const QString &state, const QString &pdfName, QPageLayout::Orientation &orientation) {
            TModalAnswers answers;
            if (!StartWithState(answers, state))
                return QString();
            FDialogs->PdfPrinter.setOutputFileName(OutPath(pdfName));
            TStatusLog status;
            ClickButton("bPrint");
            orientation = FDialogs->PdfPrinter.pageLayout().orientation();
            const bool asked = FDialogs->AreaQuestions.isEmpty() && FDialogs->PrinterQuestions == 1 &&
                               status.Shown == QStringList{QStringLiteral("Aguarde. Imprimindo mapa...")};
            cleanup();
            return asked ? OutPath(pdfName) : QString();
        };
        const int dpi = 30;
        const QSize a4(int(std::lrint(297 / 25.4 * dpi)), int(std::lrint(210 / 25.4 * dpi)));

        // São Paulo, 2400 x 1200, landscape: the whole width, half as high, the title above and
        // the scale bar under it.
        QPageLayout::Orientation orientation = QPageLayout::Portrait;
        const QString widePdf = printWholeMap(QStringLiteral("São Paulo"), QStringLiteral("wide.pdf"), orientation);
        QVERIFY(!widePdf.isEmpty());
        QCOMPARE(orientation, QPageLayout::Landscape);
        const QImage wide = RasterisePage(widePdf, dpi);
        QVERIFY2(!wide.isNull(), "no page raster (is pdftoppm installed?)");
        QVERIFY(std::abs(wide.width() - a4.width()) <= 1 && std::abs(wide.height() - a4.height()) <= 1);
        const QRect wideMap = MapBox(wide);
        QVERIFY(wideMap.left() <= 1 && wideMap.right() >= wide.width() - 2);
        QVERIFY(std::abs(wideMap.height() - wide.width() / 2) <= 2);
        const QRect above = InkBox(wide.copy(0, 0, wide.width(), wideMap.top() - 1));
        const QRect under = InkBox(wide.copy(0, wideMap.bottom() + 2, wide.width(), wide.height()));
        QVERIFY2(!above.isEmpty() && !under.isEmpty(), "no title above or no scale bar under the map");
        QVERIFY(!PdfText(widePdf).contains(QStringLiteral("Fontes")));

        // Minas Gerais, 300 x 900, portrait: the height between title and bar, a third as wide.
        const QString tallPdf = printWholeMap(QStringLiteral("Minas Gerais"), QStringLiteral("tall.pdf"), orientation);
        QVERIFY(!tallPdf.isEmpty());
        QCOMPARE(orientation, QPageLayout::Portrait);
        const QImage tall = RasterisePage(tallPdf, dpi);
        const QRect tallMap = MapBox(tall);
        QVERIFY(tall.height() > tall.width());
        QVERIFY(std::abs(tallMap.width() - tallMap.height() / 3) <= 2);
        QVERIFY(std::abs(tallMap.left() - (tall.width() - 1 - tallMap.right())) <= 2);
        QVERIFY(tallMap.top() > 5 && tallMap.bottom() < tall.height() - 6);

        // A data folder that names its sources gets them printed under the bar.
        const QString sources = QStringLiteral("Fontes: IBGE; © colaboradores do OpenStreetMap; Natural Earth");
        WriteCatalogueFile(FFolder.filePath(QStringLiteral("img/txt/fontes.txt")), {sources});
        const QString withSources = printWholeMap(QStringLiteral("Minas Gerais"), QStringLiteral("sources.pdf"), orientation);
        QFile::remove(FFolder.filePath(QStringLiteral("img/txt/fontes.txt")));
        QVERIFY(PdfText(withSources).simplified().contains(sources));

        // The title, read off the page.
        const std::optional<QString> title = ReadText(RasterisePage(widePdf, 200), above.adjusted(-1, -1, 1, 1), dpi, 200);
        if (!title)
            QSKIP("tesseract is not installed (scripts/deps installs tesseract-ocr): the title was not read");
        QVERIFY2(title->contains(QStringLiteral("São Paulo")) && title->contains(QStringLiteral("Mapa rodoviário")),
                 qPrintable(*title));
    }

    // Guards against a route shown on the screen but left out of the copy, the saved visible
    // part, the saved whole map or the printed page, or drawn there at another place than
    // the map point it passes; and against a copy that keeps the route once it is cleared.
    void routeIsInEveryOutputWhileShown()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        // Across the middle of the 2400 x 1200 full map, from x 600 to x 1800.
        TShownRoute shown;
        shown.Route.Status = TRoadRoute::TStatus::Found;
        for (int x = 600; x <= 1800; x += 20)
            shown.Route.Path.Points.push_back(*formTovralMain->View()->Coordinates().PixelToGeo({(long double)x, 600}));
        shown.Route.Origin.Position = shown.Route.Path.Points.front();
        shown.Route.Destination.Position = shown.Route.Path.Points.back();
        shown.OriginRow = FWindows->Data().CityRows().Find(QStringLiteral("SP\t"));
        shown.OriginName = QStringLiteral("Origem");
        shown.DestinationName = QStringLiteral("Destino");
        formTovralMain->ShowRoute(shown);
        const TMapPoint middle{1200, 600};

        const auto middleInCopy = [&middle] {
            const TViewGeometry geometry = *MapControl<TViewImage>("Image").Geometry();
            return (geometry.ToView(middle) * geometry.DevicePixelRatio).toPoint();
        };
        answers.AddMessageBoxOk();
        ClickButton("bCopiar");
        QVERIFY(RouteColourNear(QGuiApplication::clipboard()->image(), middleInCopy()));

        FDialogs->Area = false;
        FDialogs->FileName = OutPath(QStringLiteral("route-whole.jpg"));
        ClickButton("bSaveIMG");
        QVERIFY(RouteColourNear(QImage(FDialogs->FileName), QPoint(480, 240)));

        FDialogs->PdfPrinter.setOutputFileName(OutPath(QStringLiteral("route.pdf")));
        ClickButton("bPrint");
        const QImage page = RasterisePage(OutPath(QStringLiteral("route.pdf")), 100);
        QVERIFY2(!page.isNull(), "no page raster (is pdftoppm installed?)");
        QVERIFY(RouteColourNear(page, MapBox(page).center()));

        SelectZoom(kFullSize);
        QCOMPARE(formTovralMain->View()->Center(), QPoint(1200, 600));
        FDialogs->Area = true;
        FDialogs->FileName = OutPath(QStringLiteral("route-visible.jpg"));
        ClickButton("bSaveIMG");
        const QImage visible(FDialogs->FileName);
        QVERIFY(RouteColourNear(visible, QPoint(visible.width() / 2, visible.height() / 2)));

        ClickButton("bLimparRota");
        answers.AddMessageBoxOk();
        ClickButton("bCopiar");
        QVERIFY(!RouteColourNear(QGuiApplication::clipboard()->image(), middleInCopy()));
    }

    // Guards against printing without the area question when the map does not fit, and a
    // cancelled area question or print dialog that still prints.
    void printAsksWhenTheMapDoesNotFit()
    {
        TModalAnswers answers;
        QVERIFY(StartWithState(answers, QStringLiteral("São Paulo")));
        SelectZoom(kFullSize);
        const QString pdf = OutPath(QStringLiteral("visible.pdf"));
        FDialogs->PdfPrinter.setOutputFileName(pdf);

        FDialogs->Area.reset();
        ClickButton("bPrint");
        QCOMPARE(FDialogs->AreaQuestions, QStringList{QStringLiteral("Escolha qual parte do mapa será impressa")});
        QCOMPARE(FDialogs->PrinterQuestions, 0);

        FDialogs->Area = true;
        FDialogs->ConfirmPrinter = false;
        ClickButton("bPrint");
        QCOMPARE(FDialogs->PrinterQuestions, 1);
        QVERIFY(!QFile::exists(pdf));

        FDialogs->ConfirmPrinter = true;
        ClickButton("bPrint");
        // The view's aspect (443 x 213) is wider than the space for the map: the full page width.
        const QImage page = RasterisePage(pdf, 30);
        QVERIFY(!page.isNull());
        const QRect map = MapBox(page);
        QVERIFY(map.left() <= 1 && map.right() >= page.width() - 2);
        QVERIFY(std::abs(map.height() - page.width() * 213 / 443) <= 2);
    }
};

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsSet(kKilledOutVariable))
        return SaveAndPrintUntilKilled(argc, argv);
    return RunViewerTests<TestMapOutput>(argc, argv);
}

#include "test_map_output.moc"
