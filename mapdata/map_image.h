#pragma once

#include <QByteArray>
#include <QPoint>
#include <QRect>
#include <QRegion>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "mapdata/render_pool.h"
#include "mapdata/tile_cache.h"

class QIODevice;
class QImage;
class QPainter;
class TJpegDecoder;
struct TRenderPiece;
struct TPreparedPiece;

// One tile of a .map file: the picture rectangle it covers (Right and Bottom exclusive) and
// the offset of its entry (int32 length + JPEG stream) in the data blob.
struct TMapTile {
    int32_t Left = 0;
    int32_t Top = 0;
    int32_t Right = 0;
    int32_t Bottom = 0;
    int32_t Offset = 0;
};

constexpr int kMapTileBytes = 20;

// The most work one .map may ask of the renderer: a view decodes every tile it touches whole,
// so a small file whose tiles share one stream could otherwise demand hours of decoding.
// LoadFromStream refuses a file beyond any of them. The largest real map is about 60
// megapixels, in tiles of 256 x 256.
// The picture's area, and the area of all its tiles together (tiles may overlap).
constexpr long long kMaxMapPixels = 128ll * 1024 * 1024;
// A tile's width and height: a tile is decoded whole into a picture of 4 bytes a pixel.
constexpr int kMaxTileSide = 4096;
// Tiles in one file: each costs a decode of its own, however small it is.
constexpr int kMaxMapTiles = 65536;
// The JPEG bytes of all tiles together, a stream counted once for each tile that shares it:
// the decoding time of a tile grows with its stream as well as with its area.
constexpr long long kMaxMapStreamBytes = 32ll * 1024 * 1024;

// Whether a rendering goes to the screen (a bitmap of the window, a saved picture) or to a
// printer page.
enum class TRenderTarget { Screen, Printer };
// Plain nearest-neighbour stretching, or the high-quality Lanczos3 resampler.
enum class TRenderQuality { Plain, High };
// What is saved or printed: the area visible in the window, or the whole map.
enum class TOutputArea { VisibleArea, WholeMap };

// One tiled map picture (<uf>_light.map or <uf>_full.map) held compressed in memory.
// Rectangles passed to the renderer are QRects; their exclusive right and bottom edges are
// x() + width() and y() + height().
class TMapImage {
public:
    // Opens the file read-only and loads it; "Cannot open file <native path>" when it cannot.
    void LoadFromFile(const QString &fileName);
    // Replaces the whole content. A malformed file (short, impossible sizes, tiles outside the
    // picture or entries outside the data block) or one beyond the limits above throws
    // TovralError naming the file (and the limit) and leaves the object empty: Width and
    // Height 0, no tiles. Band order is not checked here.
    void LoadFromStream(QIODevice &stream);
    // Releases the index and the blob; Width and Height keep their values.
    void Clear();

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    int TileCount() const { return int(FTiles.size()); }
    const std::vector<TMapTile> &Tiles() const { return FTiles; }
    const QByteArray &Data() const { return FData; }
    // A number no two loads (and no two map objects) share: what a picture drawn from this
    // content can be told by.
    uint64_t ContentId() const { return FCacheIdentity.Value(); }

    // Fills the canvas's clip area with its brush, then draws the map around center (pixels
    // of this map) at scale (canvas pixels per map pixel) into destRect, with the Lanczos3
    // resampler when quality is High and scale != 1. A tile the clip leaves out is not
    // decoded.
    void Draw(TRenderQuality quality, QPoint center, const QRect &destRect, long double scale,
              QPainter &canvas) const;
    // How the drawing Draw makes around center repeats the one it made around lastCenter
    // (same quality, destRect and scale): the pixel at p of the new drawing is the pixel at
    // p + Shift of the last everywhere in destRect but Changed. A piece that lands in the
    // overlap of the two views is repeated when it is the same piece moved by Shift, or a
    // plain copy of the same tile placed alike; the others (border tiles a fractional scale
    // cuts anew, a border of the picture placed otherwise) are in Changed with what the views
    // do not share. Empty when the views show no tile both whole, or both as plain copies, or
    // do not overlap. A pan can then draw only Changed.
    struct TRepeatedDrawing {
        QPoint Shift;
        QRegion Changed;
    };
    std::optional<TRepeatedDrawing> RepeatedDrawing(TRenderQuality quality, QPoint lastCenter, QPoint center,
                                                    const QRect &destRect, long double scale) const;
    // Where RenderPage puts the picture on a page: the page rectangle (device pixels), and the
    // centre (pixels of this map) and scale (device pixels per map pixel) to render it with.
    struct TPrintPlacement {
        QRect PageRect;
        QPoint Center;
        long double Scale = 0;

