// Feeds arbitrary bytes to every decoder of device buffers and to the
// queries that read the decoded records back. The first byte picks the
// path (ATA or NVMe) and a selector; the rest is cut into 512-byte buffers.
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <vector>

#include "engine/identify_text.h"
#include "engine/smart_info.h"
#include "frame/log_control.h"
#include "naming/attribute_naming.h"

namespace {

using hwscope::CSMARTInfo;

void Buffer(const std::uint8_t* data, std::size_t size, std::size_t index, std::uint8_t* out) {
  std::memset(out, 0, 512);
  const std::size_t start = index * 512;
  if (start < size) std::memcpy(out, data + start, std::min<std::size_t>(512, size - start));
}

void QueryEverything(CSMARTInfo& engine, int device, int selector) {
  wchar_t text[128];
  int len = 128;
  unsigned ulen = 128;
  engine.GetDeviceModelNumber(text, &len, device);
  len = 9;
  engine.GetDeviceFirmWareRev(text, &len, device);
  engine.GetDeviceSerialNumber(text, &ulen, device);
  HwscopeDeviceInfo info;
  engine.GetDeviceInfo(&info, device);
  bool solid;
  len = 128;
  engine.GetDeviceInterface(text, &len, &solid, device);
  unsigned mb;
  engine.GetDeviceCapacity(&mb, device);
  for (int id = engine.GetSmartAttributeIDFirst(device); id >= 0;
       id = engine.GetSmartAttributeIDNext(device)) {
    for (int kind : {1, 2, 4, 8, 32, 64, 128, selector}) {
      std::uint8_t out[256];
      int outLen = 128;
      engine.GetSmartAttributeByID(out, &outLen, id, kind, device);
    }
  }
  engine.GetNumSmartAttr(device);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  // Log formatting with raw device bytes is part of decoding: keep it on,
  // into a sink that costs no disk writes.
  static std::FILE* sink = std::fopen("/dev/null", "w");
  if (sink) hwscope::StartLoggingExisting(sink);
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size < 1) return 0;
  const std::uint8_t control = data[0];
  ++data;
  --size;
  static CSMARTInfo* engine = new CSMARTInfo();
  engine->devices[1] = hwscope::DeviceState{};
  hwscope::DriveRow& row = engine->drives[3];
  row.Reset();
  row.present = 1;
  row.driveType = 3;
  row.smartRow = 3;
  row.smartCapable = 1;
  row.physicalList[0] = 1;
  row.physicalCount = 1;
  row.busType = static_cast<std::int8_t>(control);
  row.capacity = size * 0x9E3779B97F4A7C15ull;

  std::uint8_t a[512], b[512], c[512];
  Buffer(data, size, 0, a);
  Buffer(data, size, 1, b);
  Buffer(data, size, 2, c);
  const int selector = control >> 1;
  if (control & 1) {
    row.bridgeType = hwscope::kBridgeStorageQuery;
    engine->FormatNVMeIdInfo(a, 1, 3);
    engine->FormatNVMEAttributeData(b, 1, 0);
    engine->FormatNVMEAttributeData(c, 1, 1);
  } else {
    row.bridgeType = hwscope::kBridgeNative;
    engine->FormatIdInfo(a, 1, 3, control);
    engine->FormatAttributeData(b, c, 1, 0);
    engine->FormatAttributeData(c, b, 1, 1);
  }
  QueryEverything(*engine, 1, selector);

  // Naming on an arbitrary model field and identifier.
  const std::wstring model = hwscope::WidenField(a + 54, 40);
  wchar_t name[128];
  unsigned nameLen = control % 130;
  hwscope::naming::NameAttribute(model, static_cast<std::int8_t>(b[0]) * 3, name, &nameLen);
  return 0;
}
