// The viewer's debug log: lines written from the UI thread and from the page
// server's worker threads, serialised; shown by the window when enabled.
#pragma once

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace bookloom {

class TViewerLog {
 public:
  // Lines are kept only while enabled (the book's "Debug" setting).
  void SetEnabled(bool on);
  bool Enabled() const;
  void Debug(const std::u16string& msg);
  // "Ok: " + name, or ", " + name appended when the last line begins "Ok:".
  void Ok(const std::u16string& name);
  std::vector<std::u16string> Lines() const;
  void Clear();
  // Called (outside the lock) after every change, from the writing thread.
  void SetListener(std::function<void()> listener);

 private:
  mutable std::mutex fLock;
  bool fEnabled = false;
  std::vector<std::u16string> fLines;
  std::function<void()> fListener;
  void Notify();
};

}  // namespace bookloom
