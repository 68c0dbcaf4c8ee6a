// The viewer against a data folder that is broken at start-up, or that changes under it
// between start-up and the loading of a state: every fault is reported as the user is told
// it would be, and the program ends cleanly or goes on with what it holds in memory.
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QKeySequence>
#include <QListWidget>
#include <QPushButton>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <QTest>
#include <cstdio>
#include <memory>
#include <sys/stat.h>
#include <unistd.h>

#include "app/tovral_main.h"
#include "app/view_image.h"
#include "app/viewer_windows.h"
#include "dialogs/tovral_status.h"
#include "dialogs/tovral_uf.h"
#include "mapdata/app_path.h"
#include "search/tovral_distancias.h"
#include "tests/app/test_data_folder.h"
#include "tests/app/viewer_test_support.h"

namespace {
const QString kLoadFailed = QStringLiteral("Erro ao carregar mapas");
constexpr int kFullSize = 5;
const QString kErrorLinePrefix = QStringLiteral("tovral: ");

// Sends what the process writes to standard error into a file while it lives.
class TStandardErrorCapture {
public:
    TStandardErrorCapture()
    {
        if (!FFile.open())
            return;
        std::fflush(stderr);
        FSaved = dup(STDERR_FILENO);
        dup2(FFile.handle(), STDERR_FILENO);
    }
    ~TStandardErrorCapture() { Restore(); }

    // The program's own lines written so far (those of Qt and of the test are left out);
    // the capture ends.
    QStringList ProgramLines()
    {
        Restore();
        FFile.seek(0);
        const QStringList lines = QString::fromLocal8Bit(FFile.readAll()).split(QLatin1Char('\n'));
        return lines.filter(QRegularExpression(QStringLiteral("^") + kErrorLinePrefix));
    }

private:
    void Restore()
    {
        if (FSaved < 0)
            return;
        std::fflush(stderr);
        dup2(FSaved, STDERR_FILENO);
        close(FSaved);
        FSaved = -1;
    }

    QTemporaryFile FFile;
    int FSaved = -1;
};

// The ways a data file can go bad.
enum class TFault { Missing, Folder, Fifo, Truncated, Garbage };

void Break(const QString &path, TFault fault)
{
    QFile file(path);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    file.close();
    QFile::remove(path);
    switch (fault) {
    case TFault::Missing:
        break;
    case TFault::Folder:
        QDir().mkpath(path);
        break;
    case TFault::Fifo:
        mkfifo(QFile::encodeName(path).constData(), 0600);
        break;
    case TFault::Truncated:
    case TFault::Garbage:
        if (file.open(QIODevice::WriteOnly))
            file.write(fault == TFault::Truncated ? bytes.left(bytes.size() / 2) : QByteArray(bytes.size(), '\x7f'));
        break;
    }
}
} // namespace

class TestDataFaults : public QObject {
    Q_OBJECT

private:
    std::unique_ptr<QTemporaryDir> FFolder;
    std::unique_ptr<TViewerWindows> FWindows;

    QString DataFile(const QString &name) const { return FFolder->filePath(QStringLiteral("img/") + name); }

private slots:
    // A fresh standard folder for every test: each one breaks it.
    void init()
    {
        FFolder = std::make_unique<QTemporaryDir>();
        QVERIFY(FFolder->isValid());
        WriteStandardTestFolder(FFolder->path());
        AppPath = FFolder->path() + QLatin1Char('/');
    }

    void cleanup()
    {
        FWindows.reset();
        FFolder.reset();
    }

    void unreadableCatalogueAtStart_data()
    {
        QTest::addColumn<QString>("catalogue");
        QTest::addColumn<TFault>("fault");
        for (const char *name : {"ufs.txt", "cidades.txt"}) {
            const QString catalogue = QString::fromLatin1(name);
            QTest::addRow("%s missing", name) << catalogue << TFault::Missing;
            QTest::addRow("%s a folder", name) << catalogue << TFault::Folder;
            QTest::addRow("%s a FIFO", name) << catalogue << TFault::Fifo;
        }
    }

