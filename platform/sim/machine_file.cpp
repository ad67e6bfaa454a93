// Machine file reader: JSON text to MachineSpec, one clear error line on
// the first wrong field. Unknown keys are ignored.
#include <algorithm>
#include <cctype>
#include <cstdlib>

#include <nlohmann/json.hpp>

#include "sim/machine_contents.h"

namespace platform::sim {
namespace {

using nlohmann::json;

struct Reader {
  std::string source;
  std::string error;

  bool Fail(const std::string& field, const std::string& what) {
    if (error.empty()) error = source + ": " + field + ": " + what;
    return false;
  }

  bool Bool(const json& obj, const char* key, const std::string& at, bool* out) {
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    if (!it->is_boolean()) return Fail(at + key, "expected true or false");
    *out = it->get<bool>();
    return true;
  }

  // Unsigned integer within [0, max].
  template <typename T>
  bool Unsigned(const json& value, const std::string& field, std::uint64_t max, T* out) {
    if (!value.is_number_integer() && !value.is_number_unsigned())
      return Fail(field, "expected a whole number");
    if (value.is_number_integer() && !value.is_number_unsigned() && value.get<std::int64_t>() < 0)
      return Fail(field, "expected a number of at least 0");
    std::uint64_t v = value.get<std::uint64_t>();
    if (v > max) return Fail(field, "number too large (at most " + std::to_string(max) + ")");
    *out = static_cast<T>(v);
    return true;
  }

  template <typename T>
  bool Field(const json& obj, const char* key, const std::string& at, std::uint64_t max, T* out) {
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    return Unsigned(*it, at + key, max, out);
  }

  template <typename T>
  bool OptField(const json& obj, const char* key, const std::string& at, std::uint64_t max,
                std::optional<T>* out) {
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    T v{};
    if (!Unsigned(*it, at + key, max, &v)) return false;
    *out = v;
    return true;
  }

  bool String(const json& obj, const char* key, const std::string& at, std::string* out) {
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    if (!it->is_string()) return Fail(at + key, "expected a text");
    *out = it->get<std::string>();
    return true;
  }

  bool CodeList(const json& obj, const char* key, const std::string& at,
                std::vector<std::uint32_t>* out) {
    auto it = obj.find(key);
    if (it == obj.end()) return true;
    if (!it->is_array()) return Fail(at + key, "expected a list of control codes");
    for (std::size_t i = 0; i < it->size(); ++i) {
      std::uint32_t code = 0;
      const json& v = (*it)[i];
      const std::string field = at + key + "[" + std::to_string(i) + "]";
      if (v.is_string()) {  // "0x0007C088" is easier to read than a decimal number
        const std::string text = v.get<std::string>();
        char* end = nullptr;
        unsigned long long parsed = std::strtoull(text.c_str(), &end, 0);
        if (text.empty() || *end != '\0' || parsed > 0xFFFFFFFFull)
          return Fail(field, "expected a control code");
        code = static_cast<std::uint32_t>(parsed);
      } else if (!Unsigned(v, field, 0xFFFFFFFFull, &code)) {
        return false;
      }
      out->push_back(code);
    }
    return true;
  }

  bool Object(const json& obj, const char* key, const std::string& at, const json** out) {
    auto it = obj.find(key);
    *out = nullptr;
    if (it == obj.end()) return true;
    if (!it->is_object()) return Fail(at + key, "expected an object");
    *out = &*it;
    return true;
  }

  bool Bus(const json& d, const std::string& at, std::uint32_t* bus) {
    static const char* const kNames[] = {"Unknown", "SCSI", "ATAPI", "ATA", "1394", "SSA",
                                         "Fibre", "USB", "RAID", "iSCSI", "SAS", "SATA",
                                         "SD", "MMC", "Virtual Storage",
                                         "Virtual File-backed Storage", "Storage Spaces",
                                         "NVMe"};
    auto it = d.find("bus");
    if (it == d.end()) return true;
    if (it->is_string()) {
      const std::string name = it->get<std::string>();
      for (std::uint32_t i = 0; i < std::size(kNames); ++i) {
        if (name.size() == std::string(kNames[i]).size() &&
            std::equal(name.begin(), name.end(), kNames[i],
                       [](char a, char b) { return std::tolower(a) == std::tolower(b); })) {
          *bus = i;
          return true;
        }
      }
      return Fail(at + "bus", "unknown bus type \"" + name + "\"");
    }
    return Unsigned(*it, at + "bus", 255, bus);
  }

