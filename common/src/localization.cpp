#include "common/localization.h"

#include <atomic>
#include <climits>
#include <cstdio>
#include <cwchar>
#include <new>

#include "common/text.h"

namespace common {
namespace {

std::atomic<MessageSink> g_sink{nullptr};

const wchar_t kTitleParse[] = L"Error: String localization file parsing error.";
const wchar_t kTitleMemory[] = L"Out of Memory";
const wchar_t kTitleOpen[] = L"Error: Unable to locate localization.txt file";

std::wstring Widen(const char* ascii) {
  std::wstring out;
  for (; ascii && *ascii; ++ascii) out += static_cast<wchar_t>(static_cast<unsigned char>(*ascii));
  return out;
}

// Reads a string file as wide characters: the byte-order mark picks UTF-8
// or UTF-16LE (the default), and CR LF comes out as LF.
class WideReader {
 public:
  explicit WideReader(std::FILE* f) : f_(f) {
    int b0 = FileByte();
    int b1 = b0 == EOF ? EOF : FileByte();
    if (b0 == 0xEF && b1 == 0xBB) {
      int b2 = FileByte();
      if (b2 == 0xBF) {
        utf8_ = true;
        return;
      }
      // Not a full UTF-8 mark: read the three bytes as UTF-16LE.
      pending_bytes_[0] = b2;
      npending_bytes_ = 1;
    } else if (b0 == 0xFF && b1 == 0xFE) {
      return;
    }
    // No mark: UTF-16LE from the first byte on (a lone last byte is dropped).
    first_unit_ = (b0 == EOF || b1 == EOF) ? -1 : (b0 | (b1 << 8));
  }

  // Next character, or -1 at the end of the file.
  long Next() {
    long c = Raw();
    if (c == L'\r') {
      long d = Raw();
      if (d == L'\n') return L'\n';
      pushback_ = d;
    }
    return c;
  }

 private:
  int Byte() {
    if (npending_bytes_ > 0) {
      --npending_bytes_;
      return pending_bytes_[0];
    }
    return FileByte();
  }

  int FileByte() {
    if (pos_ == len_) {
      len_ = std::fread(buf_, 1, sizeof buf_, f_);
      pos_ = 0;
      if (len_ == 0) return EOF;
    }
    return buf_[pos_++];
  }

  long Unit16() {
    if (first_unit_ != -2) {
      long u = first_unit_;
      first_unit_ = -2;
      return u;
    }
    int lo = Byte();
    if (lo == EOF) return -1;
    int hi = Byte();
    if (hi == EOF) return -1;
    return lo | (hi << 8);
  }

  long Raw() {
    if (pushback_ != -2) {
      long c = pushback_;
      pushback_ = -2;
      return c;
    }
    return utf8_ ? Utf8() : Utf16();
  }

  long Utf16() {
    long u = Unit16();
    if (u < 0) return -1;
    if (u >= 0xD800 && u <= 0xDBFF) {
      long lo = Unit16();
      if (lo >= 0xDC00 && lo <= 0xDFFF) return 0x10000 + ((u - 0xD800) << 10) + (lo - 0xDC00);
      first_unit_ = lo < 0 ? -2 : lo;
      return 0xFFFD;
    }
    if (u >= 0xDC00 && u <= 0xDFFF) return 0xFFFD;
    return u;
  }

  long Utf8() {
    int b = Byte();
    if (b == EOF) return -1;
    if (b < 0x80) return b;
    int len = (b >> 5) == 6 ? 2 : (b >> 4) == 14 ? 3 : (b >> 3) == 30 ? 4 : 0;
    if (len == 0) return 0xFFFD;
    long c = b & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
      int cb = Byte();
      if (cb == EOF) return 0xFFFD;
      if ((cb & 0xC0) != 0x80) {
        pending_bytes_[0] = cb;
        npending_bytes_ = 1;
        return 0xFFFD;
      }
      c = (c << 6) | (cb & 0x3F);
    }
    if (c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return 0xFFFD;
    return c;
  }

