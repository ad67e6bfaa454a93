// libhwscope.so exports exactly the 51 functions of hwscope.h.
//
// Rule: every symbol that the shared object defines in its dynamic symbol
// table counts, whatever its binding (global, weak or unique) and whatever
// namespace it demangles to, standard-library template instantiations
// included: the library has no business exporting those either. The only
// symbols not counted are the ones the linker itself defines for every
// shared object (_init, _fini, _edata, _end, __bss_start); none of them is
// code or data of the library.
#include <gtest/gtest.h>

#include <cstdio>
#include <set>
#include <sstream>
#include <string>

namespace {

const std::set<std::string> kExports = {
    "HwscopeDll_Cleanup",
    "HwscopeDll_GetLastErrorString",
    "HwscopeDll_GetVersion",
    "HwscopeDll_Smart_Cleanup",
    "HwscopeDll_Smart_EstimateTEC",
    "HwscopeDll_Smart_EstimateTECByAttributeID",
    "HwscopeDll_Smart_ExecuteSelfTest",
    "HwscopeDll_Smart_ExportReport",
    "HwscopeDll_Smart_ExportTECData",
    "HwscopeDll_Smart_GetAttrDescByID",
    "HwscopeDll_Smart_GetDCOMaxLBA",
    "HwscopeDll_Smart_GetDeviceCapacity",
    "HwscopeDll_Smart_GetDeviceFirmWareRev",
    "HwscopeDll_Smart_GetDeviceIDFromDriveNum",
    "HwscopeDll_Smart_GetDeviceInfo",
    "HwscopeDll_Smart_GetDeviceInterface",
    "HwscopeDll_Smart_GetDeviceModelNumber",
    "HwscopeDll_Smart_GetDevicePartitionInfo",
    "HwscopeDll_Smart_GetDeviceSerialNumber",
    "HwscopeDll_Smart_GetDriveLetterFromDriveNum",
    "HwscopeDll_Smart_GetMax28bitLBA",
    "HwscopeDll_Smart_GetMaxLBA",
    "HwscopeDll_Smart_GetNumDetectedDrives",
    "HwscopeDll_Smart_GetNumSmartAttr",
    "HwscopeDll_Smart_GetNumSmartDevices",
    "HwscopeDll_Smart_GetPhysicalDeviceIDFirst",
    "HwscopeDll_Smart_GetPhysicalDeviceIDNext",
    "HwscopeDll_Smart_GetSelfTestStatus",
    "HwscopeDll_Smart_GetSmartAttributeByID",
    "HwscopeDll_Smart_GetSmartAttributeIDFirst",
    "HwscopeDll_Smart_GetSmartAttributeIDNext",
    "HwscopeDll_Smart_GetSmartDeviceIDFirst",
    "HwscopeDll_Smart_GetSmartDeviceIDNext",
    "HwscopeDll_Smart_GetTECDataAtIndex",
    "HwscopeDll_Smart_GetTECDataSetCount",
    "HwscopeDll_Smart_GetVolumeCapacity",
    "HwscopeDll_Smart_Init",
    "HwscopeDll_Smart_IsValidSmartDevice",
    "HwscopeDll_Smart_ReadSectors",
    "HwscopeDll_Smart_RecordTECData",
    "HwscopeDll_Smart_Refresh",
    "HwscopeDll_Smart_RefreshSmartAttributes",
    "HwscopeDll_Smart_RestoreDCO",
    "HwscopeDll_Smart_SetDCOMaxLBA",
    "HwscopeDll_Smart_SetInitTimeout",
    "HwscopeDll_Smart_SetMaxLBA",
    "HwscopeDll_StartLogging",
    "HwscopeDll_StartLoggingExisting",
    "HwscopeDll_StopLogging",
    "Hwscope_TurnDebugMessageBoxesOff",
    "Hwscope_TurnDebugMessageBoxesOn",
};

const std::set<std::string> kLinkerDefined = {"_init", "_fini", "_edata", "_end", "__bss_start"};

struct Symbol {
  std::string type;
  std::string name;
};

// `nm -D --defined-only` of the shared object: "address type name" lines.
std::vector<Symbol> DynamicSymbols(const std::string& path, bool* ok) {
  std::vector<Symbol> symbols;
  const std::string command = "nm -D --defined-only '" + path + "' 2>&1";
  std::FILE* pipe = popen(command.c_str(), "r");
  *ok = pipe != nullptr;
  if (!pipe) return symbols;
  char line[4096];
  while (std::fgets(line, sizeof line, pipe)) {
    std::istringstream fields(line);
    std::string address, type, name;
    if (fields >> address >> type >> name) symbols.push_back({type, name});
  }
  *ok = pclose(pipe) == 0;
  return symbols;
}

TEST(ExportedSymbols, ExactlyTheFiftyOneFunctions) {
  ASSERT_EQ(kExports.size(), 51u);
  bool ok = false;
  const auto symbols = DynamicSymbols(HWSCOPE_SHARED_OBJECT, &ok);
  ASSERT_TRUE(ok) << "nm failed on " << HWSCOPE_SHARED_OBJECT;
  std::set<std::string> found;
  for (const Symbol& s : symbols) {
    if (kLinkerDefined.count(s.name)) continue;
    EXPECT_TRUE(kExports.count(s.name)) << "unexpected export " << s.type << " " << s.name;
    if (kExports.count(s.name)) {
      EXPECT_EQ(s.type, "T") << s.name << " is not a global function";
      found.insert(s.name);
    }
  }
  for (const std::string& name : kExports) EXPECT_TRUE(found.count(name)) << "missing " << name;
}

}  // namespace
