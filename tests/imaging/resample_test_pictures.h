#pragma once

#include <QImage>
#include <random>

// Pictures for the resampler tests, deterministic for a given seed.

// Every byte random: the harshest input for overshoot and clamping.
inline QImage RandomPicture(int width, int height, unsigned seed, QImage::Format format = QImage::Format_RGB888)
{
    std::mt19937 random(seed);
    QImage picture(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar *row = picture.scanLine(y);
        for (int x = 0; x < width * 3; ++x)
            row[x] = uchar(random() & 0xFF);
    }
    return picture.convertToFormat(format);
}

// Every pixel the same colour.
inline QImage FlatPicture(int width, int height, QColor colour, QImage::Format format = QImage::Format_RGB888)
{
    QImage picture(width, height, format);
    picture.fill(colour);
    return picture;
}

inline QImage SizedLike(int width, int height) { return QImage(width, height, QImage::Format_RGB888); }
