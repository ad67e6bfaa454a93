// The toolbar images (Home, Back, Forward, Print) drawn in code, in the
// four sizes of the image lists, and the choice of size by dots per inch.
#pragma once

#include <QIcon>

namespace bookloom {

enum class TToolbarImage { Home = 0, Back = 1, Forward = 2, Print = 3 };

// 20 below 120 dpi, 30 from 120 to 170, 40 from 192 to 250, 60 otherwise.
int ImageListSize(int dpi);
// The image in one size, enabled and disabled, shown 20 logical pixels
// wide whatever the size.
QIcon ToolbarIcon(TToolbarImage image, int size);

}  // namespace bookloom
