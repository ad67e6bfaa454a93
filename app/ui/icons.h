// The program's icons, drawn as SVG and compiled in (icons.qrc).
#pragma once

#include <QIcon>

namespace ui {

QIcon AppIcon();
QIcon WarningIcon();
QIcon DriveIcon();
QIcon RefreshIcon();
QIcon InformationIcon();
// Trend of a raw value: 1 rising, any other non-zero value falling.
QIcon TrendIcon(int trend);

}  // namespace ui
