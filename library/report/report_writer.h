// The text of a drive report: wide text formatted printf-style, written as
// UTF-8 with a byte-order mark and CR LF line ends.
#pragma once

#include <cstdio>
#include <string>

namespace hwscope::report {

class ReportWriter {
 public:
  explicit ReportWriter(std::FILE* file);
  ~ReportWriter();
  ReportWriter(const ReportWriter&) = delete;
  ReportWriter& operator=(const ReportWriter&) = delete;

  // printf-style with a wide format ("%ls" for wide texts).
  void Printf(const wchar_t* format, ...);
  void Text(const std::wstring& text);
  // A label padded so that the value starts in column 71: level 0 to 3
  // indents it by 0, 3, 6 or 9 blanks.
  void Label(int level, const std::wstring& label);
  // Label and "%ls\n" with `value`.
  void Line(int level, const std::wstring& label, const std::wstring& value);
  // The separator line: 128 hyphens.
  void Separator();
  // Writes out what is buffered; false when a write failed.
  bool Flush();

 private:
  std::FILE* file_;
  std::wstring pending_;
  bool ok_ = true;
};

// printf-style formatting into a wide string.
std::wstring Format(const wchar_t* format, ...);

}  // namespace hwscope::report
