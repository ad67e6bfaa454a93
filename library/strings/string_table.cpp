#include "strings/string_table.h"

#include <atomic>
#include <cwchar>
#include <mutex>
#include <new>

#include "common/program_path.h"
#include "common/text.h"
#include "strings/hwscope_localization.h"

namespace hwscope::strings {
namespace {

// Guards the instance pointer and every use of the instance; lives for the
// whole process, Release leaves it in place.
std::mutex g_lock;
std::atomic<HwscopeLocalization*> g_instance{nullptr};

const wchar_t kEmpty[] = L"";

// The file beside the running program. Without a readable program path
// this is "/Hwscope_localization.txt", the file at the file-system root.
std::wstring DefaultPath() {
  return common::FromUtf8(common::ProgramDirectory() + "/Hwscope_localization.txt");
}

// Builds and loads a table; the caller holds the lock.
HwscopeLocalization* CreateLocked(const std::wstring& file, int* result) {
  delete g_instance.exchange(nullptr);
  HwscopeLocalization* table = new (std::nothrow) HwscopeLocalization();
  if (!table) {
    *result = 0;
    return nullptr;
  }
  *result = table->Load(file.c_str());
  g_instance.store(table, std::memory_order_release);
  return table;
}

// The instance for a lookup, created under the same lock hold when there is
// none, so that a Release on another thread between the creation and the
// lookup cannot leave the lookup without texts.
HwscopeLocalization* InstanceLocked() {
  HwscopeLocalization* table = g_instance.load(std::memory_order_acquire);
  if (table == nullptr) {
    int ignored = 0;
    table = CreateLocked(DefaultPath(), &ignored);
  }
  return table;
}

}  // namespace

int Create(const wchar_t* path) {
  std::wstring file = path ? std::wstring(path) : DefaultPath();
  std::lock_guard<std::mutex> hold(g_lock);
  int result = 0;
  CreateLocked(file, &result);
  return result;
}

const wchar_t* Text(int index) {
  std::lock_guard<std::mutex> hold(g_lock);
  HwscopeLocalization* table = InstanceLocked();
  const wchar_t* text = table ? table->GetString(index) : nullptr;
  return text ? text : kEmpty;
}

std::wstring TextCopy(int index) {
  std::lock_guard<std::mutex> hold(g_lock);
  HwscopeLocalization* table = InstanceLocked();
  const wchar_t* text = table ? table->GetString(index) : nullptr;
  return text ? std::wstring(text) : std::wstring();
}

void CopyText(int index, wchar_t* buf, std::size_t size) {
  if (!buf || size == 0) return;
  std::lock_guard<std::mutex> hold(g_lock);
  HwscopeLocalization* table = InstanceLocked();
  if (!table || !table->CopyString(index, buf, size)) buf[0] = L'\0';
}

void Release() {
  std::lock_guard<std::mutex> hold(g_lock);
  delete g_instance.exchange(nullptr);
}

}  // namespace hwscope::strings
