// SMARTdesc.csv: an explanation and a raw-value trend per SMART attribute,
// read once at start-up by a small CSV reader.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace appcore {

struct AttributeDescription {
  int id = 0;        // 1 to 255
  int rawTrend = 0;  // 0 no mark, 1 a rising raw value, other a falling one
  std::wstring name;
  std::wstring description;
};

// Comma-separated lines of 8-bit text; each byte is one character. A field
// that begins with a double quote may hold commas and line ends; two quotes
// inside it stand for one. A line holds at most 4095 characters.
class CsvReader {
 public:
  explicit CsvReader(wchar_t delimiter = L',') : delimiter_(delimiter) {}
  ~CsvReader();
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  bool Open(const std::string& path);
  void Close();
  bool Good() const;
  // Reads the next line into fields; false at the end of the file.
  bool ReadRow(std::vector<std::wstring>* fields);
  int LineNumber() const { return line_; }

 private:
  std::FILE* file_ = nullptr;
  wchar_t delimiter_;
  int line_ = 0;
};

// The process-wide descriptions, in file order.
std::vector<AttributeDescription>& AttributeDescriptions();

// Appends the records of the file (default: SMARTdesc.csv in the current
// directory); false only when the file cannot be opened. Malformed lines
// are skipped.
bool LoadAttributeDescriptions(const std::string& path = "SMARTdesc.csv");

// Position of the first record with this identifier (low 8 bits) and this
// name (ignoring case), or -1.
int FindAttributeDescription(int id, const std::wstring& name);

}  // namespace appcore
