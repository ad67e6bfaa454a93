#include "window_config.h"

#include <cmath>
#include <cstdio>
#include <limits>

#include "text_util.h"
#include "winpos_store.h"

namespace bookloom {

int RoundHalfEven(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::nearbyint(v);  // default rounding mode: to nearest, ties to even
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

int RoundHalfAway(double v) {
  if (!std::isfinite(v)) return 0;
  v = std::round(v);
  if (v > std::numeric_limits<int>::max()) return std::numeric_limits<int>::max();
  if (v < std::numeric_limits<int>::min()) return std::numeric_limits<int>::min();
  return static_cast<int>(v);
}

const TMonitor* PrimaryMonitor(const std::vector<TMonitor>& monitors) {
  for (const auto& m : monitors)
    if (m.primary) return &m;
  return monitors.empty() ? nullptr : &monitors.front();
}

const TMonitor* MonitorFromPoint(const std::vector<TMonitor>& monitors, int x, int y) {
  for (const auto& m : monitors)
    if (x >= m.bounds.left && x < m.bounds.right() && y >= m.bounds.top && y < m.bounds.bottom())
      return &m;
  return nullptr;
}

const TMonitor* NearestMonitor(const std::vector<TMonitor>& monitors, const TRect& r) {
  const TMonitor* best = nullptr;
  long long bestArea = 0;
  for (const auto& m : monitors) {
    long long w = std::min<long long>(r.right(), m.bounds.right()) - std::max(r.left, m.bounds.left);
    long long h = std::min<long long>(r.bottom(), m.bounds.bottom()) - std::max(r.top, m.bounds.top);
    if (w > 0 && h > 0 && w * h > bestArea) {
      bestArea = w * h;
      best = &m;
    }
  }
  if (best) return best;
  long long bestDist = std::numeric_limits<long long>::max();
  for (const auto& m : monitors) {
    long long dx = 0, dy = 0;
    if (r.right() <= m.bounds.left) dx = m.bounds.left - r.right();
    else if (r.left >= m.bounds.right()) dx = r.left - m.bounds.right();
    if (r.bottom() <= m.bounds.top) dy = m.bounds.top - r.bottom();
    else if (r.top >= m.bounds.bottom()) dy = r.top - m.bounds.bottom();
    long long d = dx * dx + dy * dy;
    if (d < bestDist) {
      bestDist = d;
      best = &m;
    }
  }
  return best;
}

std::u16string FormatWinPos(const TRect& r, bool maximized) {
  char buf[40];
  std::snprintf(buf, sizeof buf, "%08X%08X%08X%08X%c", static_cast<unsigned>(r.left),
                static_cast<unsigned>(r.top), static_cast<unsigned>(r.width),
                static_cast<unsigned>(r.height), maximized ? '1' : '0');
  return Utf8ToU16(buf);
}

std::u16string StripAccelerators(std::u16string_view s) {
  std::u16string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] == u'&' && i + 1 < s.size()) ++i;
    out.push_back(s[i]);
  }
  return out;
}

void TBookMenu::AddMenuLine(std::u16string_view line) {
  auto digit = [&](std::size_t at) {
    return at < line.size() && line[at] >= u'0' && line[at] <= u'9' ? int(line[at] - u'0') : -1;
  };
  auto item = std::make_unique<TBookMenuItem>();
  item->level = std::max(digit(0), 0);
  item->type = std::max(digit(2), 0);
  std::u16string_view text = line.size() > 4 ? line.substr(4) : std::u16string_view();
  std::size_t tab = text.find(u'\t');
  item->caption = std::u16string(text.substr(0, tab));
  if (tab != std::u16string_view::npos) item->command = std::u16string(text.substr(tab + 1));
  if (item->type == 6 || item->caption.empty()) {
    item->caption = u"-";
    item->separator = true;
  }
  TBookMenuItem* parent = nullptr;
  if (item->level >= 2) {
    parent = lastHeader;
    while (parent && parent->level > item->level - 1 && parent->parent) parent = parent->parent;
  }
  item->parent = parent;
  TBookMenuItem* raw = item.get();
  (parent ? parent->children : items).push_back(std::move(item));
  if (raw->type == 5) lastHeader = raw;
}

