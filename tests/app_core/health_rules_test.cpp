// The health rules against machines described in the test.
#include <gtest/gtest.h>

#include "core/app_config.h"
#include "core/health_check.h"
#include "core/texts.h"
#include "fake_source.h"
#include "test_support.h"

namespace {

using apptest::FakeAttribute;
using apptest::FakeDevice;
using apptest::FakeSource;

FakeAttribute Ata(int id, int current, int threshold, unsigned long long raw = 0,
                  const wchar_t* name = L"Attribute") {
  FakeAttribute a;
  a.id = id;
  a.current = current;
  a.threshold = threshold;
  a.raw = raw;
  a.name = name;
  return a;
}

FakeAttribute Nvme(unsigned long long raw, const wchar_t* name = L"Temperature") {
  FakeAttribute a;
  a.nvme = true;
  a.raw = raw;
  a.name = name;
  return a;
}

class HealthTest : public ::testing::Test {
 protected:
  void SetUp() override {
    apptest::LoadStrings();
    appcore::SetConfigDefaults(&config);
    config.tecAction = 1;
  }
  appcore::AppConfig config;
  FakeSource source;
  apptest::RecordingSink sink;
};

struct RuleCase {
  const char* what;
  std::vector<FakeAttribute> attributes;  // device 0; the first is checked
  std::wstring model;
  unsigned unit;  // 0 Celsius, 1 Fahrenheit
  float warnC;
  int expected;        // CheckSMARTAttribute result
  bool trayWarning;    // UpdateTrayStatus icon
  bool statusProblem;  // GetDeviceStatusText
};

TEST_F(HealthTest, RuleTable) {
  const RuleCase cases[] = {
      {"attr 5 at threshold", {Ata(5, 36, 36)}, L"DISK", 0, 60, 1, true, true},
      {"attr 5 above threshold", {Ata(5, 37, 36)}, L"DISK", 0, 60, 0, false, false},
      {"threshold 0 is not monitored", {Ata(5, 1, 0)}, L"DISK", 0, 60, 0, false, false},
      {"194 45C at level 45", {Ata(194, 100, 0, 0x00000023002Dull)}, L"DISK", 0, 45.0f, 1, true,
       true},
      {"194 45C under 45.5: tray no, check yes",
       {Ata(194, 100, 0, 0x00000023002Dull)}, L"DISK", 0, 45.5f, 1, false, false},
      {"194 44C under 45", {Ata(194, 100, 0, 44)}, L"DISK", 0, 45.0f, 0, false, false},
      {"Fahrenheit 45C is 113 against 113", {Ata(194, 100, 0, 45)}, L"DISK", 1, 45.0f, 1, true,
       true},
      {"190 non-Intel 62 -> 38C", {Ata(190, 62, 0)}, L"WDC WD10", 0, 39.0f, 0, false, false},
      {"190 non-Intel 62 -> 38C at 38", {Ata(190, 62, 0)}, L"WDC WD10", 0, 38.0f, 1, true, true},
      {"190 INTEL 62 -> 62C", {Ata(190, 62, 0)}, L"INTEL SSDSC2", 0, 62.0f, 1, true, true},
      {"190 intel 62 under 63", {Ata(190, 62, 0)}, L"intel ssd", 0, 63.0f, 0, false, false},
      {"NVMe 318K is 45C", {Nvme(0, L"Critical Warning"), Nvme(318)}, L"NVME", 0, 45.0f, 1, true,
       true},
      {"NVMe 318K under 46", {Nvme(0, L"Critical Warning"), Nvme(318)}, L"NVME", 0, 46.0f, 0,
       false, false},
  };
  for (const RuleCase& c : cases) {
    FakeSource machine;
    FakeDevice device;
    device.model = c.model;
    device.attributes = c.attributes;
    machine.devices[0] = device;
    appcore::AppConfig cfg = config;
    cfg.temperatureUnit = c.unit;
    cfg.warnLevelC = c.warnC;
    cfg.warnLevelF = appcore::CelsiusToFahrenheit(c.warnC);
    appcore::HealthMonitor monitor(machine, cfg);
    int result = 0;
    for (int id : machine.AttributeIds(0)) result |= monitor.CheckSMARTAttribute(0, id);
    EXPECT_EQ(result, c.expected) << c.what;
    EXPECT_EQ(monitor.UpdateTrayStatus().warning, c.trayWarning) << c.what;
    monitor.GetDeviceStatusText(0);
    EXPECT_EQ(monitor.DeviceProblem(0), c.statusProblem) << c.what;
  }
}

TEST_F(HealthTest, NvmeTemperatureIsRecordOne) {
  FakeDevice d;
  d.attributes = {Nvme(0, L"Critical Warning"), Nvme(318)};
  source.devices[3] = d;
  appcore::HealthMonitor monitor(source, config);
  int celsius = 0;
  EXPECT_EQ(monitor.Temperature(3, 1, true, &celsius), 0);
  EXPECT_EQ(celsius, 45);
  EXPECT_EQ(monitor.Temperature(3, 0, true, &celsius), 1);
}

TEST_F(HealthTest, WarnsOncePerChange) {
  FakeDevice d;
  d.attributes = {Ata(5, 36, 36, 0, L"Reallocated Sectors Count")};
  source.devices[0] = d;
  appcore::HealthMonitor monitor(source, config);
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);
  ASSERT_EQ(sink.shown.size(), 1u);
  EXPECT_EQ(sink.shown[0].title, appcore::LocText(sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL));
  EXPECT_NE(sink.shown[0].text.find(L"Reallocated Sectors Count"), std::wstring::npos);
  EXPECT_NE(sink.shown[0].text.find(L"TEST DISK"), std::wstring::npos);
  // Unchanged and still exceeded: no second message, but still counted.
  EXPECT_EQ(monitor.CheckSMARTStatus(), 0);
  EXPECT_EQ(monitor.CheckSMARTStatus(), 0);
  EXPECT_EQ(sink.shown.size(), 1u);
  // Changed and still exceeded: a second message.
  source.devices[0].attributes[0].current = 30;
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);
  EXPECT_EQ(sink.shown.size(), 2u);
  // Recovered, then back to the same value: a third.
  source.devices[0].attributes[0].current = 90;
  EXPECT_EQ(monitor.CheckSMARTStatus(), 0);
  source.devices[0].attributes[0].current = 30;
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);
  EXPECT_EQ(sink.shown.size(), 3u);
}

