// Draws the application icon for the desktop menu: the title banner's scene (evening sky,
// green hills, a road running to the horizon) in a rounded square, at every size asked for.
// Run at build time; the pictures are installed into the hicolor icon theme.
//   tovral-icon <output folder> <name> <size>...
// writes <output folder>/<size>x<size>/apps/<name>.png for each size.
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <cstdio>

#include "resources/viewer_art/road_scene.h"

namespace {

// The icon at size x size pixels, drawn on a 256-unit square.
QImage Icon(int size)
{
    QImage icon(size, size, QImage::Format_ARGB32);
    icon.fill(Qt::transparent);
    QPainter painter(&icon);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.scale(size / 256.0, size / 256.0);

    QPainterPath tile;
    tile.addRoundedRect(QRectF(8, 8, 240, 240), 40, 40);
    painter.setClipPath(tile);

    QLinearGradient sky(0, 8, 0, 248);
    sky.setColorAt(0.0, QColor(0x16, 0x3A, 0x6E));
    sky.setColorAt(0.45, QColor(0x3F, 0x86, 0xC4));
    sky.setColorAt(0.62, QColor(0xF2, 0xC1, 0x6B));
    painter.fillRect(QRectF(0, 0, 256, 256), sky);

    QPainterPath farHills(QPointF(0, 256));
    farHills.lineTo(0, 150);
    farHills.cubicTo(60, 118, 110, 170, 160, 140);
    farHills.cubicTo(200, 118, 230, 136, 256, 128);
    farHills.lineTo(256, 256);
    painter.fillPath(farHills, QColor(0x3C, 0x7D, 0x4A));
    QPainterPath nearHills(QPointF(0, 256));
    nearHills.lineTo(0, 186);
    nearHills.cubicTo(70, 160, 130, 200, 190, 176);
    nearHills.cubicTo(220, 166, 240, 172, 256, 170);
    nearHills.lineTo(256, 256);
    painter.fillPath(nearHills, QColor(0x2B, 0x62, 0x35));

    // The road: wide at the bottom, narrowing to a point on the horizon.
    DrawRoad(painter, {.Horizon = QPointF(150, 138),
                       .LeftFoot = QPointF(40, 256),
                       .LeftBend = QPointF(150, 190),
                       .RightFoot = QPointF(236, 256),
                       .RightBend = QPointF(176, 190),
                       .MiddleFoot = QPointF(138, 256),
                       .MiddleBend = QPointF(162, 190),
                       .EdgeWidth = 6,
                       .CentreWidth = 8});

    painter.setClipping(false);
    painter.setPen(QPen(QColor(0x0E, 0x26, 0x48), 4));
    painter.drawPath(tile);
    return icon;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc < 4) {
        std::fprintf(stderr, "usage: tovral-icon <output folder> <name> <size>...\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]);
    const QString name = QString::fromLocal8Bit(argv[2]);
    for (int i = 3; i < argc; ++i) {
        const int size = QByteArray(argv[i]).toInt();
        const QString sizeFolder = QStringLiteral("%1/%2x%2/apps").arg(folder).arg(size);
        const QString path = sizeFolder + QLatin1Char('/') + name + QStringLiteral(".png");
        if (size <= 0 || !QDir().mkpath(sizeFolder) || !Icon(size).save(path)) {
            std::fprintf(stderr, "tovral-icon: cannot write a %s icon to %s\n", argv[i], qPrintable(path));
            return 1;
        }
    }
    return 0;
}
