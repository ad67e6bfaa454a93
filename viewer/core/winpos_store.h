// Saved window positions per user: a small settings file under the user's
// configuration folder that stands in for the registry key below.
#pragma once

#include <string>

namespace bookloom {

inline constexpr char16_t kWinPosKey[] = u"\\SOFTWARE\\BRENVALE\\Bookloom";

class TWinPosStore {
 public:
  // Uses `path`; empty means DefaultPath().
  explicit TWinPosStore(std::string path = {});
  // $XDG_CONFIG_HOME (or ~/.config) + "/BRENVALE/Bookloom.reg".
  static std::string DefaultPath();
  const std::string& Path() const { return fPath; }

  // True when the file holds the key.
  bool KeyExists() const;
  bool Read(const std::u16string& name, std::u16string& value) const;
  // Creates the file and key when missing; false on any error.
  bool Write(const std::u16string& name, const std::u16string& value) const;

 private:
  std::string fPath;
};

}  // namespace bookloom
