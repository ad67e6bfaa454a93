// hwscope-info: initialises the library and prints every drive it found,
// with identification, capacity, volumes and SMART attributes.
//   hwscope-info [--json] [--log FILE]
// Exit status 0 when it ran; when initialisation fails, the library's error
// code as a positive number (the system keeps its low 8 bits).
#include <cstdio>
#include <clocale>
#include <cstring>
#include <cwchar>
#include <string>

#include "drive_survey.h"
#include "hwscope/hwscope.h"
#include "survey_output.h"

namespace {

int Usage() {
  std::fprintf(stderr, "usage: hwscope-info [--json] [--log FILE]\n");
  return 2;
}

std::wstring Widen(const char* text) {
  std::wstring out;
  std::mbstate_t state{};
  const char* p = text;
  wchar_t wc;
  std::size_t n;
  while (*p != '\0' && (n = std::mbrtowc(&wc, p, std::strlen(p), &state)) != 0) {
    if (n == static_cast<std::size_t>(-1) || n == static_cast<std::size_t>(-2)) {
      out += static_cast<wchar_t>(static_cast<unsigned char>(*p));  // take the byte as it is
      ++p;
      state = std::mbstate_t{};
      continue;
    }
    out += wc;
    p += n;
  }
  return out;
}

}  // namespace

int main(int argc, char** argv) {
  std::setlocale(LC_ALL, "");
  bool json = false;
  const char* logFile = nullptr;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--json") == 0) {
      json = true;
    } else if (std::strcmp(argv[i], "--log") == 0 && i + 1 < argc) {
      logFile = argv[++i];
    } else {
      return Usage();
    }
  }

  std::wstring logPath;
  if (logFile != nullptr) {
    // The library appends to a file that exists; create it so that the path
    // is taken as the log file itself.
    if (std::FILE* f = std::fopen(logFile, "a")) {
      std::fclose(f);
    } else {
      std::fprintf(stderr, "hwscope-info: cannot write the log file %s\n", logFile);
      return 2;
    }
    logPath = Widen(logFile);
  }

  const int result = HwscopeDll_Smart_Init(logFile != nullptr, logFile ? logPath.c_str() : nullptr, false);
  if (result != 0) {
    std::fprintf(stderr, "hwscope-info: the library could not be initialised (error %d)\n", result);
    HwscopeDll_Cleanup();
    return result < 0 ? -result : result;
  }
  const hwscope_info::Survey survey = hwscope_info::TakeSurvey();
  const std::string text = json ? hwscope_info::SurveyJson(survey) : hwscope_info::SurveyText(survey);
  std::fwrite(text.data(), 1, text.size(), stdout);
  HwscopeDll_Smart_Cleanup();
  if (logFile != nullptr) HwscopeDll_StopLogging();
  HwscopeDll_Cleanup();
  return 0;
}
