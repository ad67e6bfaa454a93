#include "ui_test_support.h"

#include <cstdlib>
#include <filesystem>

#include "common/spindlewatch_localization.h"
#include "common/text.h"
#include "core/app_config.h"
#include "core/app_state.h"
#include "hwscope/hwscope.h"

namespace uitest {

appcore::MessageAnswer ScriptedSink::Show(const std::wstring& text, const std::wstring& title,
                                          appcore::MessageIcon icon,
                                          appcore::MessageButtons buttons) {
  shown.push_back({text, title, icon, buttons});
  if (buttons != appcore::MessageButtons::OkCancel || answers_.empty())
    return appcore::MessageAnswer::Ok;
  appcore::MessageAnswer answer = answers_.front();
  answers_.pop_front();
  return answer;
}

std::string SetUpProcess() {
  char pattern[] = "/tmp/sw_ui_test_XXXXXX";
  const char* dir = mkdtemp(pattern);
  std::string folder = dir ? dir : "/tmp";
  std::filesystem::copy_file(SW_RESOURCES_DIR "/SMARTdesc.csv", folder + "/SMARTdesc.csv",
                             std::filesystem::copy_options::overwrite_existing);
  appcore::State().programDirectory = common::FromUtf8(folder);
  sw::CreateLocalization(L"" SW_RESOURCES_DIR "/localization.txt");
  appcore::SetConfigDefaults(&appcore::LiveConfig());
  HwscopeDll_Smart_Init(false, common::FromUtf8(folder + "/log.txt").c_str(), false);
  return folder;
}

}  // namespace uitest