  bool BridgeName(const json& d, const std::string& at, Bridge* bridge) {
    static const std::pair<const char*, Bridge> kBridges[] = {
        {"none", Bridge::kNone},
        {"native", Bridge::kNative},
        {"sat", Bridge::kSat},
        {"cypress", Bridge::kCypress},
        {"jmicron", Bridge::kJMicron},
        {"sunplus", Bridge::kSunplus},
        {"samsung-nvme", Bridge::kSamsungNvme},
        {"miniport-samsung", Bridge::kMiniportSamsung},
        {"miniport-intel", Bridge::kMiniportIntel},
        {"storage-query", Bridge::kStorageQuery},
        {"jms583", Bridge::kJms583},
        {"rtl9210", Bridge::kRtl9210},
        {"asm2362", Bridge::kAsm2362},
    };
    auto it = d.find("bridge");
    if (it == d.end()) return true;
    if (!it->is_string()) return Fail(at + "bridge", "expected a bridge name");
    const std::string name = it->get<std::string>();
    for (const auto& [n, b] : kBridges) {
      if (name == n) {
        *bridge = b;
        return true;
      }
    }
    return Fail(at + "bridge", "unknown bridge \"" + name + "\"");
  }

  bool Attribute(const json& a, const std::string& at, AttributeSpec* out) {
    if (!a.is_object()) return Fail(at, "expected an object");
    if (!a.contains("id")) return Fail(at + ".id", "missing");
    const std::string p = at + ".";
    return Field(a, "id", p, 255, &out->id) && Field(a, "flags", p, 0xFFFF, &out->flags) &&
           Field(a, "current", p, 255, &out->current) && Field(a, "worst", p, 255, &out->worst) &&
           Field(a, "raw", p, 0xFFFFFFFFFFFFull, &out->raw) &&
           Field(a, "threshold", p, 255, &out->threshold);
  }

  bool Health(const json& h, const std::string& at, NvmeHealthSpec* out) {
    const std::string p = at + ".";
    const std::uint64_t big = ~0ull;
    return Field(h, "critical_warning", p, 255, &out->criticalWarning) &&
           Field(h, "temperature", p, 0xFFFF, &out->temperature) &&
           Field(h, "available_spare", p, 255, &out->availableSpare) &&
           Field(h, "available_spare_threshold", p, 255, &out->availableSpareThreshold) &&
           Field(h, "percentage_used", p, 255, &out->percentageUsed) &&
           Field(h, "data_units_read", p, big, &out->dataUnitsRead) &&
           Field(h, "data_units_written", p, big, &out->dataUnitsWritten) &&
           Field(h, "host_read_commands", p, big, &out->hostReadCommands) &&
           Field(h, "host_write_commands", p, big, &out->hostWriteCommands) &&
           Field(h, "controller_busy_time", p, big, &out->controllerBusyTime) &&
           Field(h, "power_cycles", p, big, &out->powerCycles) &&
           Field(h, "power_on_hours", p, big, &out->powerOnHours) &&
           Field(h, "unsafe_shutdowns", p, big, &out->unsafeShutdowns) &&
           Field(h, "media_errors", p, big, &out->mediaErrors) &&
           Field(h, "num_err_log_entries", p, big, &out->numErrLogEntries);
  }

  bool Faults(const json& f, const std::string& at, FaultSpec* out) {
    const std::string p = at + ".";
    return Field(f, "hang_ms", p, 600000, &out->hangMs) &&
           CodeList(f, "hang_codes", p, &out->hangCodes) && Bool(f, "not_ready", p, &out->notReady) &&
           Bool(f, "zero_smart", p, &out->zeroSmart) &&
           Bool(f, "check_condition", p, &out->checkCondition) &&
           CodeList(f, "fail_codes", p, &out->failCodes) &&
           OptField(f, "native_buffer_size", p, 0xFFFFFFFFull, &out->nativeBufferSize);
  }

  bool SelfTest(const json& s, const std::string& at, DriveSpec* out) {
    const std::string p = at + ".";
    static const char* const kKeys[] = {"offline_ms", "short_ms", "extended_ms", "conveyance_ms",
                                        "selective_ms"};
    for (int i = 0; i < 5; ++i)
      if (!Field(s, kKeys[i], p, 86400000, &out->selfTestMs[i])) return false;
    return Field(s, "result", p, 15, &out->selfTestResult);
  }