    // Guards against a catalogue fault at start-up that hangs the program (a FIFO), goes
    // unreported, or makes a later step use what was never created. The error is shown
    // while the windows are created; the picker still opens (empty without its catalogue),
    // the load then fails with the load message and the program ends with code 0.
    void unreadableCatalogueAtStart()
    {
        QFETCH(QString, catalogue);
        QFETCH(TFault, fault);
        const QString path = DataFile(QStringLiteral("txt/") + catalogue);
        Break(path, fault);

        TModalAnswers answers;
        answers.AddMessageBoxOk();
        FWindows = std::make_unique<TViewerWindows>();
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY2(answers.Messages()[0].startsWith(QStringLiteral("Cannot open file ") + path),
                 qPrintable(answers.Messages()[0]));
        QVERIFY(formTovralMain && formPickUF && formStatus && formDistancias);
        if (catalogue == QStringLiteral("ufs.txt")) {
            QCOMPARE(Control<QComboBox>(*formPickUF, "cUF").count(), 0);
            QVERIFY(formPickUF->SelectedUF().isEmpty());
            QVERIFY(formTovralMain->View());
        } else {
            QCOMPARE(Control<QComboBox>(*formPickUF, "cUF").count(), 4);
            QVERIFY(!formTovralMain->View());
        }

        // OK in the picker: São Paulo where the picker has states, no state at all otherwise.
        answers.Add(PickState(QStringLiteral("São Paulo")));
        answers.AddMessageBoxOk();
        formTovralMain->show();
        QCOMPARE(RunUntilTerminated(), 0);
        QCOMPARE(answers.Messages().value(1), kLoadFailed);
        QVERIFY(!formTovralMain->Ready());
        QVERIFY(formTovralMain->isEnabled() && !formStatus->isVisible());
    }

    void stateFileChangedBeforeLoading_data()
    {
        QTest::addColumn<QString>("file");
        QTest::addColumn<TFault>("fault");
        QTest::addRow("full map removed") << QStringLiteral("sp_full.map") << TFault::Missing;
        QTest::addRow("light map cut in half") << QStringLiteral("sp_light.map") << TFault::Truncated;
        QTest::addRow("full map overwritten") << QStringLiteral("sp_full.map") << TFault::Garbage;
        QTest::addRow("light map a FIFO") << QStringLiteral("sp_light.map") << TFault::Fifo;
        QTest::addRow("points a folder") << QStringLiteral("sp.pts") << TFault::Folder;
        QTest::addRow("points cut in half") << QStringLiteral("sp.pts") << TFault::Truncated;
    }

    // Guards against a state file that went bad after start-up hanging the program, being
    // half used, or not ending it: the load fails as a whole with the load message. And
    // against the reason being lost: one line on standard error names the file and what is
    // wrong with it.
    void stateFileChangedBeforeLoading()
    {
        QFETCH(QString, file);
        QFETCH(TFault, fault);
        TModalAnswers answers;
        FWindows = std::make_unique<TViewerWindows>();
        Break(DataFile(file), fault);
        answers.Add(PickState(QStringLiteral("São Paulo")));
        answers.AddMessageBoxOk();
        TStandardErrorCapture errors;
        formTovralMain->show();
        QCOMPARE(RunUntilTerminated(), 0);
        QCOMPARE(answers.Messages(), QStringList{kLoadFailed});
        QVERIFY(!formTovralMain->Ready());
        QVERIFY(formTovralMain->isEnabled() && !formStatus->isVisible());
        const QStringList lines = errors.ProgramLines();
        QCOMPARE(lines.size(), 1);
        const QRegularExpression fileAndReason(QStringLiteral("^tovral: cannot load the state SP: .*%1: .+$")
                                                   .arg(QRegularExpression::escape(DataFile(file))));
        QVERIFY2(fileAndReason.match(lines[0]).hasMatch(), qPrintable(lines[0]));
    }

