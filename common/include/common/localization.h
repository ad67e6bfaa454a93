// String table loaded from a translator-editable text file.
//
// File grammar, one entry per line:
//   KEY_NAME,"text",
// Lines starting with '#' and empty lines are skipped. The text may contain
// commas and the escapes \" \' \\ \n \r \t. The file is UTF-8 or UTF-16LE
// (byte-order mark), UTF-16LE when it has none; lines end in CR LF or LF.
#pragma once

#include <cstddef>
#include <cstdio>
#include <string>

#include "common/key_entry.h"

namespace common {

// Shows a failure to a person (text, title). Message boxes belong to the
// user interface, so the program installs one; none is installed by default
// and failures are then only recorded as the last error text.
using MessageSink = void (*)(const wchar_t* text, const wchar_t* title);
void SetMessageSink(MessageSink sink);

class Localization {
 public:
  static constexpr std::size_t kErrorTextSize = 1024;
  // Longest line piece and longest text, in characters.
  static constexpr std::size_t kMaxLine = 1023;

  // `keys` must outlive the object; no file is read here. With
  // `show_messages` set, failures also go to the message sink and every
  // loaded text gets a '#' appended.
  Localization(int key_count, const KeyEntry* keys, int show_messages);
  virtual ~Localization();
  Localization(const Localization&) = delete;
  Localization& operator=(const Localization&) = delete;

  // Returns -1 when every key has a text; 0 when there is no key table, no
  // memory or the file cannot be opened; otherwise the line number of a
  // parse error, or the number of lines read when a key is left undefined.
  int Load(const wchar_t* path);
  int Load(const std::string& path);
  // Load from a stream opened for binary reading; the caller closes it.
  int Load(std::FILE* file);

  // The text of a key, or null (the last error text says why).
  const wchar_t* GetString(int index);
  // GetString, then a copy cut to size-1 characters; null when no text
  // (the buffer then holds an empty text).
  wchar_t* CopyString(int index, wchar_t* buffer, std::size_t size);
  const wchar_t* GetLastErrorText() const { return last_error_; }

  int KeyCount() const { return key_count_; }

 protected:
  // Called after every load; the shipped tables leave it empty.
  virtual void OnLoaded() {}

 private:
  bool Prepare();
  int Parse(std::FILE* file);
  int FindKey(const std::wstring& key, int& search_start) const;
  void FreeTexts();
  void SetError(const std::wstring& text);
  void Fail(const std::wstring& text, const wchar_t* title);

  wchar_t last_error_[kErrorTextSize] = {};
  wchar_t** texts_ = nullptr;
  int key_count_ = 0;
  const KeyEntry* keys_ = nullptr;
  int show_messages_ = 0;
};

// Resolves the escapes of an entry's text (quotes already stripped).
std::wstring UnescapeText(const std::wstring& text);

}  // namespace common