        // Where a position of this map (unrounded, the pixel c covering c to c + 1) lands on
        // the page: the centre pixel starts at the middle of PageRect (RenderRegion).
        QPointF ToPage(QPointF mapPoint) const;
    };
    // Draws over the printed map, clipped to it: the painter of the page and where the map
    // lies on it.
    using TPageOverlay = std::function<void(QPainter &page, const TPrintPlacement &placement)>;

    // Renders the visible area (centre, view rectangle and scale of the window) or the whole
    // picture onto a page painter, fitted into the largest centred rectangle of its aspect in
    // mapArea (device pixels of the painter's device), then the overlay, if any, over it.
    // Printing onto a printer is the windows' business (output/).
    TPrintPlacement RenderPage(TOutputArea area, QPoint center, const QRect &viewRect, long double scale,
                               QPainter &page, const QRect &mapArea, const TPageOverlay &overlay = {}) const;
    // The renderer behind Draw and RenderPage. The printer path leaves the canvas around the
    // picture untouched and always stretches plainly.
    void RenderRegion(TRenderTarget target, TRenderQuality quality, QPoint center,
                      const QRect &destRect, long double scale, QPainter &canvas) const;
    // Starts preparing in the background what Draw would take from the shared cache for the
    // same arguments (its tiles decoded and, with quality High, its whole tiles resampled),
    // so that a rendering of a view inside that region finds it there; returns at once. A
    // region whose pieces would fill more than three quarters of the cache is not prepared:
    // that would push out the pieces of the view on screen. The object must stay loaded
    // until the returned run is stopped; a corrupt tile is left for the rendering to report.
    TRenderPool::TBackgroundRun PrepareRegion(TRenderQuality quality, QPoint center, const QRect &destRect,
                                              long double scale) const;

    // Where RenderPage puts the picture in mapArea.
    TPrintPlacement PrintPlacement(TOutputArea area, QPoint center, const QRect &viewRect,
                                   long double scale, const QRect &mapArea) const;
    // The width / height of what is printed: the view rectangle's, or the picture's; 0 when
    // that is empty.
    long double PrintAspect(TOutputArea area, const QRect &viewRect) const;

    // Called after every piece drawn, so that a window can let pending events run; nothing is
    // called when it is empty.
    std::function<void()> ProcessMessages;

    // Decodes tile index into picture (Format_RGB32), refusing a tile whose JPEG stream is
    // corrupt or has another size than the tile's rectangle. Throws TovralError naming the file.
    void DecodeTile(int index, TJpegDecoder &decoder, QImage &picture) const;

private:
    // Tile index decoded, from the shared cache when it holds it; safe on any thread.
    TDecodedTile DecodedTile(int index) const;
    // Where the shared cache files a decoded tile, and a piece resampled.
    TTileKey TileKey(int index) const;
    TTileKey ResampledKey(const TRenderPiece &piece) const;
    // Sets ready.Part to the piece's part of the decoded tile ready.Tile.
    void ShowPartOfTile(const TRenderPiece &piece, TPreparedPiece &ready) const;
    // The piece's picture when the shared cache holds what it needs; false otherwise.
    bool PieceFromCache(const TRenderPiece &piece, TPreparedPiece &ready) const;
    // The piece's picture, from the shared cache or made (and then kept there); safe on any
    // thread.
    void PreparePiece(const TRenderPiece &piece, TPreparedPiece &ready) const;

    int32_t FWidth = 0;
    int32_t FHeight = 0;
    std::vector<TMapTile> FTiles;
    QByteArray FData;
    QString FFileName; // named in the errors of later renderings
    // Files this content's decoded tiles and resampled pieces in the shared cache; renewed by
    // every load and Clear.
    TTileCacheIdentity FCacheIdentity;
};

// The page rectangle of RenderPage: the largest rectangle of aspect (width / height) that fits a
// page of pageWidth x pageHeight device pixels, centred.
QRect PrintPageRect(long double aspect, int pageWidth, int pageHeight);
