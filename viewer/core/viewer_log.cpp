#include "viewer_log.h"

namespace bookloom {

void TViewerLog::SetEnabled(bool on) {
  std::lock_guard<std::mutex> g(fLock);
  fEnabled = on;
}

bool TViewerLog::Enabled() const {
  std::lock_guard<std::mutex> g(fLock);
  return fEnabled;
}

void TViewerLog::Debug(const std::u16string& msg) {
  {
    std::lock_guard<std::mutex> g(fLock);
    if (!fEnabled) return;
    fLines.push_back(msg);
  }
  Notify();
}

void TViewerLog::Ok(const std::u16string& name) {
  {
    std::lock_guard<std::mutex> g(fLock);
    if (!fEnabled) return;
    if (!fLines.empty() && fLines.back().compare(0, 3, u"Ok:") == 0)
      fLines.back() += u", " + name;
    else
      fLines.push_back(u"Ok: " + name);
  }
  Notify();
}

std::vector<std::u16string> TViewerLog::Lines() const {
  std::lock_guard<std::mutex> g(fLock);
  return fLines;
}

void TViewerLog::Clear() {
  {
    std::lock_guard<std::mutex> g(fLock);
    fLines.clear();
  }
  Notify();
}

void TViewerLog::SetListener(std::function<void()> listener) {
  std::lock_guard<std::mutex> g(fLock);
  fListener = std::move(listener);
}

void TViewerLog::Notify() {
  std::function<void()> l;
  {
    std::lock_guard<std::mutex> g(fLock);
    l = fListener;
  }
  if (l) l();
}

}  // namespace bookloom