TEST_F(HealthTest, DoNothingStillReportsEveryTime) {
  config.tecAction = 0;
  FakeDevice d;
  d.attributes = {Ata(5, 36, 36)};
  source.devices[0] = d;
  appcore::HealthMonitor monitor(source, config);
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);  // the changed flag stays set
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(HealthTest, WarningLevelChangeLetsTemperatureWarnAgain) {
  config.warnLevelC = 50.0f;
  FakeDevice d;
  d.attributes = {Ata(194, 100, 0, 57, L"Temperature")};
  source.devices[0] = d;
  appcore::HealthMonitor monitor(source, config);
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);  // delivered once
  EXPECT_EQ(sink.shown.size(), 1u);
  config.warnLevelC = 55.0f;
  EXPECT_EQ(monitor.CheckSMARTStatus(), 0);  // same value: no repeat
  monitor.MarkTemperatureChanged();
  EXPECT_EQ(monitor.CheckSMARTStatus(), 1);
  EXPECT_EQ(sink.shown.size(), 2u);
}

TEST_F(HealthTest, UnreadableValuesCountAsExceededWithoutWarning) {
  FakeDevice d;
  FakeAttribute broken = Ata(5, 50, 10);
  broken.readable = false;
  FakeAttribute unnamed = Ata(9, 50, 10, 0, L"");
  d.attributes = {broken, unnamed};
  source.devices[0] = d;
  appcore::HealthMonitor monitor(source, config);
  EXPECT_EQ(monitor.CheckSMARTAttribute(0, 5), 1);
  EXPECT_EQ(monitor.CheckSMARTAttribute(0, 9), 1);
  EXPECT_EQ(monitor.CheckSMARTAttribute(0, 77), 1);  // no such attribute
  EXPECT_TRUE(sink.shown.empty());
}

