#include "ui/icons.h"

#include <QString>

// The icons live in the resource file of this static library; it must be
// registered before the first icon is loaded.
static void RegisterIconResources() { Q_INIT_RESOURCE(icons); }

namespace ui {

namespace {
QIcon Load(const char* name) {
  static const bool registered = (RegisterIconResources(), true);
  (void)registered;
  // Qt's SVG plug-in renders the icon at whatever size is asked for.
  return QIcon(QString(":/icons/") + name);
}
}  // namespace

QIcon AppIcon() { return Load("app.svg"); }
QIcon WarningIcon() { return Load("warning.svg"); }
QIcon DriveIcon() { return Load("drive.svg"); }
QIcon RefreshIcon() { return Load("refresh.svg"); }
QIcon InformationIcon() { return Load("information.svg"); }
QIcon TrendIcon(int trend) { return Load(trend == 1 ? "trend_up.svg" : "trend_down.svg"); }

}  // namespace ui
