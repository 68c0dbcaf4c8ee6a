#pragma once

#include <QPixmap>
#include <QString>

// Paths of the viewer's compiled-in pictures. The banners, arrow glyphs and legend pages also
// have a version of twice the pixels, <name>@2x.png, for screens of twice the density (QIcon finds
// it by itself).
namespace ViewerArt {
QString HandCursor();          // 32 x 32, black outline on white, transparent elsewhere
QString ClosedHandCursor();    // 32 x 32, the same style: the hand holding a dragged map
QString MainBanner();          // 800 x 100, the map window's banner
QString MainBannerTail();      // 1120 x 100, repeated after the banner on a wider window
QString SmallBanner();         // 350 x 58, the banner of the picker and the area chooser
QString ArrowGlyph(const QString &direction); // 16 x 16: up, up_left, ..., down_right
QString LegendPicture(int page); // 403 x 257, page 1 to 4; absent when not built

// The words the title banners show, title and subtitle, and the two as one phrase: what a
// screen reader says of a banner.
inline QString BannerTitle() { return QStringLiteral("Tovral"); }
inline QString BannerSubtitle() { return QStringLiteral("Mapas rodoviários do Brasil"); }
inline QString BannerWords() { return BannerTitle() + QStringLiteral(": ") + BannerSubtitle(); }

// The picture at path (one of the above) for a screen of devicePixelRatio device pixels per
// pixel: its @2x version, marked as such, on a denser screen when there is one.
QPixmap Picture(const QString &path, qreal devicePixelRatio);
} // namespace ViewerArt
