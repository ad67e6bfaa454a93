#include "core/text_format.h"

#include <cstdio>
#include <cstdlib>
#include <cwchar>

#include "common/text.h"

namespace appcore {
namespace {

std::wstring ArgAsText(const FormatArg& arg) {
  if (const auto* w = std::get_if<std::wstring>(&arg)) return *w;
  if (const auto* s = std::get_if<std::string>(&arg)) return common::FromUtf8(*s);
  if (const auto* i = std::get_if<std::int64_t>(&arg)) return std::to_wstring(*i);
  return std::to_wstring(std::get<double>(arg));
}

// Formats one numeric conversion; directive holds its flags, width and precision.
std::wstring FormatNumber(const std::string& directive, char conv, const FormatArg& arg) {
  char buf[128];
  if (conv == 'f' || conv == 'e' || conv == 'g' || conv == 'E' || conv == 'G') {
    double v = 0;
    if (const auto* d = std::get_if<double>(&arg)) v = *d;
    else if (const auto* i = std::get_if<std::int64_t>(&arg)) v = static_cast<double>(*i);
    else return ArgAsText(arg);
    std::snprintf(buf, sizeof buf, ("%" + directive + conv).c_str(), v);
  } else {
    long long v = 0;
    if (const auto* i = std::get_if<std::int64_t>(&arg)) v = *i;
    else if (const auto* d = std::get_if<double>(&arg)) v = static_cast<long long>(*d);
    else return ArgAsText(arg);
    if (conv == 'c') return std::wstring(1, static_cast<wchar_t>(v));
    if (conv == 'u' || conv == 'x' || conv == 'X' || conv == 'o')
      std::snprintf(buf, sizeof buf, ("%" + directive + "ll" + conv).c_str(),
                    static_cast<unsigned long long>(v));
    else
      std::snprintf(buf, sizeof buf, ("%" + directive + "lld").c_str(), v);
  }
  return common::FromUtf8(buf);
}

}  // namespace

std::wstring FormatTextV(const std::wstring& format, const std::vector<FormatArg>& args) {
  std::wstring out;
  size_t next = 0;
  for (size_t i = 0; i < format.size(); ++i) {
    wchar_t c = format[i];
    if (c != L'%') {
      out += c;
      continue;
    }
    if (i + 1 < format.size() && format[i + 1] == L'%') {
      out += L'%';
      ++i;
      continue;
    }
    // %[flags][width][.precision][length]conversion
    size_t j = i + 1;
    std::string directive;
    while (j < format.size() && std::wcschr(L"-+ #0", format[j]) && format[j] != 0)
      directive += static_cast<char>(format[j++]);
    int digits = 0;
    while (j < format.size() && format[j] >= L'0' && format[j] <= L'9' && digits < 3)
      directive += static_cast<char>(format[j++]), ++digits;
    if (j < format.size() && format[j] == L'.') {
      directive += '.';
      ++j;
      digits = 0;
      while (j < format.size() && format[j] >= L'0' && format[j] <= L'9' && digits < 3)
        directive += static_cast<char>(format[j++]), ++digits;
    }
    while (j < format.size() && std::wcschr(L"hlLqjzt", format[j]) && format[j] != 0) ++j;
    if (j >= format.size()) {  // a lone % at the end stays as written
      out.append(format, i, std::wstring::npos);
      break;
    }
    wchar_t conv = format[j];
    bool known = std::wcschr(L"sSdiuxXocfeEgG", conv) != nullptr && conv != 0;
    if (!known) {  // not a conversion: keep the text as written
      out.append(format, i, j - i + 1);
      i = j;
      continue;
    }
    i = j;
    if (next >= args.size()) continue;  // missing argument: nothing written
    const FormatArg& arg = args[next++];
    if (conv == L's' || conv == L'S') {
      std::wstring text = ArgAsText(arg);
      size_t dot = directive.find('.');
      if (dot != std::string::npos) {
        size_t limit = std::strtoul(directive.c_str() + dot + 1, nullptr, 10);
        if (text.size() > limit) text.resize(limit);
      }
      out += text;
    } else {
      out += FormatNumber(directive, static_cast<char>(conv), arg);
    }
  }
  return out;
}

}  // namespace appcore
