// Decoding SMART data into attribute records and the attribute queries.
#include <gtest/gtest.h>

#include <cstring>

#include "engine/smart_info.h"
#include "strings/string_table.h"
#include "test_support.h"

namespace {

using hwscope::CSMARTInfo;
namespace keys = hwscope::strings;

class AttributeTest : public ::testing::Test {
 protected:
  void SetUp() override {
    enginetest::InstallBareSystem();
    engine_ = std::make_unique<CSMARTInfo>();
  }
  void TearDown() override { platform::SetCurrentForTesting(nullptr); }

  // A hard disk on device 0 (row 2), decoded from the captured buffers.
  void DecodeHdd() {
    enginetest::AttachDevice(*engine_, 0, 2);
    engine_->FormatIdInfo(enginetest::LoadFixture("hdd_identify.bin").data(), 0, 2);
    const auto smart = enginetest::LoadFixture("hdd_smart.bin");
    const auto thresholds = enginetest::LoadFixture("hdd_thresholds.bin");
    ASSERT_TRUE(engine_->FormatAttributeData(smart.data(), thresholds.data(), 0, 0));
  }
  // An NVMe drive on device 6 (row 27), decoded from the captured log page.
  void DecodeNvme() {
    enginetest::AttachDevice(*engine_, 6, 27, 17, hwscope::kBridgeStorageQuery);
    engine_->FormatNVMeIdInfo(enginetest::LoadFixture("nvme_identify.bin").data(), 6, 27);
    ASSERT_TRUE(
        engine_->FormatNVMEAttributeData(enginetest::LoadFixture("nvme_health.bin").data(), 6, 0));
  }
  int Value(int attrId, int selector, int device) {
    std::int32_t v = -1;
    int len = 4;
    const int r = engine_->GetSmartAttributeByID(&v, &len, attrId, selector, device);
    return r == 0 ? v : r;
  }

