// Draws the viewer's artwork into a folder: the hand cursors, the two title banners (and what
// follows the main one on a wider window) and the pan pad's arrow glyphs. Run at build time;
// the pictures are compiled into the viewer.
//   tovral-viewer-art <output folder>
#include <QDir>
#include <QFont>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QTransform>
#include <cstdio>
#include <span>

#include "resources/viewer_art/road_scene.h"
#include "resources/viewer_art/viewer_art.h"

namespace {

// The pointing hand, 32 x 32: '#' black, '.' white, anything else transparent. The
// fingertip is at column 6, row 0 (the cursor's hot spot).
const char *const kHandRows[] = {
    "      ##                        ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..#                       ",
    "     #..###                     ",
    "     #..#..###                  ",
    "     #..#..#..##                ",
    "     #..#..#..#.#               ",
    " ##  #..#..#..#..#              ",
    "#..# #..........#               ",
    "#...##..........#               ",
    " #..#...........#               ",
    "  #.............#               ",
    "  #.............#               ",
    "   #............#               ",
    "   #...........#                ",
    "    #..........#                ",
    "    #.........#                 ",
    "     #........#                 ",
    "     #........#                 ",
    "     ##########                 ",
};

// The closed hand that holds the map while it is dragged, 32 x 32 in the same style: the
// back of a fist with its four knuckles up and the thumb folded on the left. The hot spot is
// the middle of the palm, column 13, row 14.
const char *const kClosedHandRows[] = {
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "",
    "          ## ## ##              ",
    "         #..#..#..##            ",
    "         #........#.#           ",
    "       ###..........#           ",
    "      #..#..........#           ",
    "      #.............#           ",
    "       #............#           ",
    "        #...........#           ",
    "        #..........#            ",
    "         #.........#            ",
    "          #........#            ",
    "          #........#            ",
    "          ##########            ",
};

// A 32 x 32 two-colour cursor from its rows.
QImage CursorPicture(std::span<const char *const> rows)
{
    QImage cursor(32, 32, QImage::Format_ARGB32);
    cursor.fill(Qt::transparent);
    int row = 0;
    for (const char *line : rows) {
        for (int column = 0; line[column] != '\0'; ++column) {
            if (line[column] == '#')
                cursor.setPixel(column, row, qRgba(0, 0, 0, 255));
            else if (line[column] == '.')
                cursor.setPixel(column, row, qRgba(255, 255, 255, 255));
        }
        ++row;
    }
    return cursor;
}

// A picture of size x ratio pixels, marked with the ratio, so that a painter on it draws in
// the units of size: ratio 2 is the version for screens of twice the density.
QImage PictureAtRatio(QSize size, qreal ratio, QImage::Format format)
{
    QImage picture(size * ratio, format);
    picture.setDevicePixelRatio(ratio);
    return picture;
}

// The map window's banner, and what follows it on a wider window (as wide as a 1920-pixel
// screen needs before it repeats).
constexpr QSize kMainBannerSize(800, 100);
constexpr QSize kMainBannerTailSize(1120, 100);

const QColor kFarHills(0x3C, 0x7D, 0x4A);
const QColor kNearHills(0x2B, 0x62, 0x35);

// The evening sky over the whole picture: its colours depend on the height alone, so that
// pictures side by side join.
void PaintSky(QPainter &painter, QSizeF size)
{
    QLinearGradient sky(0, 0, 0, size.height());
    sky.setColorAt(0.0, QColor(0x16, 0x3A, 0x6E));
    sky.setColorAt(0.65, QColor(0x3F, 0x86, 0xC4));
    sky.setColorAt(1.0, QColor(0xF2, 0xC1, 0x6B));
    painter.fillRect(QRectF(QPointF(0, 0), size), sky);
}

// The road of a banner of size, its points given as fractions of the width and height, its
// lines as thick as the height asks.
void DrawBannerRoad(QPainter &painter, QSizeF size, const TRoadShape &fractions)
{
    const auto at = [size](QPointF fraction) {
        return QPointF(size.width() * fraction.x(), size.height() * fraction.y());
    };
    DrawRoad(painter, {.Horizon = at(fractions.Horizon),
                       .LeftFoot = at(fractions.LeftFoot),
                       .LeftBend = at(fractions.LeftBend),
                       .RightFoot = at(fractions.RightFoot),
                       .RightBend = at(fractions.RightBend),
                       .MiddleFoot = at(fractions.MiddleFoot),
                       .MiddleBend = at(fractions.MiddleBend),
                       .EdgeWidth = qMax(1.0, size.height() / 60),
                       .CentreWidth = qMax(1.0, size.height() / 40)});
}

// A title banner of size (at ratio x its pixels): evening sky, green hills and a road running
// into the distance, with the program's name and a subtitle on the left.
QImage Banner(QSize size, int titlePixels, int subtitlePixels, qreal ratio)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QImage banner = PictureAtRatio(size, ratio, QImage::Format_RGB888);
    QPainter painter(&banner);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintSky(painter, size);

