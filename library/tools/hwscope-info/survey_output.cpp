#include "survey_output.h"

#include <cinttypes>
#include <cstdarg>
#include <cstdio>

#include <nlohmann/json.hpp>

namespace hwscope_info {
namespace {

std::string Or(const std::optional<std::string>& value, const char* fallback) {
  return value ? *value : fallback;
}

std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));
std::string Format(const char* format, ...) {
  char line[512];
  va_list args;
  va_start(args, format);
  std::vsnprintf(line, sizeof line, format, args);
  va_end(args);
  return line;
}

nlohmann::json Optional(const std::optional<std::string>& value) {
  return value ? nlohmann::json(*value) : nlohmann::json(nullptr);
}

}  // namespace

std::string SurveyText(const Survey& survey) {
  std::string out = survey.version + "\n";
  out += Format("Detected drives: %d, SMART devices: %d\n", survey.detectedDrives,
                survey.smartDevices);
  for (const DriveReport& d : survey.drives) {
    out += Format("\nDevice %d\n", d.device);
    out += "  Model:       " + Or(d.model, "(unknown)") + "\n";
    out += "  Serial:      " + Or(d.serial, "(unknown)") + "\n";
    out += "  Firmware:    " + Or(d.firmware, "(unknown)") + "\n";
    out += "  Interface:   " + Or(d.interfaceName, "(unknown)") +
           (d.solidState ? " (solid state)" : "") + "\n";
    out += "  Capacity:    " +
           (d.capacityMb ? Format("%" PRIu32 " MB", *d.capacityMb) : std::string("(unknown)")) + "\n";
    std::string volumes;
    for (const std::string& v : d.volumes) volumes += (volumes.empty() ? "" : " ") + v;
    out += "  Volumes:     " + (volumes.empty() ? std::string("(none)") : volumes) + "\n";
    if (!d.smart) {
      out += Format("  SMART:       not available (%d)\n", d.smartCode);
      continue;
    }
    out += Format("  SMART:       %zu attributes\n", d.attributes.size());
    out += "   ID  Name                                    Cur  Wst  Thr  Raw                   Exceeded\n";
    for (const AttributeRow& a : d.attributes) {
      if (a.nvme) {
        out += Format("  %3d  %-38s %4s %4s %4s  %-20" PRIu64 "  %s\n", a.id, a.name.c_str(), "-",
                      "-", "-", a.raw, "-");
      } else {
        out += Format("  %3d  %-38s %4d %4d %4d  %-20" PRIu64 "  %s\n", a.id, a.name.c_str(),
                      a.current, a.worst, a.threshold, a.raw, a.exceeded ? "yes" : "no");
      }
    }
  }
  return out;
}

std::string SurveyJson(const Survey& survey) {
  nlohmann::json root;
  root["version"] = survey.version;
  root["detected_drives"] = survey.detectedDrives;
  root["smart_devices"] = survey.smartDevices;
  root["devices"] = nlohmann::json::array();
  for (const DriveReport& d : survey.drives) {
    nlohmann::json drive;
    drive["device"] = d.device;
    drive["model"] = Optional(d.model);
    drive["serial"] = Optional(d.serial);
    drive["firmware"] = Optional(d.firmware);
    drive["interface"] = Optional(d.interfaceName);
    drive["solid_state"] = d.solidState;
    drive["capacity_mb"] = d.capacityMb ? nlohmann::json(*d.capacityMb) : nlohmann::json(nullptr);
    drive["volumes"] = d.volumes;
    drive["smart"] = d.smart;
    if (!d.smart) drive["smart_code"] = d.smartCode;
    drive["attributes"] = nlohmann::json::array();
    for (const AttributeRow& a : d.attributes) {
      nlohmann::json attribute{{"id", a.id},           {"name", a.name},   {"nvme", a.nvme},
                               {"current", a.current}, {"worst", a.worst}, {"threshold", a.threshold},
                               {"raw", a.raw},         {"exceeded", a.exceeded}};
      drive["attributes"].push_back(attribute);
    }
    root["devices"].push_back(drive);
  }
  return root.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace hwscope_info
