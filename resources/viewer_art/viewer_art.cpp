#include "resources/viewer_art/viewer_art.h"

namespace ViewerArt {
QString HandCursor() { return QStringLiteral(":/cursors/mao.png"); }
QString ClosedHandCursor() { return QStringLiteral(":/cursors/mao_fechada.png"); }
QString MainBanner() { return QStringLiteral(":/banners/banner_main.png"); }
QString MainBannerTail() { return QStringLiteral(":/banners/banner_main_tail.png"); }
QString SmallBanner() { return QStringLiteral(":/banners/banner_small.png"); }
QString ArrowGlyph(const QString &direction) { return QStringLiteral(":/arrows/%1.png").arg(direction); }
QString LegendPicture(int page) { return QStringLiteral(":/legend/legenda%1.png").arg(page); }

QPixmap Picture(const QString &path, qreal devicePixelRatio)
{
    if (devicePixelRatio > 1) {
        QPixmap dense(QString(path).insert(path.lastIndexOf(QLatin1Char('.')), QStringLiteral("@2x")));
        if (!dense.isNull()) {
            dense.setDevicePixelRatio(2);
            return dense;
        }
    }
    return QPixmap(path);
}
} // namespace ViewerArt