  std::FILE* f_;
  unsigned char buf_[4096];
  std::size_t pos_ = 0;
  std::size_t len_ = 0;
  bool utf8_ = false;
  long first_unit_ = -2;  // -2: none held
  long pushback_ = -2;
  int pending_bytes_[1] = {0};
  int npending_bytes_ = 0;
};

// Reads one line piece the way a 1024-character line buffer does: at most
// kMaxLine characters, ending after the line feed when one comes first.
// Returns false at the end of the file.
bool ReadPiece(WideReader& in, std::wstring& piece) {
  piece.clear();
  while (piece.size() < Localization::kMaxLine) {
    long c = in.Next();
    if (c < 0) break;
    piece += static_cast<wchar_t>(c);
    if (c == L'\n') break;
  }
  if (piece.empty()) return false;
  // The line is handled as a C string: a NUL ends it.
  std::size_t nul = piece.find(L'\0');
  if (nul != std::wstring::npos) piece.resize(nul);
  return true;
}

// Comma tokenizer: skips leading commas, returns the run up to the next
// comma. False when only commas (or nothing) remain.
bool NextToken(const std::wstring& s, std::size_t& pos, std::wstring& token) {
  while (pos < s.size() && s[pos] == L',') ++pos;
  if (pos >= s.size()) return false;
  std::size_t end = s.find(L',', pos);
  if (end == std::wstring::npos) end = s.size();
  token.assign(s, pos, end - pos);
  pos = end < s.size() ? end + 1 : end;
  return true;
}

// True when `text` (which starts with the opening quote) has its closing
// quote: a quote that ends a comma-separated piece. A backslash before it
// does not escape it, so a text may end in a backslash.
bool EndsWithClosingQuote(const std::wstring& text) { return text.size() >= 2 && text.back() == L'"'; }

}  // namespace

void SetMessageSink(MessageSink sink) { g_sink.store(sink); }

std::wstring UnescapeText(const std::wstring& text) {
  std::wstring out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    wchar_t c = text[i];
    if (c != L'\\') {
      out += c;
      continue;
    }
    if (i + 1 >= text.size()) {
      out += L"//";
      break;
    }
    wchar_t n = text[++i];
    switch (n) {
      case L'"': out += L'"'; break;
      case L'\'': out += L'\''; break;
      case L'\\': out += L'\\'; break;
      case L'n': out += L'\n'; break;
      case L'r': out += L'\r'; break;
      case L't': out += L'\t'; break;
      default:
        out += L"//";
        out += n;
        break;
    }
  }
  return out;
}

Localization::Localization(int key_count, const KeyEntry* keys, int show_messages)
    : key_count_(key_count < 0 ? 0 : key_count), keys_(keys), show_messages_(show_messages) {}

Localization::~Localization() { FreeTexts(); }

void Localization::FreeTexts() {
  if (!texts_) return;
  for (int i = 0; i < key_count_; ++i) delete[] texts_[i];
  delete[] texts_;
  texts_ = nullptr;
}

void Localization::SetError(const std::wstring& text) {
  std::size_t n = text.size() < kErrorTextSize - 1 ? text.size() : kErrorTextSize - 1;
  text.copy(last_error_, n);
  last_error_[n] = L'\0';
}

void Localization::Fail(const std::wstring& text, const wchar_t* title) {
  SetError(text);
  if (show_messages_) {
    if (MessageSink sink = g_sink.load()) sink(last_error_, title);
  }
}

int Localization::Load(const std::string& path) {
  return Load(FromUtf8(path).c_str());
}

bool Localization::Prepare() {
  if (!keys_) {
    SetError(L"String Map Not Assigned");
    return false;
  }
  FreeTexts();
  texts_ = new (std::nothrow) wchar_t*[key_count_ > 0 ? key_count_ : 1];
  if (!texts_) {
    Fail(L"Failed to allocate memory for array of string pointers.", kTitleMemory);
    return false;
  }
  for (int i = 0; i < key_count_; ++i) texts_[i] = nullptr;
  return true;
}

int Localization::Load(const wchar_t* path) {
  if (!Prepare()) return 0;
  std::FILE* f = path ? std::fopen(ToUtf8(path).c_str(), "rb") : nullptr;
  if (!f) {
    Fail(L"Failed to open " + std::wstring(path ? path : L"") +
             L" file at the specified path.\nPlease check the file exists or reinstall the software.",
         kTitleOpen);
    return 0;
  }
  int result = Parse(f);
  std::fclose(f);
  return result;
}

