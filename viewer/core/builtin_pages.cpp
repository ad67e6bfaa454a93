#include "builtin_pages.h"

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "text_util.h"

namespace bookloom {

namespace {

const char kDefaultHtmlBody[] =
    "<!DOCTYPE html>\t<html>\t<head>\t<title>Pagemint Viewer</title>\t"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\t"
    "<meta http-equiv=\"X-UA-Compatible\" content=\"IE=Edge\">\t"
    "<style>\tbody { margin: 3em; background: #FFFFFF; text-align: center; font-family: \"Segoe UI\"; }\t"
    "a { text-decoration: none; }\timg { max-width: 50%; }\t"
    "h1, h2, h3 { padding: 0; margin: 0; line-height: 1.2em; }\t</style>\t</head>\t"
    "<body>\t<h1>Pagemint Viewer</h1>\t"
    "<h3><a href=\":default.html\" target=\"_blank\">Bookloom book viewer</a></h3>\t"
    "<p><a href=\"cmd:openbook\"><img src=\":pagemint-logo.png\" alt=\"Pagemint\"></a></p>\t"
    "<p><a href=\"cmd:openbook\">Click on the logo to open an <b>.pagemint</b> book</a></p>\t"
    "</body>\t</html>";

void PutBe32(TBytes& out, std::uint32_t v) {
  out.push_back(std::uint8_t(v >> 24));
  out.push_back(std::uint8_t(v >> 16));
  out.push_back(std::uint8_t(v >> 8));
  out.push_back(std::uint8_t(v));
}

void PutChunk(TBytes& out, const char* type, const TBytes& data) {
  PutBe32(out, static_cast<std::uint32_t>(data.size()));
  std::size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  uLong crc = crc32(0, out.data() + start, static_cast<uInt>(out.size() - start));
  PutBe32(out, static_cast<std::uint32_t>(crc));
}

// Coverage of one sample of the logo: 0 background, 1 badge, 2 page, 3 ink.
int Sample(double x, double y) {
  const double W = 114, H = 60, r = 12;
  const double dx = std::max({r - x, 0.0, x - (W - r)});
  const double dy = std::max({r - y, 0.0, y - (H - r)});
  if (dx * dx + dy * dy > r * r) return 0;
  // Two pages of an open book, slightly lifted at the outer edges.
  auto page = [&](double x0, double x1, bool left) {
    if (x < x0 || x > x1) return 0;
    double t = (x - x0) / (x1 - x0);
    double lift = 4 * (left ? 1 - t : t);
    double top = 14 - lift, bottom = 46 - lift * 0.5;
    if (y < top || y > bottom) return 0;
    double rel = y - top;
    bool inkRow = std::fmod(rel, 6.0) > 4.2 && rel > 4 && y < bottom - 3 && t > 0.12 && t < 0.88;
    return inkRow ? 3 : 2;
  };
  if (int p = page(17, 55, true)) return p;
  if (int p = page(59, 97, false)) return p;
  if (x > 55 && x < 59 && y > 16 && y < 48) return 3;  // spine
  return 1;
}

TBytes DrawLogo() {
  const int W = 114, H = 60, S = 4;
  const std::uint8_t colours[4][4] = {
      {255, 255, 255, 0}, {255, 143, 64, 255}, {255, 255, 255, 255}, {210, 100, 30, 255}};
  TBytes raw;
  raw.reserve(std::size_t(H) * (W * 4 + 1));
  for (int y = 0; y < H; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < W; ++x) {
      double acc[4] = {0, 0, 0, 0};
      for (int sy = 0; sy < S; ++sy)
        for (int sx = 0; sx < S; ++sx) {
          const std::uint8_t* c = colours[Sample(x + (sx + 0.5) / S, y + (sy + 0.5) / S)];
          double a = c[3] / 255.0;
          for (int k = 0; k < 3; ++k) acc[k] += c[k] * a;
          acc[3] += a;
        }
      const double n = S * S;
      for (int k = 0; k < 3; ++k)
        raw.push_back(std::uint8_t(acc[3] > 0 ? std::lround(acc[k] / acc[3]) : 255));
      raw.push_back(std::uint8_t(std::lround(255 * acc[3] / n)));
    }
  }
  uLongf packedSize = compressBound(static_cast<uLong>(raw.size()));
  TBytes packed(packedSize);
  compress2(packed.data(), &packedSize, raw.data(), static_cast<uLong>(raw.size()), 9);
  packed.resize(packedSize);

  TBytes png = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
  TBytes ihdr;
  PutBe32(ihdr, W);
  PutBe32(ihdr, H);
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});  // 8-bit RGBA
  PutChunk(png, "IHDR", ihdr);
  PutChunk(png, "IDAT", packed);
  PutChunk(png, "IEND", {});
  return png;
}

}  // namespace

const TBytes& DefaultHtml() {
  static const TBytes page = [] {
    const std::string text = std::string("\xEF\xBB\xBF") + kDefaultHtmlBody;
    return TBytes(text.begin(), text.end());
  }();
  return page;
}

const TBytes& LogoPng() {
  static const TBytes png = DrawLogo();
  return png;
}

bool ProduceBuiltin(std::u16string_view name, TBytes& out) {
  if (SameText(name, u":default.html")) {
    out = DefaultHtml();
    return true;
  }
  if (SameText(name, u":pagemint-logo.png")) {
    out = LogoPng();
    return true;
  }
  out.clear();
  return false;
}

}  // namespace bookloom
