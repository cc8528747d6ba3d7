#pragma once

#include <QtGlobal>
#include <cmath>
#include <limits>

// Window layout and column widths are kept in twips (1/1440 inch); 15 twips are one pixel at
// 96 dots per inch. `dpi` is the screen's logical resolution.
namespace Twips {

inline int toPixels(int twips, qreal dpi) {
    return static_cast<int>(std::lround(twips * dpi / 1440.0));
}

// Pixels to the nearest whole number of twips, bounded to what a 16-bit width holds.
inline qint16 fromPixels(int pixels, qreal dpi) {
    const long twips = std::lround(pixels * 1440.0 / (dpi > 0 ? dpi : 96.0));
    return static_cast<qint16>(qBound(0L, twips, long(std::numeric_limits<qint16>::max())));
}

} // namespace Twips