  std::unique_ptr<CSMARTInfo> engine_;
};

TEST_F(AttributeTest, AtaEntriesBecomeRecordsSkippingEmptySlots) {
  DecodeHdd();
  const hwscope::DeviceState& dev = engine_->devices[0];
  EXPECT_EQ(dev.smartRevision, 0x10);
  EXPECT_EQ(dev.thresholdRevision, 0x10);
  ASSERT_EQ(dev.attributeCount, 6);
  EXPECT_EQ(engine_->GetNumSmartAttr(0), 6);
  const int ids[] = {0x01, 0x03, 0x05, 0x09, 0xC2, 0xC5};
  for (int k = 0; k < 6; ++k) {
    EXPECT_EQ(dev.attributes[k].Id(), ids[k]);
    EXPECT_EQ(dev.attributes[k].nvme, 0u);
  }
  EXPECT_EQ(dev.attributes[6].Id(), 0);
  EXPECT_EQ(dev.attributes[3].Raw48(), 0x123456789ABCull);
  EXPECT_EQ(dev.attributes[4].Flags(), 0x0002);
  EXPECT_EQ(std::wstring(dev.attributes[4].name), keys::TextCopy(keys::SMART_ATTR_TEMPERATURE));
  EXPECT_EQ(dev.attributeList.size(), 6u);
  // Self-test status bytes 362..376 of the data sector.
  EXPECT_EQ(dev.selfTestStatus[0], 0x82);
  EXPECT_EQ(dev.selfTestStatus[1], 0xF9);
  EXPECT_EQ(dev.selfTestStatus[5], 0x7B);
}

TEST_F(AttributeTest, ThresholdsArePairedByPosition) {
  DecodeHdd();
  // Entry 5 holds attribute 0xC2; the threshold entry 5 says 0xBE.
  const hwscope::AttributeRecord& r = engine_->devices[0].attributes[4];
  EXPECT_EQ(r.Id(), 0xC2);
  EXPECT_EQ(r.threshold[0], 0xBE);
  EXPECT_EQ(Value(0x03, HWSCOPE_VALUE_THRESHOLD, 0), 24);
}

TEST_F(AttributeTest, SelectorsOnAtaRecords) {
  DecodeHdd();
  EXPECT_EQ(Value(0x03, HWSCOPE_VALUE_CURRENT, 0), 133);
  EXPECT_EQ(Value(0xC2, HWSCOPE_VALUE_WORST, 0), 160);
  EXPECT_EQ(Value(0xC5, HWSCOPE_VALUE_EXCEEDED, 0), 1);  // threshold 5 >= current 5
  EXPECT_EQ(Value(0x05, HWSCOPE_VALUE_EXCEEDED, 0), 0);
  EXPECT_EQ(Value(0x09, HWSCOPE_VALUE_EXCEEDED, 0), 0);  // threshold 0 never exceeds
  EXPECT_EQ(Value(0x09, HWSCOPE_VALUE_IS_NVME, 0), 0);
  EXPECT_EQ(Value(0x07, HWSCOPE_VALUE_CURRENT, 0), HWSCOPE_E_ATTRIBUTE_NOT_FOUND);
  EXPECT_EQ(Value(0x03, 16, 0), HWSCOPE_E_ATTRIBUTE_NOT_FOUND);  // unknown selector
  EXPECT_EQ(Value(0x03, HWSCOPE_VALUE_CURRENT, 1), HWSCOPE_E_BAD_DEVICE);
}

TEST_F(AttributeTest, RawSelectorWritesSixBytesOnAta) {
  DecodeHdd();
  std::uint8_t out[8];
  std::memset(out, 0xEE, sizeof out);
  int len = 8;
  ASSERT_EQ(engine_->GetSmartAttributeByID(out, &len, 0x09, HWSCOPE_VALUE_RAW, 0), 0);
  std::uint32_t low;
  std::uint16_t high;
  std::memcpy(&low, out, 4);
  std::memcpy(&high, out + 4, 2);
  EXPECT_EQ(low, 0x56789ABCu);
  EXPECT_EQ(high, 0x1234);
  EXPECT_EQ(out[6], 0xEE);
  EXPECT_EQ(out[7], 0xEE);
}

TEST_F(AttributeTest, NameSelectorNeedsRoomForTheTerminator) {
  DecodeHdd();
  const std::wstring name = keys::TextCopy(keys::SMART_ATTR_TEMPERATURE);
  ASSERT_FALSE(name.empty());
  wchar_t buf[128];
  int len = static_cast<int>(name.size());
  EXPECT_EQ(engine_->GetSmartAttributeByID(buf, &len, 0xC2, HWSCOPE_VALUE_NAME, 0),
            HWSCOPE_E_BUFFER);
  len = static_cast<int>(name.size()) + 1;
  EXPECT_EQ(engine_->GetSmartAttributeByID(buf, &len, 0xC2, HWSCOPE_VALUE_NAME, 0), 0);
  EXPECT_EQ(std::wstring(buf), name);
  EXPECT_EQ(len, static_cast<int>(name.size()));
}

TEST_F(AttributeTest, IterationReturnsIdentifiersThenEnd) {
  DecodeHdd();
  std::vector<int> seen;
  for (int id = engine_->GetSmartAttributeIDFirst(0); id >= 0;
       id = engine_->GetSmartAttributeIDNext(0))
    seen.push_back(id);
  EXPECT_EQ(seen, (std::vector<int>{0x01, 0x03, 0x05, 0x09, 0xC2, 0xC5}));
  EXPECT_EQ(engine_->GetSmartAttributeIDNext(0), HWSCOPE_E_ATTRIBUTES_END);
  EXPECT_EQ(engine_->GetSmartAttributeIDFirst(100), HWSCOPE_E_BAD_DEVICE);
}

TEST_F(AttributeTest, IterationOnAnEmptyListAndNextBeforeFirst) {
  enginetest::AttachDevice(*engine_, 0, 2);
  EXPECT_EQ(engine_->GetSmartAttributeIDFirst(0), HWSCOPE_E_NO_ATTRIBUTES);
  DecodeHdd();
  EXPECT_EQ(engine_->GetSmartAttributeIDNext(0), HWSCOPE_E_ATTRIBUTES_END);
}

TEST_F(AttributeTest, RefreshUpdatesTheTableButNotTheList) {
  DecodeHdd();
  auto smart = enginetest::LoadFixture("hdd_smart.bin");
  const auto thresholds = enginetest::LoadFixture("hdd_thresholds.bin");
  smart[2 + 3] = 77;  // attribute 1, current value
  ASSERT_TRUE(engine_->FormatAttributeData(smart.data(), thresholds.data(), 0, 1));
  EXPECT_EQ(Value(0x01, HWSCOPE_VALUE_CURRENT, 0), 77);
  EXPECT_EQ(engine_->devices[0].attributeList.size(), 6u);
  EXPECT_EQ(engine_->devices[0].attributeList.front().Current(), 100);
}

TEST_F(AttributeTest, AllZeroValuesLeaveTheTableAsItWas) {
  DecodeHdd();
  std::vector<std::uint8_t> smart(512, 0), thresholds(512, 0);
  smart[2] = 0x05;  // one attribute, current value 0
  EXPECT_FALSE(engine_->FormatAttributeData(smart.data(), thresholds.data(), 0, 1));
  EXPECT_EQ(engine_->devices[0].attributeCount, 1);
  EXPECT_EQ(engine_->devices[0].attributes[2].Id(), 0x05);  // old table kept
  std::vector<std::uint8_t> empty(512, 0);
  EXPECT_FALSE(engine_->FormatAttributeData(empty.data(), thresholds.data(), 0, 1));
  EXPECT_EQ(engine_->devices[0].attributeCount, 0);
  EXPECT_FALSE(engine_->FormatAttributeData(empty.data(), thresholds.data(), 100, 0));
  EXPECT_FALSE(engine_->FormatAttributeData(nullptr, thresholds.data(), 0, 0));
}

TEST_F(AttributeTest, NvmeHealthLogBecomesFifteenRecords) {
  DecodeNvme();
  const hwscope::DeviceState& dev = engine_->devices[6];
  EXPECT_EQ(dev.attributeCount, 15);
  EXPECT_EQ(dev.smartRevision, 0);
  EXPECT_EQ(dev.attributeList.size(), 15u);
  // 16-byte counter above 2^64: all 16 bytes kept, selector 2 gives the low 64 bits.
  const hwscope::AttributeRecord& unitsRead = dev.attributes[5];
  EXPECT_EQ(unitsRead.value[8], 1);
  std::uint64_t low = 0;
  int len = 8;
  ASSERT_EQ(engine_->GetSmartAttributeByID(&low, &len, 5, HWSCOPE_VALUE_RAW, 6), 0);
  EXPECT_EQ(low, 0x0123456789ABCDEFull);
  // Composite temperature 0x0143 = 323 K.
  std::uint64_t kelvin = 0;
  ASSERT_EQ(engine_->GetSmartAttributeByID(&kelvin, &len, 1, HWSCOPE_VALUE_RAW, 6), 0);
  EXPECT_EQ(kelvin, 323u);
  EXPECT_EQ(Value(1, HWSCOPE_VALUE_EXCEEDED, 6), 0);
  EXPECT_EQ(Value(1, HWSCOPE_VALUE_CURRENT, 6), 0);
  EXPECT_EQ(Value(0, HWSCOPE_VALUE_IS_NVME, 6), 1);
  EXPECT_EQ(Value(15, HWSCOPE_VALUE_IS_NVME, 6), HWSCOPE_E_ATTRIBUTE_NOT_FOUND);
  EXPECT_EQ(std::wstring(dev.attributes[1].name), keys::TextCopy(keys::SMART_ATTR_TEMPERATURE));
  EXPECT_EQ(std::wstring(dev.attributes[14].name),
            keys::TextCopy(keys::SMART_ATTR_NUM_ERR_LOG_ENTRIES));
}

TEST_F(AttributeTest, NvmeIterationReturnsPositions) {
  DecodeNvme();
  std::vector<int> seen;
  for (int id = engine_->GetSmartAttributeIDFirst(6); id >= 0;
       id = engine_->GetSmartAttributeIDNext(6))
    seen.push_back(id);
  ASSERT_EQ(seen.size(), 15u);
  for (int i = 0; i < 15; ++i) EXPECT_EQ(seen[i], i);
}

}  // namespace
