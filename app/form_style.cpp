#include "app/form_style.h"

#include <QApplication>
#include <QBitmap>
#include <QComboBox>
#include <QCursor>
#include <QDialog>
#include <QGuiApplication>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLibraryInfo>
#include <QLocale>
#include <QPoint>
#include <QPushButton>
#include <QScreen>
#include <QTranslator>
#include <QWidget>

#include "app/error_report.h"
#include "resources/viewer_art/viewer_art.h"

namespace {
const QString kApplicationTitle = QStringLiteral("Tovral");
const QString kFormFace = QStringLiteral("Liberation Sans");
constexpr QPoint kHandHotSpot(6, 0);         // the fingertip
constexpr QPoint kClosedHandHotSpot(13, 14); // the middle of the palm

// A cursor picture (black outline, white inside, transparent elsewhere) as a cursor with the
// given hot spot; the fallback shape when the picture is missing.
QCursor LoadCursor(const QString &path, QPoint hotSpot, Qt::CursorShape fallback)
{
    const QImage picture(path);
    if (picture.isNull())
        return QCursor(fallback);
    // A two-colour cursor: the bitmap marks the black pixels, the mask the visible ones.
    QImage black(picture.size(), QImage::Format_MonoLSB);
    QImage visible(picture.size(), QImage::Format_MonoLSB);
    black.fill(0);
    visible.fill(0);
    for (int y = 0; y < picture.height(); ++y)
        for (int x = 0; x < picture.width(); ++x) {
            const QRgb pixel = picture.pixel(x, y);
            if (qAlpha(pixel) < 128)
                continue;
            visible.setPixel(x, y, 1);
            if (qGray(pixel) < 128)
                black.setPixel(x, y, 1);
        }
    return QCursor(QBitmap::fromImage(black), QBitmap::fromImage(visible), hotSpot.x(),
                   hotSpot.y());
}
// Runs a function on every event its widget receives; the function takes an event by
// returning true. Owned by the widget.
class TEventFunction : public QObject {
public:
    TEventFunction(QWidget &widget, std::function<bool(QEvent &)> take)
        : QObject(&widget), FWidget(widget), FTake(std::move(take))
    {
        FWidget.installEventFilter(this);
    }

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        return RunReported(&FWidget, true, [&] { return watched == &FWidget && FTake(*event); });
    }

private:
    QWidget &FWidget;
    std::function<bool(QEvent &)> FTake;
};

// Qt's own texts in Brazilian Portuguese, when the translation is installed.
void UseBrazilianPortuguese(QApplication &application)
{
    auto *translation = new QTranslator(&application);
    if (translation->load(QLocale(QLocale::Portuguese, QLocale::Brazil), QStringLiteral("qtbase"),
                          QStringLiteral("_"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(translation);
    else
        delete translation;
}
} // namespace

QString ApplicationTitle()
{
    return kApplicationTitle;
}

void InitialiseApplication(QApplication &application)
{
    QCoreApplication::setApplicationName(kApplicationTitle);
    application.setFont(FormFont());
    UseBrazilianPortuguese(application);
}

void FilterEvents(QWidget &widget, std::function<bool(QEvent &)> take)
{
    new TEventFunction(widget, std::move(take));
}

void ClickOnEnter(QPushButton &button)
{
    FilterEvents(button, [&button](QEvent &event) {
        if (event.type() != QEvent::KeyPress)
            return false;
        const auto &key = static_cast<const QKeyEvent &>(event);
        const bool enter = key.key() == Qt::Key_Return || key.key() == Qt::Key_Enter;
        if (!enter || (key.modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier)
            return false;
        if (!key.isAutoRepeat())
            button.click();
        return true;
    });
}

QFont FormFont(int pixelHeight, bool bold)
{
    QFont font(kFormFace);
    font.setPixelSize(pixelHeight);
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferAntialias);
    return font;
}

const QCursor &HandCursor()
{
    static const QCursor cursor =
        LoadCursor(ViewerArt::HandCursor(), kHandHotSpot, Qt::PointingHandCursor);
    return cursor;
}

const QCursor &ClosedHandCursor()
{
    static const QCursor cursor =
        LoadCursor(ViewerArt::ClosedHandCursor(), kClosedHandHotSpot, Qt::ClosedHandCursor);
    return cursor;
}

QLabel *AddSmallBanner(QWidget &form)
{
    auto *banner = new QLabel(&form);
    banner->setPixmap(ViewerArt::Picture(ViewerArt::SmallBanner(), form.devicePixelRatioF()));
    banner->setAccessibleName(ViewerArt::BannerWords());
    banner->move(0, 0);
    banner->adjustSize();
    return banner;
}

void NameChoiceBox(QComboBox &box, const QString &name)
{
    auto *label = new QLabel(name, box.parentWidget());
    label->setObjectName(box.objectName() + QStringLiteral("Name"));
    label->setBuddy(&box);
    label->hide();
}

TOkCancelButtons AddOkCancelButtons(QDialog &dialog)
{
    auto *ok = new QPushButton(QStringLiteral("OK"), &dialog);
    ok->setGeometry(79, 126, 83, 29);
    ok->setDefault(true);
    auto *cancel = new QPushButton(QStringLiteral("Cancelar"), &dialog);
    cancel->setGeometry(167, 126, 83, 29);
    for (QPushButton *button : {ok, cancel})
        button->setFont(FormFont(13));
    QObject::connect(cancel, &QPushButton::clicked, &dialog, &QDialog::reject);
    return {ok, cancel};
}

void CentreOnScreen(QWidget &window)
{
    const QScreen *screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen)
        return;
    QRect frame = window.frameGeometry();
    frame.moveCenter(screen->availableGeometry().center());
    window.move(frame.topLeft());
}
