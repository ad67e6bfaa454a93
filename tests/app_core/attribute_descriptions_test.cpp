// The description file reader, and the shipped SMARTdesc.csv against the
// library's attribute names.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>

#include "common/text.h"
#include "core/attribute_descriptions.h"
#include "test_support.h"

namespace {

using appcore::AttributeDescriptions;
using appcore::FindAttributeDescription;

class DescriptionsTest : public ::testing::Test {
 protected:
  void SetUp() override { AttributeDescriptions().clear(); }
  void TearDown() override { AttributeDescriptions().clear(); }
  bool Load(const std::string& content) {
    apptest::WriteFile(dir.File("desc.csv"), content);
    return appcore::LoadAttributeDescriptions(dir.File("desc.csv"));
  }
  apptest::TempDir dir;
};

TEST_F(DescriptionsTest, QuotedFieldsAndSkippedLines) {
  ASSERT_TRUE(Load(
      "ID,Name,Trend,Description\r\n"
      "9,Power-On Hours,0,\"Hours powered on, in total\"\r\n"
      "5,Reallocated Sector Count,1,\"Said \"\"bad\"\" sectors\",extra,columns\r\n"
      "0,Zero,0,skipped\n"
      "256,Too Big,0,skipped\n"
      "7,Too few fields\n"
      "x9,Not a number,0,skipped\n"
      "  12 apples,Power Cycle Count,-1,\"multi\nline\"\n"
      "9,Controller Busy Time,0,other name for 9\n"
      "197,Pending,2,\"quoted\"tail,x\n"));
  const auto& r = AttributeDescriptions();
  ASSERT_EQ(r.size(), 5u);
  EXPECT_EQ(r[0].id, 9);
  EXPECT_EQ(r[0].rawTrend, 0);
  EXPECT_EQ(r[0].name, L"Power-On Hours");
  EXPECT_EQ(r[0].description, L"Hours powered on, in total");
  EXPECT_EQ(r[1].description, L"Said \"bad\" sectors");
  EXPECT_EQ(r[1].rawTrend, 1);
  EXPECT_EQ(r[2].id, 12);
  EXPECT_EQ(r[2].rawTrend, -1);
  EXPECT_EQ(r[2].description, L"multi\nline");
  EXPECT_EQ(r[4].description, L"quotedtail");

  EXPECT_EQ(FindAttributeDescription(9, L"power-on HOURS"), 0);
  EXPECT_EQ(FindAttributeDescription(9, L"Controller Busy Time"), 3);
  EXPECT_EQ(FindAttributeDescription(9, L"Reallocated Sector Count"), -1);
  EXPECT_EQ(FindAttributeDescription(5 + 256, L"Reallocated Sector Count"), 1);
}

TEST_F(DescriptionsTest, BrokenFilesNeverCrash) {
  EXPECT_FALSE(appcore::LoadAttributeDescriptions(dir.File("missing.csv")));
  EXPECT_TRUE(AttributeDescriptions().empty());
  // An unterminated quote runs to the end of the file.
  EXPECT_TRUE(Load("1,Name,0,\"never closed\n2,x,0,y\n"));
  ASSERT_EQ(AttributeDescriptions().size(), 1u);
  EXPECT_EQ(AttributeDescriptions()[0].description, L"never closed\n2,x,0,y\n");
  // Binary garbage loads without harm.
  std::string garbage;
  for (int i = 0; i < 20000; ++i) garbage += static_cast<char>((i * 7919) % 256);
  EXPECT_TRUE(Load(garbage));
  // An over-long line is cut into pieces; the next line still loads.
  AttributeDescriptions().clear();
  EXPECT_TRUE(Load(std::string(10000, 'a') + "\n3,Three,0,ok\n"));
  ASSERT_EQ(AttributeDescriptions().size(), 1u);
  EXPECT_EQ(FindAttributeDescription(3, L"Three"), 0);
}

// Every attribute name the library can give has a line in the shipped file.
TEST(ShippedDescriptions, CoverEveryLibraryAttributeName) {
  AttributeDescriptions().clear();
  ASSERT_TRUE(appcore::LoadAttributeDescriptions(SW_RESOURCES_DIR "/SMARTdesc.csv"));
  std::ifstream in(SW_RESOURCES_DIR "/Hwscope_localization.txt");
  ASSERT_TRUE(in.good());
  std::regex entry("^(?:\xEF\xBB\xBF)?SMART_ATTR_(\\w+),\"(.*)\",");
  std::string line;
  int names = 0;
  while (std::getline(in, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    std::smatch m;
    if (!std::regex_search(line, m, entry)) continue;
    std::string key = m[1];
    // Identifier 0, an unnamed attribute and the NVMe health value at
    // position 0 cannot be carried by an identifier of 1 to 255.
    if (key == "INVALID_ID" || key == "UNKNOWN_ATTRIBUTE" || key == "CRITICAL_WARNING")
      continue;
    ++names;
    std::wstring name = common::FromUtf8(m[2]);
    bool found = false;
    for (const auto& r : AttributeDescriptions())
      if (r.name == name && !r.description.empty()) found = true;
    EXPECT_TRUE(found) << "no description for " << m[2];
  }
  EXPECT_GT(names, 100);
  EXPECT_GE(FindAttributeDescription(194, L"Temperature"), 0);
  EXPECT_GE(FindAttributeDescription(190, L"Temperature"), 0);
  EXPECT_GE(FindAttributeDescription(5, L"Reallocated Sector Count"), 0);
  AttributeDescriptions().clear();
}

}  // namespace
