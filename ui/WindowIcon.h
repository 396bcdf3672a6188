#pragma once
// The window icon, apart from the window: the build draws the desktop's PNGs with
// the same code (kalvor_icon) without linking the view.

#include <QIcon>
#include <QImage>

#include <array>

namespace kalvor {

// The sizes, in pixels, at which the window and the desktop get the icon.
inline constexpr std::array<int, 7> kIconSizes{16, 24, 32, 48, 64, 128, 256};

// The window icon: a red field with scattered black rectangles and a yellow three
// at the right edge, laid out on a 32-pixel grid and drawn at size pixels without
// smoothing. Drawn at start-up, and by the build into the PNGs the desktop entry
// shows (kalvor_icon), so both are the same picture.
QImage drawWindowIcon(int size = 32);
// Every size of kIconSizes.
QIcon makeWindowIcon();

}  // namespace kalvor
