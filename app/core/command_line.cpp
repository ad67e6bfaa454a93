#include "core/command_line.h"

#include "common/text.h"
#include "core/app_state.h"
#include "core/debug_log.h"
#include "core/message_sink.h"

namespace appcore {
namespace {

void TurnOnDebugMode() {
  AppState& state = State();
  state.debugMode = true;
  if (state.checkMode) return;
  Messages().Show(L"Setting debug mode\nLog will be written to the file\n\n \"" + DebugLogPath() +
                      L"\"",
                  L"Spindlewatch Debug mode ON", MessageIcon::None, MessageButtons::Ok);
}

}  // namespace

void ParseCommandLine(const std::vector<std::string>& arguments) {
  AppState& state = State();
  for (size_t i = 0; i < arguments.size(); ++i) {
    const std::string& arg = arguments[i];
    if (arg.size() >= 2 && arg[0] == '-') {
      switch (arg[1]) {
        case 'c':
          if (i + 1 < arguments.size()) {
            state.configPath = common::FromUtf8(arguments[i + 1]);
            WriteDebugLog(LogPlace("ParseCommandLine", 1) + L"\"-c " + state.configPath +
                          L"\" is a command line argument");
          }
          break;
        case 'd':
          TurnOnDebugMode();
          WriteDebugLog(LogPlace("ParseCommandLine", 2) + L"\"-d\" is a command line argument");
          break;
        case 'm':
          state.startHidden = true;
          break;
        default:
          break;
      }
    } else if (arg == "CHECKTEC") {
      state.checkMode = true;
      WriteDebugLog(LogPlace("ParseCommandLine", 3) + L"\"CHECKTEC\" is a command line argument");
    } else if (arg == "DEBUGMODE") {
      TurnOnDebugMode();
      WriteDebugLog(LogPlace("ParseCommandLine", 4) + L"\"DEBUGMODE\" is a command line argument");
    }
  }
}

}  // namespace appcore