TWindowConfig ComputeWindowConfig(const TBookSettings& s, const TWindowState& window,
                                  const std::vector<TMonitor>& monitors, const TRect& defaultPos,
                                  const TWinPosStore* store, const std::u16string& appName) {
  TWindowConfig c;
  c.bounds = window.bounds;
  c.minWidth = window.minWidth;
  c.minHeight = window.minHeight;
  c.charset = s.Number(u"Charset", 1);
  std::u16string title = s.Value(u"Title");
  if (!Trim(title).empty()) c.title = title;
  std::u16string producer = s.Value(u"ProducerID");
  if (!producer.empty()) c.producerID = producer;
  c.index = s.Value(u"INDEX");
  const bool hasMainMenu = s.HasHeader(u"[MainMenu]");
  const TMonitor* primary = PrimaryMonitor(monitors);
  TMonitor fallback{{0, 0, 1024, 768}, 96, true};
  if (!primary) primary = &fallback;

  c.kioskMode = s.Switch(u"KioskMode");
  if (c.kioskMode) {
    c.saveRegistry = false;
    c.sizeable = false;
    c.maximized = true;
  } else {
    c.saveRegistry = s.Switch(u"SaveRegistry");
    std::u16string pos;
    if (defaultPos.left != 0 || defaultPos.top != 0)
      pos = FormatWinPos(defaultPos, false);
    else if (c.saveRegistry && store && store->KeyExists() && !store->Read(appName, pos))
      pos.clear();
    c.sizeable = s.Value(u"Sizeable") != u"0";
    if (s.Empty()) {
      c.bounds.left = primary->bounds.left + 50;
      c.bounds.top = primary->bounds.top + 50;
      c.moveWindow = true;
    } else {
      const TMonitor* mon = MonitorFromPoint(monitors, window.bounds.left, window.bounds.top);
      if (!mon) mon = primary;
      const int dpi = mon->dpi > 0 ? mon->dpi : 96;
      int W = RoundHalfAway(double(s.Number(u"DefaultWidth", 0)) * dpi / 96.0);
      int H = RoundHalfAway(double(s.Number(u"DefaultHeight", 0)) * dpi / 96.0);
      if (W < 1) W = window.bounds.width;
      else if (W > mon->bounds.width) W = mon->bounds.width;
      if (H < 1) H = window.bounds.height;
      else if (H > mon->bounds.height) H = mon->bounds.height;

      c.minHeight = c.minWidth;
      // Everything above and below the browser: the frame plus the menu bar,
      // which sits inside the client area and is shown when the book has a
      // main menu.
      const int frameWidth = window.bounds.width - window.clientWidth;
      const int chromeHeight =
          window.bounds.height - window.clientHeight + (hasMainMenu ? window.menuBarHeight : 0);

      c.forceAspectRatio = static_cast<float>(s.Number(u"AspectRatio", 0) / 10000.0);
      const float ratio = c.forceAspectRatio;
      if (ratio > 0) {
        H = chromeHeight + RoundHalfEven((W - frameWidth) / double(ratio));
        if (W != 0) c.minHeight = RoundHalfEven(double(c.minWidth) * H / W);
      } else {
        c.forceAspectRatio = 0;
      }

      if (pos.size() >= 33) {
        auto field = [&](std::size_t at, int fallbackValue) {
          std::int32_t v;
          return ParseInt32(u"$" + pos.substr(at, 8), v) ? int(v) : fallbackValue;
        };
        TRect r{field(0, window.bounds.left), field(8, window.bounds.top), field(16, W),
                field(24, H)};
        if (r.width == 0) r.width = W;
        if (r.height == 0) r.height = H;
        if (ratio > 0) r.height = chromeHeight + RoundHalfEven((W - frameWidth) / double(ratio));
        c.moveWindow = window.creating;
        c.bounds.left = window.creating ? r.left : window.bounds.left;
        c.bounds.top = window.creating ? r.top : window.bounds.top;
        c.bounds.width = r.width;
        c.bounds.height = r.height;
      } else {
        pos.clear();
        if (s.Number(u"Centered", 1) == 1) {
          c.bounds.left = primary->bounds.left + (primary->bounds.width - W) / 2;
          c.bounds.top = primary->bounds.top + (primary->bounds.height - H) / 2;
          c.moveWindow = true;
        }
        c.bounds.width = W;
        c.bounds.height = H;
      }
      c.maximized = s.Switch(u"Maximized") || (pos.size() >= 33 && pos[32] == u'1');
      c.validateWinpos = !c.maximized;
    }
  }

  c.menuBarVisible = !c.kioskMode && hasMainMenu;
  if (c.menuBarVisible) {
    std::vector<std::u16string> block = s.Block(u"[MainMenu]");
    if (!block.empty()) {
      c.appButtonCaption = TrimRight(block[0].size() > 4 ? block[0].substr(4) : std::u16string());
      for (std::size_t i = 1; i < block.size(); ++i) c.mainMenu.AddMenuLine(block[i]);
    }
  }
  c.userDefaultMenu = !s.Empty() && !s.HasHeader(u"[ContextMenu]");
  if (!c.userDefaultMenu) {
    if (!s.Empty()) {
      for (const auto& line : s.Block(u"[ContextMenu]")) c.contextMenu.AddMenuLine(line);
    } else {
      c.contextMenu.AddMenuLine(u"1 1 Open Pagemint Book\t:openbook");
    }
  }
  c.displayPageTitle = s.Switch(u"DisplayPageTitle");
  c.openExternal = !c.kioskMode && s.Switch(u"OpenExternal");
  c.commandLine = s.Switch(u"Commandline");
  if (!s.Value(u"AppButtonColor").empty()) {
    c.appButtonColorsSet = true;
    TAppButtonColors d;
    c.colors.color = static_cast<std::uint32_t>(s.Number(u"AppButtonColor", std::int32_t(d.color)));
    c.colors.highlight = static_cast<std::uint32_t>(s.Number(u"AppButtonHighlight", std::int32_t(d.highlight)));
    c.colors.fontColor = static_cast<std::uint32_t>(s.Number(u"AppButtonFontColor", std::int32_t(d.fontColor)));
    c.colors.fontHighlight =
        static_cast<std::uint32_t>(s.Number(u"AppButtonFontHighlight", std::int32_t(d.fontHighlight)));
  }
  c.debug = s.Switch(u"Debug");
  return c;
}