int Localization::Load(std::FILE* f) {
  if (!Prepare()) return 0;
  if (!f) {
    Fail(L"Failed to open the file.", kTitleOpen);
    return 0;
  }
  return Parse(f);
}

int Localization::Parse(std::FILE* f) {
  WideReader in(f);
  int result = -1;
  int line = 0;
  int search_start = 0;
  std::wstring piece, key, token, text;
  while (ReadPiece(in, piece)) {
    if (line < INT_MAX) ++line;  // a result, so it must not wrap
    if (piece[0] == L'#' || piece == L"\n") continue;
    std::size_t pos = 0;
    if (!NextToken(piece, pos, key)) {
      result = line;
      break;
    }
    int index = FindKey(key, search_start);
    if (index < 0) {
      Fail(L"Unable to locate String Index for " + key + L".", kTitleParse);
      result = line;
      break;
    }
    // The text: from the opening quote to the closing quote, its
    // comma-separated pieces joined back with single commas.
    if (!NextToken(piece, pos, token)) {
      result = line;
      break;
    }
    std::size_t blank = token.find_first_not_of(L" \t");
    text = blank == std::wstring::npos ? std::wstring() : token.substr(blank);
    if (text.empty() || text[0] != L'"') {
      result = line;
      break;
    }
    while (!EndsWithClosingQuote(text) && NextToken(piece, pos, token)) {
      text += L',';
      text += token;
    }
    if (!EndsWithClosingQuote(text)) {
      result = line;
      break;
    }
    std::wstring value = UnescapeText(text.substr(1, text.size() - 2));
    if (value.size() > kMaxLine) value.resize(kMaxLine);
    if (show_messages_) value += L'#';
    wchar_t* copy = new (std::nothrow) wchar_t[value.size() + 1];
    if (!copy) {
      Fail(L"Failed to allocate memory for string text.", kTitleMemory);
      result = line;
      break;
    }
    value.copy(copy, value.size());
    copy[value.size()] = L'\0';
    delete[] texts_[index];  // the last occurrence of a key wins
    texts_[index] = copy;
  }
  if (result == -1 && key_count_ > 0) {
    // The first key left without a text is the one reported (and shown).
    for (int i = 0; i < key_count_; ++i) {
      if (texts_[i]) continue;
      Fail(L"String Name " + Widen(keys_[i].name) + L" has not been defined.", kTitleParse);
      result = line;
      break;
    }
  }
  OnLoaded();
  return result;
}

int Localization::FindKey(const std::wstring& key, int& search_start) const {
  if (key_count_ == 0) return -1;
  int i = search_start;
  do {
    const char* name = keys_[i].name;
    std::size_t k = 0;
    while (name && name[k] && k < key.size() &&
           static_cast<wchar_t>(static_cast<unsigned char>(name[k])) == key[k])
      ++k;
    if (name && name[k] == '\0' && k == key.size()) {
      int index = keys_[i].index;
      if (index < 0 || index >= key_count_) return -1;
      search_start = i;
      return index;
    }
    i = (i + 1) % key_count_;
  } while (i != search_start);
  return -1;
}

const wchar_t* Localization::GetString(int index) {
  last_error_[0] = L'\0';
  if (index < 0 || index >= key_count_) {
    SetError(L"Error: Array index out of bounds: " + std::to_wstring(index));
    return nullptr;
  }
  if (!texts_ || !texts_[index]) {
    const char* name = keys_ ? keys_[index].name : "";
    SetError(L"Error: String " + std::to_wstring(index) + L" [" + Widen(name) + L"] not initialized.");
    return nullptr;
  }
  return texts_[index];
}

wchar_t* Localization::CopyString(int index, wchar_t* buffer, std::size_t size) {
  const wchar_t* text = GetString(index);
  if (!buffer || size == 0) return text ? buffer : nullptr;
  if (!text) {
    buffer[0] = L'\0';
    return nullptr;
  }
  std::size_t n = std::wcslen(text);
  if (n > size - 1) n = size - 1;
  std::wmemcpy(buffer, text, n);
  buffer[n] = L'\0';
  return buffer;
}

}  // namespace common
