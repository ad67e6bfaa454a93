// The library's string table class (Hwscope_localization.txt).
#pragma once

#include "common/localization.h"
#include "strings/hwscope_keys.h"

namespace hwscope::strings {

class HwscopeLocalization : public common::Localization {
 public:
  HwscopeLocalization() : Localization(kHwKeyCount, kHwKeyTable, 0) {}

 protected:
  void OnLoaded() override {}
};

}  // namespace hwscope::strings
