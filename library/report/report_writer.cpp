#include "report/report_writer.h"

#include <cstdarg>
#include <cwchar>
#include <vector>

#include "common/text.h"

namespace hwscope::report {

namespace {

constexpr std::size_t kFlushAt = 1 << 16;

std::wstring VFormat(const wchar_t* format, va_list args) {
  std::vector<wchar_t> buffer(512);
  for (;;) {
    va_list copy;
    va_copy(copy, args);
    int n = std::vswprintf(buffer.data(), buffer.size(), format, copy);
    va_end(copy);
    if (n >= 0) return std::wstring(buffer.data(), static_cast<std::size_t>(n));
    if (buffer.size() >= (1u << 20)) return std::wstring();
    buffer.resize(buffer.size() * 4);
  }
}

}  // namespace

std::wstring Format(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  std::wstring text = VFormat(format, args);
  va_end(args);
  return text;
}

ReportWriter::ReportWriter(std::FILE* file) : file_(file) {
  static const char kBom[] = "\xEF\xBB\xBF";
  ok_ = std::fwrite(kBom, 1, 3, file_) == 3;
}

ReportWriter::~ReportWriter() { Flush(); }

void ReportWriter::Printf(const wchar_t* format, ...) {
  va_list args;
  va_start(args, format);
  Text(VFormat(format, args));
  va_end(args);
}

void ReportWriter::Text(const std::wstring& text) {
  pending_ += text;
  if (pending_.size() >= kFlushAt) Flush();
}

void ReportWriter::Label(int level, const std::wstring& label) {
  static const int kIndent[] = {0, 3, 6, 9};
  const int indent = kIndent[level < 0 ? 0 : level > 3 ? 3 : level];
  Text(std::wstring(static_cast<std::size_t>(indent), L' '));
  Text(label);
  const std::size_t width = static_cast<std::size_t>(70 - indent);
  if (label.size() < width) Text(std::wstring(width - label.size(), L' '));
}

void ReportWriter::Line(int level, const std::wstring& label, const std::wstring& value) {
  Label(level, label);
  Text(value);
  Text(L"\n");
}

void ReportWriter::Separator() { Text(std::wstring(128, L'-') + L"\n"); }

bool ReportWriter::Flush() {
  if (pending_.empty()) return ok_;
  std::string utf8 = common::ToUtf8(pending_);
  pending_.clear();
  std::string out;
  out.reserve(utf8.size() + utf8.size() / 16);
  for (char c : utf8) {
    if (c == '\n') out += '\r';
    out += c;
  }
  if (std::fwrite(out.data(), 1, out.size(), file_) != out.size()) ok_ = false;
  return ok_;
}

}  // namespace hwscope::report
