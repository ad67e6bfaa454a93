// Attribute names by identifier and drive family.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/smart_info.h"
#include "naming/attribute_naming.h"
#include "naming/attribute_tables.h"
#include "naming/drive_families.h"
#include "naming/nvme_names.h"
#include "strings/string_table.h"
#include "test_support.h"

namespace {

using namespace hwscope::strings;
using hwscope::naming::AttributeKeyFor;
using hwscope::naming::PatternGroup;

// The model field as a drive reports it: 40 characters, blank padded.
std::wstring Padded(const std::wstring& model) {
  std::wstring m = model;
  m.resize(40, L' ');
  return m;
}

struct NameCase {
  std::wstring model;
  int id;
  int key;
};

TEST(AttributeNaming, FamiliesAndVendorsRenameIdentifiers) {
  const NameCase cases[] = {
      // No family: the base table.
      {Padded(L"ST1000DM003-1CH162"), 194, SMART_ATTR_TEMPERATURE},
      {Padded(L"ST1000DM003-1CH162"), 14, SMART_ATTR_UNKNOWN_ATTRIBUTE},
      {Padded(L"ST1000DM003-1CH162"), 219, SMART_ATTR_UNKNOWN_ATTRIBUTE},
      {Padded(L"ST1000DM003-1CH162"), 255, SMART_ATTR_UNKNOWN_ATTRIBUTE},
      {Padded(L"ST1000DM003-1CH162"), -1, SMART_ATTR_UNKNOWN_ATTRIBUTE},
      {Padded(L"ST1000DM003-1CH162"), 0, SMART_ATTR_INVALID_ID},
      // SandForce group.
      {Padded(L"OCZ-VERTEX3"), 233, SMART_ATTR_SANDFORCE_INTERNAL},
      {Padded(L"OCZ-VERTEX3"), 9, SMART_ATTR_POWER_ON_TIME},
      // Indilinx group with and without the host-gigabyte test.
      {L"OCZ-VECTOR", 198, SMART_ATTR_HOST_READS_GB},
      {L"OCZ-VECTOR", 199, SMART_ATTR_HOST_WRITES_GB},
      {L"OCZ-VECTOR", 210, SMART_ATTR_SATA_ERROR_COUNT_CRC},
      {Padded(L"Patriot Torqx"), 198, SMART_ATTR_TOTAL_COUNT_OF_READ_SECTORS},
      {Padded(L"Patriot Torqx"), 210, SMART_ATTR_INDILINX_INTERNAL},
      // Indilinx group, then the Crucial/Micron rule (case-insensitive prefix).
      {L"CRUCIAL_CT128M225", 184, SMART_ATTR_ERROR_CORRECTION_COUNT},
      {L"CRUCIAL_CT128M225", 171, SMART_ATTR_PROGRAM_FAIL_COUNT},
      // KINGSTON alone is an alternative of the third pattern: no vendor rule.
      {Padded(L"KINGSTON SA400S37240G"), 170, SMART_ATTR_BAD_BLOCK_COUNT},
      {Padded(L"KINGSTON MTFD"), 184, SMART_ATTR_END_TO_END_ERROR},
      // Vendors.
      {Padded(L"Samsung SSD 840 PRO Series"), 177, SMART_ATTR_WEAR_LEVELING_COUNT},
      {Padded(L"Samsung SSD 840 PRO Series"), 190, SMART_ATTR_AIR_FLOW_TEMPERATURE},
      {Padded(L"OCZ SUMMIT"), 190, SMART_ATTR_AIR_FLOW_TEMPERATURE},
      {Padded(L"Micron_M500DC_MTFDDAK800MBB"), 202, SMART_ATTR_PERCENTAGE_LIFETIME_REMAINING},
      {Padded(L"Crucial_CT256MX100SSD1"), 202, SMART_ATTR_PERCENTAGE_LIFETIME_USED},
      {Padded(L"XYZ MTFDDAK256"), 202, SMART_ATTR_PERCENTAGE_LIFETIME_USED},
      {Padded(L"XYZ mtfddak256"), 202, SMART_ATTR_DATA_ADDRESS_MARK_ERRORS},
      {Padded(L"INTEL SSDSC2BB240G4"), 233, SMART_ATTR_MEDIA_WEAROUT_INDICATOR},
      {Padded(L"INTEL SSDSC2BB240G4"), 190, SMART_ATTR_CASE_TEMP_DIFFERENCE_FROM_100},
      {Padded(L"intel ssd"), 233, SMART_ATTR_MEDIA_WEAROUT_INDICATOR},
      // AGILITY$ needs the field to end after the word: padding breaks it.
      {Padded(L"OCZ-AGILITY"), 184, SMART_ATTR_END_TO_END_ERROR},
      {L"OCZ-AGILITY", 184, SMART_ATTR_INITIAL_BAD_BLOCK_COUNT},
  };
  for (const NameCase& c : cases) {
    SCOPED_TRACE(testing::Message() << std::string(c.model.begin(), c.model.end()) << " / "
                                    << c.id);
    EXPECT_EQ(AttributeKeyFor(c.model, c.id), c.key);
  }
}

TEST(AttributeNaming, PatternGroups) {
  using hwscope::naming::MatchPatternGroup;
  EXPECT_EQ(MatchPatternGroup(L"OCZ-VERTEX3"), PatternGroup::kSandForce);
  EXPECT_EQ(MatchPatternGroup(L"OCZ-VERTEX"), PatternGroup::kIndilinx);
  EXPECT_EQ(MatchPatternGroup(L"OCZ-VERTEX450"), PatternGroup::kIndilinx);
  EXPECT_EQ(MatchPatternGroup(Padded(L"OCZ-VERTEX450")), PatternGroup::kNone);
  EXPECT_EQ(MatchPatternGroup(L"Corsair CSSD-V60GB2"), PatternGroup::kIndilinx);
  EXPECT_EQ(MatchPatternGroup(Padded(L"ADATA SP900")), PatternGroup::kSandForce);
  EXPECT_EQ(MatchPatternGroup(Padded(L"TS128GSSD720")), PatternGroup::kSandForce);
  EXPECT_EQ(MatchPatternGroup(Padded(L"TS64GSSD340")), PatternGroup::kThird);
  EXPECT_EQ(MatchPatternGroup(Padded(L"TOSHIBA THNSNH128GBST")), PatternGroup::kThird);
  EXPECT_EQ(MatchPatternGroup(Padded(L"Kingston SV100S2")), PatternGroup::kThird);
  EXPECT_EQ(MatchPatternGroup(Padded(L"Kingston SHFS37A240G")), PatternGroup::kSandForce);
  EXPECT_EQ(MatchPatternGroup(Padded(L"ocz-vertex3")), PatternGroup::kNone);  // case-sensitive
  EXPECT_EQ(MatchPatternGroup(Padded(L"WDC WD10EZEX-08WN4A0")), PatternGroup::kNone);
}

TEST(AttributeNaming, TableSizes) {
  using namespace hwscope::naming;
  EXPECT_EQ(kBaseTable.size, 88u);
  EXPECT_EQ(kIndilinxTable.size, 28u);
  EXPECT_EQ(kSandForceTable.size, 22u);
  EXPECT_EQ(kThirdGroupTable.size, 11u);
  EXPECT_EQ(kIntelTable.size, 19u);
  EXPECT_EQ(kSamsungTable.size, 18u);
  EXPECT_EQ(kCrucialMicronTable.size, 23u);
}

TEST(AttributeNaming, StatusAndBufferRules) {
  const std::wstring temperature = TextCopy(SMART_ATTR_TEMPERATURE);
  const std::wstring unknown = TextCopy(SMART_ATTR_UNKNOWN_ATTRIBUTE);
  ASSERT_FALSE(temperature.empty());
  ASSERT_NE(temperature, unknown);
  wchar_t buf[128];
  unsigned len = static_cast<unsigned>(temperature.size());
  std::wcscpy(buf, L"keep");
  EXPECT_EQ(hwscope::naming::NameAttribute(L"X", 194, buf, &len), HWSCOPE_E_BUFFER);
  EXPECT_EQ(len, temperature.size());
  EXPECT_STREQ(buf, L"keep");
  len = static_cast<unsigned>(temperature.size()) + 1;
  EXPECT_EQ(hwscope::naming::NameAttribute(L"X", 194, buf, &len), 0);
  EXPECT_EQ(std::wstring(buf), temperature);
  EXPECT_EQ(len, temperature.size());

  len = 128;
  EXPECT_EQ(hwscope::naming::NameAttribute(L"X", 0, buf, &len), HWSCOPE_E_ATTRIBUTE_NOT_FOUND);
  EXPECT_EQ(std::wstring(buf), TextCopy(SMART_ATTR_INVALID_ID));
  len = 128;
  EXPECT_EQ(hwscope::naming::NameAttribute(L"X", 14, buf, &len), HWSCOPE_E_UNKNOWN_ATTRIBUTE);
  EXPECT_EQ(std::wstring(buf), unknown);
  EXPECT_EQ(hwscope::naming::NameAttribute(L"X", 14, nullptr, &len), HWSCOPE_E_BUFFER);
}

TEST(AttributeNaming, EngineNamesFromTheStoredModel) {
  enginetest::InstallBareSystem();
  hwscope::CSMARTInfo engine;
  std::uint8_t* model = engine.devices[2].identify + 54;
  std::memset(model, ' ', 40);
  std::memcpy(model, "INTEL SSDSC2BB240G4", 19);
  wchar_t name[128];
  unsigned len = 128;
  EXPECT_EQ(engine.GetAttrDescByID(name, &len, 233, 2), 0);
  EXPECT_EQ(std::wstring(name), TextCopy(SMART_ATTR_MEDIA_WEAROUT_INDICATOR));
  len = 128;
  EXPECT_EQ(engine.GetAttrDescByID(name, &len, 194, 100), 0);  // no model: base table
  platform::SetCurrentForTesting(nullptr);
}

TEST(NvmeNaming, PositionsAndUnknown) {
  wchar_t name[128];
  unsigned len = 128;
  EXPECT_EQ(hwscope::NvmeAttributeName(11, name, &len), 0);
  EXPECT_EQ(std::wstring(name), TextCopy(SMART_ATTR_POWER_ON_TIME));
  len = 128;
  EXPECT_EQ(hwscope::NvmeAttributeName(15, name, &len), HWSCOPE_E_UNKNOWN_ATTRIBUTE);
  EXPECT_EQ(std::wstring(name), TextCopy(SMART_ATTR_UNKNOWN_ATTRIBUTE));
  len = 2;
  EXPECT_EQ(hwscope::NvmeAttributeName(1, name, &len), HWSCOPE_E_BUFFER);
}

}  // namespace
