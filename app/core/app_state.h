// Process-wide values of the disk checker, set once at start-up.
#pragma once

#include <string>

namespace appcore {

struct AppState {
  std::wstring programDirectory;  // folder of the running executable
  std::wstring configPath;        // from -c, else empty until LoadConfig fills it
  bool debugMode = false;         // -d or DEBUGMODE
  bool checkMode = false;         // CHECKTEC
  bool startHidden = false;       // -m
};

AppState& State();

// Folder of the running executable (from /proc/self/exe), cut at the last
// "/"; the current directory when that cannot be read.
std::wstring FindProgramDirectory();

// Program directory + "/" + name.
std::wstring ProgramFile(const std::wstring& name);

// Product identity.
inline constexpr const wchar_t* kProductName = L"Spindlewatch";
inline constexpr const wchar_t* kProductVersion = L"V3.5";
inline constexpr const wchar_t* kProductBuild = L"1004";
inline constexpr const wchar_t* kDebugLogName = L"SpindlewatchLog.txt";
inline constexpr const wchar_t* kConfigFileName = L"Spindlewatch.cfg";
inline constexpr const wchar_t* kDescriptionFileName = L"SMARTdesc.csv";
inline constexpr const wchar_t* kHomePageUrl = L"https://www.corvane.example/spindlewatch/";

}  // namespace appcore