void AspectCanResize(float ratio, bool maximized, const TRect& window, int browserWidth,
                     int browserHeight, int& newWidth, int& newHeight) {
  if (!(ratio > 0) || maximized) return;
  const int frameWidth = window.width - browserWidth;
  const int frameHeight = window.height - browserHeight;
  if (newWidth == window.width)
    newWidth = frameWidth + RoundHalfEven(double(ratio) * (newHeight - frameHeight));
  else
    newHeight = frameHeight + RoundHalfEven((newWidth - frameWidth) / double(ratio));
}

TWinposResult ValidateWinpos(const TWinposInput& w, const std::vector<TMonitor>& monitors,
                             bool center) {
  TWinposResult res;
  res.bounds = w.bounds;
  const TMonitor* mon = NearestMonitor(monitors, w.bounds);
  if (!mon) return res;
  TRect R = mon->bounds;
  if (w.maximized) R = {R.left - 4, R.top - 4, R.width + 8, R.height + 8};
  auto inside = [&](long long x, long long y) {
    return x >= R.left && x < R.right() && y >= R.top && y < R.bottom();
  };
  const long long cx = w.bounds.left + (long long)w.bounds.width / 2;
  const long long cy = w.bounds.top + (long long)w.bounds.height / 2;
  if (inside(w.bounds.left, w.bounds.top) && inside(cx, cy)) return res;

  res.changed = true;
  res.restoreNormal = w.maximized || w.minimized;
  TRect b{R.left, R.top, w.bounds.width, w.bounds.height};
  if (w.sizeable) {
    if (b.bottom() > R.bottom()) b.height = R.bottom() - b.top;
    if (b.right() > R.right()) b.width = R.right() - b.left;
    if (w.minWidth > 0 && b.width < w.minWidth) b.width = w.minWidth;
    if (w.minHeight > 0 && b.height < w.minHeight) b.height = w.minHeight;
    if (w.maxWidth > 0 && b.width > w.maxWidth) b.width = w.maxWidth;
    if (w.maxHeight > 0 && b.height > w.maxHeight) b.height = w.maxHeight;
  }
  if (center) {
    if (b.width < R.width) b.left = R.left + (R.width - b.width) / 2;
    if (b.height < R.height) b.top = R.top + (R.height - b.height) / 2;
  }
  res.bounds = b;
  return res;
}

}  // namespace bookloom