  bool Drive(const json& d, const std::string& at, DriveSpec* out) {
    if (!d.is_object()) return Fail(at, "expected an object");
    const std::string p = at + ".";
    if (!d.contains("number")) return Fail(p + "number", "missing");
    if (!Field(d, "number", p, 99, &out->number)) return false;
    if (auto it = d.find("kind"); it != d.end()) {
      if (!it->is_string() || (*it != "ata" && *it != "nvme"))
        return Fail(p + "kind", "expected \"ata\" or \"nvme\"");
      out->kind = *it == "nvme" ? DriveKind::kNvme : DriveKind::kAta;
    }
    if (out->kind == DriveKind::kNvme) {
      out->bus = 17;
      out->bridge = Bridge::kStorageQuery;
      out->rotation = 1;
    }
    if (!Bus(d, p, &out->bus) || !BridgeName(d, p, &out->bridge)) return false;
    const bool nvmeBridge = out->bridge >= Bridge::kSamsungNvme;
    if (out->bridge != Bridge::kNone && nvmeBridge != (out->kind == DriveKind::kNvme))
      return Fail(p + "bridge", out->kind == DriveKind::kNvme
                                    ? "an NVMe drive needs an NVMe bridge"
                                    : "an ATA drive needs an ATA bridge");
    if (!Field(d, "jmicron_port", p, 2, &out->jmicronPort)) return false;
    if (out->jmicronPort < 1) return Fail(p + "jmicron_port", "expected 1 or 2");
    out->model = "Generic Disk";
    out->serial = "SIM" + std::to_string(out->number);
    out->firmware = "1.0";
    out->sectors = 976773168ull;
    if (!String(d, "model", p, &out->model) || !String(d, "serial", p, &out->serial) ||
        !String(d, "firmware", p, &out->firmware) || !String(d, "vendor", p, &out->vendor) ||
        !Field(d, "sectors", p, 0xFFFFFFFFFFFFull, &out->sectors) ||
        !Field(d, "sector_size", p, 65536, &out->sectorSize) ||
        !Field(d, "rotation", p, 0xFFFF, &out->rotation) ||
        !Bool(d, "removable", p, &out->removable))
      return false;
    if (out->sectorSize < 512 || (out->sectorSize & (out->sectorSize - 1)) != 0)
      return Fail(p + "sector_size", "expected a power of two of at least 512");
    if (out->sectors == 0) return Fail(p + "sectors", "expected at least 1");
    if (auto it = d.find("identify"); it != d.end()) {
      if (!it->is_object()) return Fail(p + "identify", "expected an object of word: value");
      for (const auto& [key, value] : it->items()) {
        char* end = nullptr;
        long word = std::strtol(key.c_str(), &end, 10);
        if (key.empty() || *end != '\0' || word < 0 || word > 255)
          return Fail(p + "identify." + key, "expected a word index 0 to 255");
        std::uint16_t v = 0;
        if (!Unsigned(value, p + "identify." + key, 0xFFFF, &v)) return false;
        out->identify[static_cast<int>(word)] = v;
      }
    }
    if (auto it = d.find("attributes"); it != d.end()) {
      if (!it->is_array()) return Fail(p + "attributes", "expected a list");
      if (it->size() > 30) return Fail(p + "attributes", "at most 30 attributes");
      for (std::size_t i = 0; i < it->size(); ++i) {
        AttributeSpec a;
        if (!Attribute((*it)[i], p + "attributes[" + std::to_string(i) + "]", &a)) return false;
        out->attributes.push_back(a);
      }
    }
    const json* obj = nullptr;
    if (!Object(d, "nvme_health", p, &obj) || (obj && !Health(*obj, p + "nvme_health", &out->health)))
      return false;
    if (!Object(d, "faults", p, &obj) || (obj && !Faults(*obj, p + "faults", &out->faults)))
      return false;
    if (!Object(d, "self_test", p, &obj) || (obj && !SelfTest(*obj, p + "self_test", out)))
      return false;
    if (!Object(d, "activity", p, &obj)) return false;
    if (obj) {
      const std::string a = p + "activity.";
      const std::uint64_t big = 1ull << 40;
      if (!Field(*obj, "read_bytes", a, big, &out->activity.readBytes) ||
          !Field(*obj, "write_bytes", a, big, &out->activity.writeBytes) ||
          !Field(*obj, "reads", a, big, &out->activity.reads) ||
          !Field(*obj, "writes", a, big, &out->activity.writes) ||
          !Field(*obj, "busy_percent", a, 100, &out->activity.busyPercent))
        return false;
    }
    if (!Field(d, "port", p, 255, &out->port) || !Field(d, "path", p, 255, &out->path) ||
        !Field(d, "target", p, 255, &out->target) || !Field(d, "lun", p, 255, &out->lun))
      return false;
    if (out->port < 0) out->port = out->number;
    if (!OptField(d, "native_max", p, 0xFFFFFFFFFFFFull, &out->nativeMax) ||
        !OptField(d, "dco_max", p, 0xFFFFFFFFFFFFull, &out->dcoMax) ||
        !Bool(d, "lba48", p, &out->lba48) || !Bool(d, "hpa", p, &out->hpa) ||
        !Bool(d, "dco", p, &out->dco) || !Bool(d, "smart", p, &out->smartSupported) ||
        !Bool(d, "smart_enabled", p, &out->smartEnabled))
      return false;
    const std::uint64_t userMax = out->sectors - 1;
    if (out->nativeMax && *out->nativeMax < userMax)
      return Fail(p + "native_max", "below the highest user address (sectors - 1)");
    const std::uint64_t nativeMax = out->nativeMax.value_or(userMax);
    if (out->dcoMax && *out->dcoMax < nativeMax)
      return Fail(p + "dco_max", "below the native maximum address");
    return true;
  }

