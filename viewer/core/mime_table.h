// Extension table of the page server: ".ext=content/type" lines, the
// built-in list first, then the system's MIME type list.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace bookloom {

class TMimeTable {
 public:
  // The 138 built-in lines, in order.
  static const std::vector<std::string>& BuiltinLines();
  // Built-in lines overridden from `mimeTypesPath` (when readable).
  static TMimeTable CreateDefault(const std::string& mimeTypesPath = "/etc/mime.types");

  void AddLine(std::string line);
  // Replaces the first line of that key or appends a new line.
  void Set(std::string_view key, std::string_view value);
  // Value of the first line whose key equals `key` ignoring case; empty
  // when there is none (found tells them apart).
  std::string Lookup(std::string_view key, bool* found = nullptr) const;
  // Applies a mime.types file ("type ext ext ..."); false when unreadable.
  bool LoadSystemTypes(const std::string& path);
  const std::vector<std::string>& Lines() const { return fLines; }

 private:
  std::vector<std::string> fLines;
};

}  // namespace bookloom