    // Far and near hills; BannerTail goes on from their right ends.
    QPainterPath farHills(QPointF(0, h));
    farHills.lineTo(0, h * 0.70);
    farHills.cubicTo(w * 0.20, h * 0.52, w * 0.35, h * 0.80, w * 0.55, h * 0.62);
    farHills.cubicTo(w * 0.72, h * 0.48, w * 0.86, h * 0.70, w, h * 0.58);
    farHills.lineTo(w, h);
    painter.fillPath(farHills, kFarHills);
    QPainterPath nearHills(QPointF(0, h));
    nearHills.lineTo(0, h * 0.84);
    nearHills.cubicTo(w * 0.25, h * 0.72, w * 0.50, h * 0.92, w * 0.75, h * 0.78);
    nearHills.cubicTo(w * 0.88, h * 0.72, w * 0.95, h * 0.80, w, h * 0.76);
    nearHills.lineTo(w, h);
    painter.fillPath(nearHills, kNearHills);

    // The road: wide at the bottom right, narrowing towards a point on the horizon.
    DrawBannerRoad(painter, size, {.Horizon = {0.66, 0.60},
                                   .LeftFoot = {0.70, 1},
                                   .LeftBend = {0.74, 0.78},
                                   .RightFoot = {0.98, 1},
                                   .RightBend = {0.80, 0.78},
                                   .MiddleFoot = {0.84, 1},
                                   .MiddleBend = {0.77, 0.78}});

    // Name and subtitle, with a soft shadow.
    QFont title(QStringLiteral("Liberation Sans"));
    title.setPixelSize(titlePixels);
    title.setBold(true);
    QFont subtitle(QStringLiteral("Liberation Sans"));
    subtitle.setPixelSize(subtitlePixels);
    subtitle.setItalic(true);
    const qreal left = h * 0.22;
    const qreal titleBaseline = h * 0.14 + titlePixels * 0.82;
    const qreal subtitleBaseline = titleBaseline + subtitlePixels * 1.25;
    const auto text = [&painter](const QFont &font, QPointF at, const QString &words,
                                 QColor colour) {
        painter.setFont(font);
        painter.setPen(QColor(0, 0, 0, 110));
        painter.drawText(at + QPointF(2, 2), words);
        painter.setPen(colour);
        painter.drawText(at, words);
    };
    text(title, QPointF(left, titleBaseline), ViewerArt::BannerTitle(), Qt::white);
    text(subtitle, QPointF(left + 2, subtitleBaseline), ViewerArt::BannerSubtitle(),
         QColor(0xFF, 0xE7, 0xA8));
    return banner;
}

// A point of a hill line and its slope there (height units per width unit).
struct THillPoint {
    qreal X;
    qreal Y;
    qreal Slope;
};

// The hills under a line through points, each joined to the next by a cubic curve leaving and
// reaching them at their slopes, filled down to bottom.
QPainterPath HillOutline(std::span<const THillPoint> points, qreal bottom)
{
    QPainterPath hills(QPointF(points.front().X, bottom));
    hills.lineTo(points.front().X, points.front().Y);
    for (size_t i = 1; i < points.size(); ++i) {
        const THillPoint &from = points[i - 1];
        const THillPoint &to = points[i];
        const qreal third = (to.X - from.X) / 3;
        hills.cubicTo(from.X + third, from.Y + from.Slope * third, to.X - third,
                      to.Y - to.Slope * third, to.X, to.Y);
    }
    hills.lineTo(points.back().X, bottom);
    hills.closeSubpath();
    return hills;
}