  bool Volume(const json& v, const std::string& at, VolumeSpec* out) {
    if (!v.is_object()) return Fail(at, "expected an object");
    const std::string p = at + ".";
    auto it = v.find("letter");
    if (it == v.end()) return Fail(p + "letter", "missing");
    if (!it->is_string() || it->get<std::string>().size() != 1 ||
        !std::isalpha(static_cast<unsigned char>(it->get<std::string>()[0])))
      return Fail(p + "letter", "expected one letter A to Z");
    out->letter = static_cast<char>(std::toupper(static_cast<unsigned char>(it->get<std::string>()[0])));
    if (auto t = v.find("type"); t != v.end()) {
      static const std::pair<const char*, VolumeType> kTypes[] = {
          {"fixed", VolumeType::kFixed},       {"removable", VolumeType::kRemovable},
          {"optical", VolumeType::kOptical},   {"network", VolumeType::kNetwork},
          {"ramdisk", VolumeType::kRamdisk}};
      bool found = false;
      for (const auto& [n, ty] : kTypes)
        if (t->is_string() && *t == n) {
          out->type = ty;
          found = true;
        }
      if (!found) return Fail(p + "type", "expected fixed, removable, optical, network or ramdisk");
    }
    if (auto d = v.find("disks"); d != v.end()) {
      if (!d->is_array()) return Fail(p + "disks", "expected a list of drive numbers");
      for (std::size_t i = 0; i < d->size(); ++i) {
        int n = 0;
        if (!Unsigned((*d)[i], p + "disks[" + std::to_string(i) + "]", 99, &n)) return false;
        out->disks.push_back(n);
      }
    }
    if (!Field(v, "size", p, ~0ull, &out->size) || !Field(v, "free", p, ~0ull, &out->free) ||
        !Bool(v, "no_media", p, &out->noMedia))
      return false;
    if (out->free > out->size) return Fail(p + "free", "larger than size");
    return true;
  }

  bool Machine(const json& root, MachineSpec* spec) {
    if (!root.is_object()) return Fail("top level", "expected an object");
    if (!Bool(root, "administrator", "", &spec->administrator)) return false;
    if (auto it = root.find("now"); it != root.end()) {
      std::int64_t t = 0;
      if (!Unsigned(*it, "now", 0xFFFFFFFFFFull, &t)) return false;
      spec->now = static_cast<std::time_t>(t);
    }
    if (auto it = root.find("drives"); it != root.end()) {
      if (!it->is_array()) return Fail("drives", "expected a list");
      for (std::size_t i = 0; i < it->size(); ++i) {
        DriveSpec d;
        const std::string at = "drives[" + std::to_string(i) + "]";
        if (!Drive((*it)[i], at, &d)) return false;
        for (const auto& other : spec->drives)
          if (other.number == d.number)
            return Fail(at + ".number", "drive " + std::to_string(d.number) + " appears twice");
        spec->drives.push_back(std::move(d));
      }
    }
    if (auto it = root.find("volumes"); it != root.end()) {
      if (!it->is_array()) return Fail("volumes", "expected a list");
      for (std::size_t i = 0; i < it->size(); ++i) {
        VolumeSpec v;
        const std::string at = "volumes[" + std::to_string(i) + "]";
        if (!Volume((*it)[i], at, &v)) return false;
        for (const auto& other : spec->volumes)
          if (other.letter == v.letter)
            return Fail(at + ".letter", std::string("letter ") + v.letter + " appears twice");
        spec->volumes.push_back(std::move(v));
      }
    }
    return true;
  }
};

}  // namespace

bool ParseMachine(const std::string& text, const std::string& sourceName, MachineSpec* spec,
                  std::string* error) {
  Reader reader{sourceName, {}};
  json root;
  try {
    root = json::parse(text);
  } catch (const json::parse_error& e) {
    if (error) *error = sourceName + ": not a valid machine file (JSON error at byte " +
                        std::to_string(e.byte) + ")";
    return false;
  }
  MachineSpec parsed;
  bool ok = false;
  try {
    ok = reader.Machine(root, &parsed);
  } catch (const json::exception& e) {  // a type the checks above did not foresee
    reader.Fail("machine file", e.what());
  }
  if (!ok) {
    if (error) *error = reader.error;
    return false;
  }
  *spec = std::move(parsed);
  return true;
}

}  // namespace platform::sim
