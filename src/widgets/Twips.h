#pragma once

#include <QRect>

namespace tivrel {

// The window is laid out in twips: 15 to a pixel at 96 dots per inch.
constexpr int kTwipsPerPixel = 15;

constexpr int pixels(int twips) {
    return twips / kTwipsPerPixel;
}

constexpr QRect twipsRect(int left, int top, int width, int height) {
    return QRect(pixels(left), pixels(top), pixels(width), pixels(height));
}

} // namespace tivrel
