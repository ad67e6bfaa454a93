// What the book settings make of the viewer window: title, size and
// placement, kiosk mode, menus, colours, debug. Computed without any GUI so
// the window code only applies the result.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "book_settings.h"

namespace bookloom {

struct TRect {
  int left = 0, top = 0, width = 0, height = 0;
  int right() const { return left + width; }
  int bottom() const { return top + height; }
  bool operator==(const TRect&) const = default;
};

struct TMonitor {
  TRect bounds;
  int dpi = 96;
  bool primary = false;
};

// The window as it stands before the settings are applied.
struct TWindowState {
  TRect bounds;             // outer frame
  int clientWidth = 0;      // client area (below the menu bar included)
  int clientHeight = 0;
  int menuBarHeight = 31;
  bool menuBarVisible = true;
  int minWidth = 400;
  int minHeight = 400;
  bool creating = true;     // the window is being constructed
};

inline constexpr char16_t kDefaultTitle[] = u"Pagemint Viewer";
inline constexpr char16_t kDefaultProducerID[] = u"qz.8";

struct TAppButtonColors {
  std::uint32_t color = 4230911;            // 00BBGGRR
  std::uint32_t highlight = 27391;
  std::uint32_t fontColor = 16777215;
  std::uint32_t fontHighlight = 16777215;
  bool operator==(const TAppButtonColors&) const = default;
};

// One item of a book menu. Types: 1 action (command = action hint),
// 2 book page, 3 navigate, 4 run external, 5 submenu, 6 separator,
// other: does nothing.
struct TBookMenuItem {
  int level = 0;
  int type = 0;
  std::u16string caption;  // "-" for a separator
  std::u16string command;
  bool separator = false;
  TBookMenuItem* parent = nullptr;
  std::vector<std::unique_ptr<TBookMenuItem>> children;
};

struct TBookMenu {
  std::vector<std::unique_ptr<TBookMenuItem>> items;
  // Adds one menu line (level digit, separator, type digit, separator,
  // caption [tab command]); deeper levels go into the last submenu header.
  void AddMenuLine(std::u16string_view line);
  TBookMenuItem* lastHeader = nullptr;
};

struct TWindowConfig {
  std::int32_t charset = 1;
  std::u16string title = kDefaultTitle;
  std::u16string producerID = kDefaultProducerID;
  bool kioskMode = false;      // no border, always on top, maximised
  bool saveRegistry = false;
  bool sizeable = true;        // false: single fixed border, no maximise
  // Bounds to give the window; move only when moveWindow is true (a saved
  // position while creating, centring, or the no-settings default).
  TRect bounds;
  bool moveWindow = false;
  bool maximized = false;
  bool validateWinpos = false; // run ValidateWinpos after applying
  int minWidth = 400;
  int minHeight = 400;
  float forceAspectRatio = 0;  // browser width / height; 0 = free
  std::u16string index;        // "INDEX"
  bool menuBarVisible = false;
  std::u16string appButtonCaption;
  TBookMenu mainMenu;
  TBookMenu contextMenu;
  bool userDefaultMenu = false;  // the browser's own context menu
  bool displayPageTitle = false;
  bool openExternal = false;
  bool commandLine = false;
  bool appButtonColorsSet = false;
  TAppButtonColors colors;
  bool debug = false;
};

// Per-user store of saved window positions (stands in for the registry).
class TWinPosStore;

// Computes the window configuration. `defaultPos` is the command line's
// rectangle (left, top, width, height; all 0 when none); `store` may be
// null; `appName` names the saved value.
TWindowConfig ComputeWindowConfig(const TBookSettings& settings, const TWindowState& window,
                                  const std::vector<TMonitor>& monitors, const TRect& defaultPos,
                                  const TWinPosStore* store, const std::u16string& appName);

// Saved position text: left, top, width, height as 8 upper-case hex digits
// each (two's complement) followed by "1" (maximised) or "0".
std::u16string FormatWinPos(const TRect& r, bool maximized);

// Drops "&" accelerator marks: "&&" gives "&", a final "&" stays.
std::u16string StripAccelerators(std::u16string_view caption);

// Rounding of the form library: halves to even, and halves away from zero.
int RoundHalfEven(double v);
int RoundHalfAway(double v);

// Keeps the aspect ratio while the user resizes; adjusts newWidth or
// newHeight in place.
void AspectCanResize(float ratio, bool maximized, const TRect& window, int browserWidth,
                     int browserHeight, int& newWidth, int& newHeight);

struct TWinposInput {
  TRect bounds;
  bool maximized = false;
  bool minimized = false;
  bool sizeable = true;
  int minWidth = 0, minHeight = 0, maxWidth = 0, maxHeight = 0;
};
struct TWinposResult {
  bool changed = false;   // false: nothing to do
  TRect bounds;
  bool restoreNormal = false;
};
// Keeps the window on a monitor (the one nearest to it).
TWinposResult ValidateWinpos(const TWinposInput& w, const std::vector<TMonitor>& monitors,
                             bool center);

// Monitor containing the point, nearest to the rectangle, primary.
const TMonitor* MonitorFromPoint(const std::vector<TMonitor>& monitors, int x, int y);
const TMonitor* NearestMonitor(const std::vector<TMonitor>& monitors, const TRect& r);
const TMonitor* PrimaryMonitor(const std::vector<TMonitor>& monitors);

}  // namespace bookloom
