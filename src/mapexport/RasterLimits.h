#ifndef TEXTFERRO_RASTERLIMITS_H
#define TEXTFERRO_RASTERLIMITS_H

// How large an image painted by QPainter's raster engine may be. The engine works in
// 16-bit device coordinates and leaves everything past 32767 pixels along either side
// blank, so a larger image would come out cut; the pixel budget keeps a 32-bit image
// within 256 MB.

#include <QSizeF>
#include <QtGlobal>

#include <algorithm>
#include <cmath>

constexpr int kMaxRasterSide = 32767;
constexpr qint64 kMaxRasterPixels = 64LL * 1024 * 1024;

inline bool fitsRaster(int width, int height) {
  return width <= kMaxRasterSide && height <= kMaxRasterSide &&
         static_cast<qint64>(width) * height <= kMaxRasterPixels;
}

// The factor (at most 1) that brings an image of `size` within the limits.
inline double rasterScale(const QSizeF& size) {
  return std::min({1.0, kMaxRasterSide / size.width(), kMaxRasterSide / size.height(),
                   std::sqrt(kMaxRasterPixels / (size.width() * size.height()))});
}

#endif