// What follows the main banner (of bannerSize) to the right when the window is wider: the
// same sky and hills, and the road, which leaves the banner at its foot, coming back from the
// foot and running off to the horizon again; in a picture of size (at ratio x its pixels)
// that also follows itself, so that copies side by side reach any width. Its hill lines
// start and end at the height and slope of the banner's right end.
QImage BannerTail(QSize size, QSize bannerSize, qreal ratio)
{
    const qreal w = size.width();
    const qreal h = size.height();
    QImage tail = PictureAtRatio(size, ratio, QImage::Format_RGB888);
    QPainter painter(&tail);
    painter.setRenderHint(QPainter::Antialiasing);
    PaintSky(painter, size);

    // The slopes at the banner's right end: its last curves' control points to their ends.
    const qreal farSlope = (h * 0.58 - h * 0.70) / (bannerSize.width() * 0.14);
    const qreal nearSlope = (h * 0.76 - h * 0.80) / (bannerSize.width() * 0.05);
    const THillPoint farLine[] = {{0, h * 0.58, farSlope},    {w * 0.27, h * 0.44, 0},
                                  {w * 0.55, h * 0.64, 0},    {w * 0.80, h * 0.50, 0},
                                  {w, h * 0.58, farSlope}};
    const THillPoint nearLine[] = {{0, h * 0.76, nearSlope},  {w * 0.23, h * 0.70, 0},
                                   {w * 0.50, h * 0.91, 0},   {w * 0.75, h * 0.74, 0},
                                   {w, h * 0.76, nearSlope}};
    painter.fillPath(HillOutline(farLine, h), kFarHills);
    painter.fillPath(HillOutline(nearLine, h), kNearHills);
    // The banner's road turned the other way: wide at the bottom left, narrowing towards a
    // point on the horizon in the far hills' dip.
    DrawBannerRoad(painter, size, {.Horizon = {0.42, 0.62},
                                   .LeftFoot = {0.01, 1},
                                   .LeftBend = {0.16, 0.74},
                                   .RightFoot = {0.21, 1},
                                   .RightBend = {0.25, 0.80},
                                   .MiddleFoot = {0.11, 1},
                                   .MiddleBend = {0.21, 0.77}});
    return tail;
}

// A 16 x 16 filled-triangle arrow (at ratio x its pixels): the upward arrow, or the up-left
// one when diagonal, turned by quarterTurns clockwise.
QImage Arrow(bool diagonal, int quarterTurns, qreal ratio)
{
    QImage glyph = PictureAtRatio(QSize(16, 16), ratio, QImage::Format_ARGB32);
    glyph.fill(Qt::transparent);
    QPainter painter(&glyph);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(8, 8);
    painter.rotate(90.0 * quarterTurns);
    painter.translate(-8, -8);
    QPolygonF triangle;
    if (diagonal)
        triangle << QPointF(3, 3) << QPointF(13, 3) << QPointF(3, 13);
    else
        triangle << QPointF(8, 2.5) << QPointF(14, 11.5) << QPointF(2, 11.5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(QColor(0x10, 0x10, 0x10));
    painter.drawPolygon(triangle);
    return glyph;
}

bool Save(const QImage &picture, const QString &path)
{
    QDir().mkpath(path.section(QLatin1Char('/'), 0, -2));
    if (picture.save(path))
        return true;
    std::fprintf(stderr, "tovral-viewer-art: cannot write %s\n", qPrintable(path));
    return false;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication application(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: tovral-viewer-art <output folder>\n");
        return 1;
    }
    const QString folder = QString::fromLocal8Bit(argv[1]) + QLatin1Char('/');
    bool saved = Save(CursorPicture(kHandRows), folder + QStringLiteral("cursors/mao.png"));
    saved &= Save(CursorPicture(kClosedHandRows), folder + QStringLiteral("cursors/mao_fechada.png"));
    const struct {
        const char *Name;
        bool Diagonal;
        int QuarterTurns;
    } arrows[] = {
        {"up", false, 0},        {"right", false, 1},    {"down", false, 2},
        {"left", false, 3},      {"up_left", true, 0},   {"up_right", true, 1},
        {"down_right", true, 2}, {"down_left", true, 3},
    };
    // The banners and arrows at their own size, and at twice their pixels as name@2x.png (the
    // name Qt looks for on screens of twice the density).
    for (const qreal ratio : {1.0, 2.0}) {
        const auto path = [&folder, ratio](const QString &name) {
            return folder + name + (ratio == 1 ? QString() : QStringLiteral("@2x")) + QStringLiteral(".png");
        };
        saved &= Save(Banner(kMainBannerSize, 50, 16, ratio),
                      path(QStringLiteral("banners/banner_main")));
        saved &= Save(BannerTail(kMainBannerTailSize, kMainBannerSize, ratio),
                      path(QStringLiteral("banners/banner_main_tail")));
        saved &= Save(Banner({350, 58}, 28, 11, ratio), path(QStringLiteral("banners/banner_small")));
        for (const auto &arrow : arrows)
            saved &= Save(Arrow(arrow.Diagonal, arrow.QuarterTurns, ratio),
                          path(QStringLiteral("arrows/") + QLatin1String(arrow.Name)));
    }
    return saved ? 0 : 1;
}
