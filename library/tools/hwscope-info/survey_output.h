// The survey as text for people or as JSON for programs.
#pragma once

#include <string>

#include "drive_survey.h"

namespace hwscope_info {

std::string SurveyText(const Survey& survey);
std::string SurveyJson(const Survey& survey);

}  // namespace hwscope_info
