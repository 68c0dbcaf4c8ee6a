#pragma once

#include <QImage>
#include <QString>
#include <cstddef>
#include <cstdint>

// Decodes JPEG streams held in memory with libjpeg: full colour, accurate integer inverse
// DCT, fancy upsampling. A stream that is corrupt or decodes with any warning is refused
// with a TovralError. One decoder serves a whole rendering (created once, reused per tile).
class TJpegDecoder {
public:
    TJpegDecoder();
    ~TJpegDecoder();
    TJpegDecoder(const TJpegDecoder &) = delete;
    TJpegDecoder &operator=(const TJpegDecoder &) = delete;

    // Decodes into image (reallocated only when its size or format must change). The result
    // is QImage::Format_RGB32. expectedWidth/expectedHeight, when > 0, are checked against the
    // stream's header before any pixel is decoded.
    void Decode(const uint8_t *data, size_t size, QImage &image, int expectedWidth = 0,
                int expectedHeight = 0);

private:
    struct Impl;
    Impl *FImpl;
};

// Encodes an image as a baseline JFIF JPEG: the given quality, optimised Huffman tables,
// accurate integer DCT, colour.
QByteArray EncodeJpeg(const QImage &image, int quality = 70);

// Writes EncodeJpeg(image, quality) to path through a temporary file in the same folder that
// replaces the target only once everything was written: a failure never leaves a partial
// file nor destroys an existing one. Throws TovralError.
void SaveJpegFile(const QImage &image, const QString &path, int quality = 70);
