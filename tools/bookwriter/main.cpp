// bookwriter: packs a folder of web pages into a book container.
//   bookwriter [--desc FILE] [--append HOST] [--version N] --out BOOK FOLDER
#include <cstdio>
#include <cstdlib>
#include <string>

#include "book_writer.h"

static int Usage() {
  std::fprintf(stderr,
               "usage: bookwriter [--desc FILE] [--append HOST] [--version N] --out BOOK FOLDER\n"
               "  --desc FILE    system entries: lines after @#SYSTEM, @#TOPICS, @#MAP\n"
               "  --append HOST  write HOST followed by the container\n"
               "  --version N    directory version (200: 16-bit names; other: 8-bit)\n");
  return 2;
}

int main(int argc, char** argv) {
  std::string desc, host, out, folder;
  long version = 200;
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto next = [&](std::string& v) {
      if (i + 1 >= argc) return false;
      v = argv[++i];
      return true;
    };
    std::string v;
    if (a == "--desc") { if (!next(desc)) return Usage(); }
    else if (a == "--append") { if (!next(host)) return Usage(); }
    else if (a == "--out") { if (!next(out)) return Usage(); }
    else if (a == "--version") {
      if (!next(v)) return Usage();
      char* end = nullptr;
      version = std::strtol(v.c_str(), &end, 10);
      if (*end) return Usage();
    } else if (!a.empty() && a[0] == '-') return Usage();
    else if (folder.empty()) folder = a;
    else return Usage();
  }
  if (out.empty() || folder.empty()) return Usage();
  std::string error;
  if (!bookloom::WriteBook(folder, desc, host, out, static_cast<std::int32_t>(version), error)) {
    std::fprintf(stderr, "bookwriter: %s\n", error.c_str());
    return 1;
  }
  return 0;
}
