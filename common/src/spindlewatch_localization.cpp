#include "common/spindlewatch_localization.h"

#include <mutex>
#include <new>

namespace sw {
namespace {

std::mutex g_lock;
SpindlewatchLocalization* g_instance = nullptr;

}  // namespace

int CreateLocalization(const wchar_t* path) {
  std::lock_guard<std::mutex> hold(g_lock);
  delete g_instance;
  g_instance = new (std::nothrow) SpindlewatchLocalization();
  if (!g_instance) return 0;
  return g_instance->Load(path ? path : L"localization.txt");
}

const wchar_t* GetLocString(int index) {
  bool missing;
  {
    std::lock_guard<std::mutex> hold(g_lock);
    missing = g_instance == nullptr;
  }
  if (missing) CreateLocalization(nullptr);
  std::lock_guard<std::mutex> hold(g_lock);
  return g_instance ? g_instance->GetString(index) : nullptr;
}

void CopyLocString(int index, wchar_t* buffer) {
  if (!buffer) return;
  buffer[0] = L'\0';
  if (!GetLocString(index)) return;
  std::lock_guard<std::mutex> hold(g_lock);
  if (g_instance) g_instance->CopyString(index, buffer, kLocCopySize);
}

const wchar_t* GetLocError() {
  std::lock_guard<std::mutex> hold(g_lock);
  if (!g_instance) return L"Class not initialized yet. Please call Create() first.";
  return g_instance->GetLastErrorText();
}

void DestroyLocalization() {
  std::lock_guard<std::mutex> hold(g_lock);
  delete g_instance;
  g_instance = nullptr;
}

}  // namespace sw
