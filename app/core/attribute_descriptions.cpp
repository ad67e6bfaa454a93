#include "core/attribute_descriptions.h"

#include <cwctype>

namespace appcore {
namespace {

constexpr size_t kMaxLine = 4095;

// Decimal digits after optional blanks and sign; reading stops at the first
// other character. *ok is false when there are no digits.
int ReadDecimal(const std::wstring& text, bool* ok) {
  size_t i = 0;
  while (i < text.size() && (text[i] == L' ' || text[i] == L'\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == L'-' || text[i] == L'+')) negative = text[i++] == L'-';
  long value = -1;
  for (; i < text.size() && text[i] >= L'0' && text[i] <= L'9'; ++i) {
    if (value < 0) value = 0;
    value = value * 10 + (text[i] - L'0');
    if (value > 100000) value = 100000;  // far out of range either way
  }
  *ok = value >= 0;
  if (value < 0) return 0;
  return static_cast<int>(negative ? -value : value);
}

bool EqualNoCase(const std::wstring& a, const std::wstring& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::towlower(a[i]) != std::towlower(b[i])) return false;
  return true;
}

}  // namespace

CsvReader::~CsvReader() { Close(); }

bool CsvReader::Open(const std::string& path) {
  Close();
  file_ = std::fopen(path.c_str(), "rb");
  line_ = 0;
  return file_ != nullptr;
}

void CsvReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
}

bool CsvReader::Good() const {
  return file_ != nullptr && !std::ferror(file_) && !std::feof(file_);
}

bool CsvReader::ReadRow(std::vector<std::wstring>* fields) {
  fields->clear();
  if (file_ == nullptr) return false;
  int c = std::fgetc(file_);
  if (c == EOF) return false;
  ++line_;
  std::wstring field;
  bool quoted = false;     // inside a quoted part
  bool fieldStart = true;  // nothing of this field read yet
  size_t length = 0;
  for (; c != EOF; c = std::fgetc(file_)) {
    wchar_t ch = static_cast<wchar_t>(static_cast<unsigned char>(c));
    if (quoted) {
      if (ch == L'"') {
        int next = std::fgetc(file_);
        if (next == '"') {
          field += L'"';
        } else {
          quoted = false;
          if (next != EOF) std::ungetc(next, file_);
        }
      } else {
        field += ch;
      }
    } else if (fieldStart && ch == L'"') {
      quoted = true;
      fieldStart = false;
    } else if (ch == delimiter_) {
      fields->push_back(field);
      field.clear();
      fieldStart = true;
    } else if (ch == L'\r' || ch == L'\n') {
      if (ch == L'\r') {
        int next = std::fgetc(file_);
        if (next != '\n' && next != EOF) std::ungetc(next, file_);
      }
      break;
    } else {
      field += ch;
      fieldStart = false;
    }
    // An over-long line ends here; the rest is read as the next line.
    if (++length >= kMaxLine) break;
  }
  fields->push_back(field);
  return true;
}

std::vector<AttributeDescription>& AttributeDescriptions() {
  static std::vector<AttributeDescription> records;
  return records;
}

bool LoadAttributeDescriptions(const std::string& path) {
  CsvReader reader;
  if (!reader.Open(path)) return false;
  std::vector<std::wstring> fields;
  while (reader.ReadRow(&fields)) {
    if (fields.size() < 4) continue;
    bool ok = false;
    int id = ReadDecimal(fields[0], &ok);
    if (!ok || id < 1 || id > 255) continue;
    AttributeDescription record;
    record.id = id;
    record.rawTrend = ReadDecimal(fields[2], &ok);
    record.name = fields[1];
    record.description = fields[3];
    AttributeDescriptions().push_back(std::move(record));
  }
  return true;
}

int FindAttributeDescription(int id, const std::wstring& name) {
  const auto& records = AttributeDescriptions();
  for (size_t i = 0; i < records.size(); ++i)
    if ((records[i].id & 0xFF) == (id & 0xFF) && EqualNoCase(records[i].name, name))
      return static_cast<int>(i);
  return -1;
}

}  // namespace appcore
