// Fuzzes the book settings: any text as "#SYSTEM" lines, applied to a
// window, with a saved position taken from the input as well.
#include <cstddef>
#include <cstdint>

#include "book_settings.h"
#include "text_util.h"
#include "window_config.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace bookloom;
  std::u16string text;
  for (std::size_t i = 0; i + 1 < size; i += 2) text.push_back(char16_t(data[i] | data[i + 1] << 8));
  std::vector<std::u16string> lines;
  SplitLines(text, lines);
  TBookSettings settings(lines);
  TWindowState w;
  w.bounds = {100, 100, 766, 565};
  w.clientWidth = 750;
  w.clientHeight = 526;
  std::vector<TMonitor> monitors = {{{0, 0, 1920, 1080}, 96, true}, {{-1280, 0, 1280, 1024}, 144, false}};
  TRect defpos;
  if (!lines.empty()) {
    std::int32_t v = 0;
    ParseInt32(lines[0], v);
    defpos = {v, v / 2, v / 3, v / 4};
  }
  TWindowConfig c = ComputeWindowConfig(settings, w, monitors, defpos, nullptr, u"fuzz");
  TWinposInput in;
  in.bounds = c.bounds;
  in.maximized = c.maximized;
  in.minWidth = c.minWidth;
  in.minHeight = c.minHeight;
  ValidateWinpos(in, monitors, true);
  int nw = c.bounds.width + 10, nh = c.bounds.height;
  AspectCanResize(c.forceAspectRatio, false, c.bounds, c.bounds.width - 16, c.bounds.height - 39, nw, nh);
  for (const auto& l : lines) StripAccelerators(l);
  return 0;
}
