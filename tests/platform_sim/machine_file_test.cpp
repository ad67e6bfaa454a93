// Reading machine files: the demo machine, and one clear line for every
// kind of mistake.
#include <fstream>

#include <gtest/gtest.h>

#include "platform/backends.h"
#include "sim/machine_contents.h"

namespace {

using platform::sim::MachineSpec;
using platform::sim::ParseMachine;

TEST(MachineFile, DemoMachineLoads) {
  std::string error;
  auto machine = platform::LoadSimulatedMachine(SW_MACHINES_DIR "/demo.json", &error);
  ASSERT_NE(nullptr, machine) << error;
  EXPECT_TRUE(machine->IsAdministrator());
  EXPECT_EQ(8u, machine->ActivityDisks().size());
  // C: D: E: F: G: H: I: K: L: Z:
  EXPECT_EQ(0x02000DFCu, machine->LogicalDrives());
  EXPECT_EQ(platform::kDriveRemote, machine->GetDriveType(L'Z'));
  EXPECT_EQ(platform::kDriveCdrom, machine->GetDriveType(L'F'));
}

TEST(MachineFile, MissingFileNamesIt) {
  std::string error;
  EXPECT_EQ(nullptr, platform::LoadSimulatedMachine("/nonexistent/m.json", &error));
  EXPECT_EQ("/nonexistent/m.json: cannot open the machine file", error);
}

TEST(MachineFile, DefaultsAndUnknownKeys) {
  MachineSpec spec;
  std::string error;
  ASSERT_TRUE(ParseMachine(R"({"colour":"blue","drives":[{"number":4,"kind":"nvme","x":1}],
                               "volumes":[{"letter":"c","disks":[4]}]})",
                           "m.json", &spec, &error))
      << error;
  ASSERT_EQ(1u, spec.drives.size());
  EXPECT_EQ(17u, spec.drives[0].bus);
  EXPECT_EQ(platform::sim::Bridge::kStorageQuery, spec.drives[0].bridge);
  EXPECT_EQ(4, spec.drives[0].port);
  EXPECT_EQ('C', spec.volumes[0].letter);
  EXPECT_TRUE(spec.administrator);
}

struct BadFile {
  const char* json;
  const char* message;  // the whole expected line after "m.json: "
};

class BadMachineFile : public ::testing::TestWithParam<BadFile> {};

TEST_P(BadMachineFile, OneLineNamingFileAndField) {
  MachineSpec spec;
  std::string error;
  EXPECT_FALSE(ParseMachine(GetParam().json, "m.json", &spec, &error));
  EXPECT_EQ(std::string("m.json: ") + GetParam().message, error);
  EXPECT_EQ(std::string::npos, error.find('\n'));
}

const BadFile kBadFiles[] = {
    {"{ drives: [", "not a valid machine file (JSON error at byte 3)"},
    {"[1,2]", "top level: expected an object"},
    {R"({"administrator":"yes"})", "administrator: expected true or false"},
    {R"({"now":-5})", "now: expected a number of at least 0"},
    {R"({"drives":{}})", "drives: expected a list"},
    {R"({"drives":[7]})", "drives[0]: expected an object"},
    {R"({"drives":[{"kind":"ata"}]})", "drives[0].number: missing"},
    {R"({"drives":[{"number":100}]})", "drives[0].number: number too large (at most 99)"},
    {R"({"drives":[{"number":1.5}]})", "drives[0].number: expected a whole number"},
    {R"({"drives":[{"number":1,"kind":"scsi"}]})", "drives[0].kind: expected \"ata\" or \"nvme\""},
    {R"({"drives":[{"number":1,"bus":"PCI"}]})", "drives[0].bus: unknown bus type \"PCI\""},
    {R"({"drives":[{"number":1,"bridge":"acme"}]})", "drives[0].bridge: unknown bridge \"acme\""},
    {R"({"drives":[{"number":1,"kind":"nvme","bridge":"sat"}]})",
     "drives[0].bridge: an NVMe drive needs an NVMe bridge"},
    {R"({"drives":[{"number":1,"bridge":"rtl9210"}]})", "drives[0].bridge: an ATA drive needs an ATA bridge"},
    {R"({"drives":[{"number":1,"jmicron_port":3}]})", "drives[0].jmicron_port: number too large (at most 2)"},
    {R"({"drives":[{"number":1,"model":42}]})", "drives[0].model: expected a text"},
    {R"({"drives":[{"number":1,"sectors":0}]})", "drives[0].sectors: expected at least 1"},
    {R"({"drives":[{"number":1,"sector_size":520}]})",
     "drives[0].sector_size: expected a power of two of at least 512"},
    {R"({"drives":[{"number":1,"identify":{"abc":1}}]})", "drives[0].identify.abc: expected a word index 0 to 255"},
    {R"({"drives":[{"number":1,"identify":{"106":70000}}]})",
     "drives[0].identify.106: number too large (at most 65535)"},
    {R"({"drives":[{"number":1,"attributes":[{"id":5},{"id":9,"raw":"12"}]}]})",
     "drives[0].attributes[1].raw: expected a whole number"},
    {R"({"drives":[{"number":1,"attributes":[{"id":5,"raw":281474976710656}]}]})",
     "drives[0].attributes[0].raw: number too large (at most 281474976710655)"},
    {R"({"drives":[{"number":1,"attributes":[{"current":5}]}]})", "drives[0].attributes[0].id: missing"},
    {R"({"drives":[{"number":1,"kind":"nvme","nvme_health":{"temperature":"hot"}}]})",
     "drives[0].nvme_health.temperature: expected a whole number"},
    {R"({"drives":[{"number":1,"faults":{"fail_codes":["ioctl"]}}]})",
     "drives[0].faults.fail_codes[0]: expected a control code"},
    {R"({"drives":[{"number":1,"faults":[]}]})", "drives[0].faults: expected an object"},
    {R"({"drives":[{"number":1,"sectors":100,"native_max":50}]})",
     "drives[0].native_max: below the highest user address (sectors - 1)"},
    {R"({"drives":[{"number":1},{"number":1}]})", "drives[1].number: drive 1 appears twice"},
    {R"({"volumes":[{"type":"fixed"}]})", "volumes[0].letter: missing"},
    {R"({"volumes":[{"letter":"CD"}]})", "volumes[0].letter: expected one letter A to Z"},
    {R"({"volumes":[{"letter":"C","type":"tape"}]})",
     "volumes[0].type: expected fixed, removable, optical, network or ramdisk"},
    {R"({"volumes":[{"letter":"C","disks":[0,"1"]}]})", "volumes[0].disks[1]: expected a whole number"},
    {R"({"volumes":[{"letter":"C","size":10,"free":11}]})", "volumes[0].free: larger than size"},
    {R"({"volumes":[{"letter":"C"},{"letter":"c"}]})", "volumes[1].letter: letter C appears twice"},
};

INSTANTIATE_TEST_SUITE_P(Table, BadMachineFile, ::testing::ValuesIn(kBadFiles));

}  // namespace