TEST_F(HealthTest, TrayTipNamesTheLastProblem) {
  FakeDevice a;
  a.attributes = {Ata(5, 100, 10)};
  FakeDevice b;
  b.attributes = {Ata(5, 5, 10, 0, L"Reallocated Sectors Count")};
  source.devices[0] = a;
  source.devices[2] = b;
  appcore::HealthMonitor monitor(source, config);
  appcore::TrayState tray = monitor.UpdateTrayStatus();
  EXPECT_TRUE(tray.warning);
  EXPECT_EQ(tray.tip, appcore::LocFormat(sw::TASKBAR_WARNING, L"Reallocated Sectors Count", 3));
  source.devices.erase(2);
  tray = monitor.UpdateTrayStatus();
  EXPECT_FALSE(tray.warning);
  EXPECT_EQ(tray.tip, appcore::LocText(sw::TASKBAR_ALL_OK));
  source.devices.clear();
  EXPECT_FALSE(monitor.UpdateTrayStatus().warning);
}

TEST_F(HealthTest, DeviceStatusText) {
  FakeDevice d;
  d.attributes = {Ata(5, 100, 10)};
  d.driveNumbers = {2, 3};  // C: and D:
  source.devices[0] = d;
  source.volumes[L'C'] = {1000, 500};
  source.volumes[L'D'] = {1000, 100};  // exactly 10% free: fine
  appcore::HealthMonitor monitor(source, config);
  EXPECT_EQ(monitor.GetDeviceStatusText(0), appcore::LocText(sw::MISC_OK));
  EXPECT_FALSE(monitor.DeviceProblem(0));

  source.volumes[L'D'] = {1000, 90};  // 9% free
  std::wstring warning = appcore::LocText(sw::MISC_WARNING);
  EXPECT_EQ(monitor.GetDeviceStatusText(0),
            warning + L" (" + appcore::LocText(sw::DI_LIST_LOW_DISK_SPACE) + L")");
  EXPECT_TRUE(monitor.DeviceProblem(0));

  source.devices[0].attributes.push_back(Ata(194, 100, 0, 70));
  EXPECT_EQ(monitor.GetDeviceStatusText(0),
            warning + L" (" + appcore::LocText(sw::DI_LIST_TEMP_WARNING) + L")");
  source.devices[0].attributes[0].current = 10;  // the first attribute decides
  EXPECT_EQ(monitor.GetDeviceStatusText(0),
            warning + L" (" + appcore::LocText(sw::DI_LIST_TEC_EXCEEDED) + L")");
}

TEST_F(HealthTest, AlertMailLines) {
  config.temperatureUnit = 1;
  FakeDevice d;
  source.devices[0] = d;
  appcore::HealthMonitor monitor(source, config);
  std::wstring subject, body;
  monitor.BuildAlert(0, L"Temperature", 113, 140, true, &subject, &body);
  EXPECT_NE(body.find(appcore::LocFormat(sw::EMAIL_DEVICE, L"TEST DISK")), std::wstring::npos);
  EXPECT_NE(body.find(appcore::LocFormat(sw::EMAIL_ACTUAL, 113, L"F") + L"\r\n"),
            std::wstring::npos);
  EXPECT_NE(body.find(appcore::LocFormat(sw::EMAIL_THRESHOLD, 140, L"F") + L"\r\n\r\n\r\n" +
                      appcore::LocFormat(sw::EMAIL_SPINDLEWATCH_INFO, L"Spindlewatch", L"V3.5",
                                         L"1004")),
            std::wstring::npos);
  // Without a model number the device line is left out.
  source.devices[0].model.clear();
  monitor.BuildAlert(0, L"Reallocated Sectors Count", 5, 10, false, &subject, &body);
  EXPECT_EQ(body.find(appcore::LocFormat(sw::EMAIL_DEVICE, L"")), std::wstring::npos);
  EXPECT_NE(body.find(appcore::LocFormat(sw::EMAIL_ACTUAL, 5, L"") + L"\r\n"),
            std::wstring::npos);
  EXPECT_EQ(body.rfind(appcore::LocText(sw::EMAIL_THRESHOLD_EXCEED_CONDITION_LABEL) + L"\r\n", 0),
            0u);
}

TEST(ClassicTime, Format) {
  setenv("TZ", "UTC", 1);
  tzset();
  EXPECT_EQ(appcore::ClassicTimeText(315627835), "Wed Jan 02 02:23:55 1980");
}

}  // namespace