    // Guards against a loaded state that still depends on its files: once São Paulo is
    // shown, the whole data folder may vanish and the view still zooms, pans and redraws in
    // high quality from memory; only the next state load fails, and ends the program.
    void loadedStateOutlivesItsFiles()
    {
        TModalAnswers answers;
        FWindows = std::make_unique<TViewerWindows>();
        QVERIFY(ShowWithState(answers, QStringLiteral("São Paulo")));
        QVERIFY(QDir(FFolder->filePath(QStringLiteral("img"))).removeRecursively());

        const TViewBitmap &view = MapControl<TViewImage>("Image").Bitmap();
        SelectZoom(kFullSize);
        const QImage atFullSize = view.Picture();
        ClickButton("bTL");
        QVERIFY(view.Picture() != atFullSize);
        ClickButton("cbHQ");
        SelectZoom(kFullSize - 1);
        QVERIFY(answers.Messages().isEmpty());
        const QImage shown = view.Picture();
        const QColor centre = shown.pixelColor(shown.rect().center());
        QCOMPARE(centre.blue(), kFullMapBlue);

        answers.Add(PickState(QStringLiteral("Minas Gerais")));
        answers.AddMessageBoxOk();
        ClickButton("bChangeUF");
        QCOMPARE(RunUntilTerminated(), 0);
        QCOMPARE(answers.Messages(), QStringList{kLoadFailed});
    }

    void corruptTileFailsOneDrawing_data()
    {
        QTest::addColumn<QString>("map");
        QTest::addColumn<QPoint>("mapCentre");
        QTest::addColumn<QKeySequence>("toFailingZoom");
        QTest::addColumn<QKeySequence>("toWorkingZoom");
        // The whole map, drawn as the state loads, fails; 120 % draws from the full map.
        QTest::addRow("light map") << QStringLiteral("sp_light.map") << QPoint(480, 240) << QKeySequence()
                                   << QKeySequence(Qt::Key_End);
        // 120 % fails; 20 % draws from the light map.
        QTest::addRow("full map") << QStringLiteral("sp_full.map") << QPoint(1200, 600)
                                  << QKeySequence(Qt::Key_End) << QKeySequence(Qt::Key_Home, Qt::Key_Down);
    }

    // Guards against a tile that cannot be decoded throwing through Qt's signals (undefined
    // behaviour; the application's last net then writes a line) or leaving the window
    // unusable: the zoom entry chosen with the keyboard in the zoom box reports the failure
    // with the file's name; then another entry draws, a pan draws, the window takes input,
    // and the city selection is in line with the list.
    void corruptTileFailsOneDrawing()
    {
        QFETCH(QString, map);
        QFETCH(QPoint, mapCentre);
        QFETCH(QKeySequence, toFailingZoom);
        QFETCH(QKeySequence, toWorkingZoom);
        CorruptTile(DataFile(map), mapCentre);
        TModalAnswers answers;
        TStandardErrorCapture errors;
        FWindows = std::make_unique<TViewerWindows>();
        answers.Add(PickState(QStringLiteral("São Paulo")));
        answers.AddMessageBoxOk(); // as the state loads, or on the failing zoom entry
        formTovralMain->show();
        QVERIFY(QTest::qWaitFor([] { return formTovralMain->Ready() && formTovralMain->isEnabled(); },
                                kViewerWaitMs));
        auto &zoom = MapControl<QComboBox>("cZoom");
        zoom.setFocus();
        QTest::keySequence(&zoom, toFailingZoom);
        QCOMPARE(answers.Messages().size(), 1);
        QVERIFY2(answers.Messages()[0].startsWith(QStringLiteral("Cannot draw map %1: tile ").arg(DataFile(map))),
                 qPrintable(answers.Messages()[0]));
        QVERIFY(formTovralMain->isEnabled());
        QVERIFY(formTovralMain->SelectedCityRow() >= 0 && MapControl<QPushButton>("bCidadeMapa").isEnabled());

        const TViewBitmap &view = MapControl<TViewImage>("Image").Bitmap();
        QTest::keySequence(&zoom, toWorkingZoom);
        QVERIFY(view.Shown().has_value());
        const QPoint centre = formTovralMain->View()->Center();
        const QImage before = view.Picture();
        ClickButton("SpeedButton1");
        QVERIFY(view.Shown().has_value());
        QVERIFY(formTovralMain->View()->Center().x() > centre.x());
        QVERIFY(view.Picture() != before);
        QCOMPARE(answers.Messages().size(), 1);
        QCOMPARE(errors.ProgramLines(), QStringList());
    }
};

int main(int argc, char *argv[])
{
    return RunViewerTests<TestDataFaults>(argc, argv);
}

#include "test_data_faults.moc"
