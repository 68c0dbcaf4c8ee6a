#include "app/form_style.h"

#include <QApplication>
#include <QBitmap>
#include <QCursor>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QWidget>

#include "resources/viewer_art/viewer_art.h"

namespace {
const QString kApplicationTitle = QStringLiteral("Tovral");
const QString kFormFace = QStringLiteral("Liberation Sans");

// The cursor picture: black outline, white inside, transparent elsewhere.
QCursor LoadHandCursor()
{
    static constexpr int kHotSpotX = 6;
    static constexpr int kHotSpotY = 0;
    const QImage picture(ViewerArt::HandCursor());
    if (picture.isNull())
        return QCursor(Qt::PointingHandCursor);
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
    return QCursor(QBitmap::fromImage(black), QBitmap::fromImage(visible), kHotSpotX, kHotSpotY);
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
    static const QCursor cursor = LoadHandCursor();
    return cursor;
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
