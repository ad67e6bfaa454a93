#!/usr/bin/env python3
"""Compares what the backend probe and hwscope-info read inside the test VM
with what smartctl read from the same disks. Prints every mismatch and exits
1 when there is one."""
import json
import os
import sys

OUT = sys.argv[1]
failures = []


def check(condition, message):
    if not condition:
        failures.append(message)
    return condition


def load(name):
    path = os.path.join(OUT, name)
    if not os.path.exists(path):
        return None
    with open(path, encoding="utf-8", errors="replace") as f:
        text = f.read()
    try:
        return json.loads(text)
    except ValueError:
        failures.append(f"{name} is not JSON: {text[:300]!r}")
        return None


# Whole disks of the VM: name, size in bytes, sysfs path.
blocks = []
with open(os.path.join(OUT, "blocks.txt")) as f:
    for line in f:
        name, sectors, path = line.split()
        if name.startswith(("sd", "nvme", "vd")):
            blocks.append({"name": name, "bytes": int(sectors) * 512, "path": path})
blocks.sort(key=lambda b: b["path"])  # distinct PCI functions: text order is hardware order

smart = {}
for b in blocks:
    data = load(f"smartctl-{b['name']}.json")
    if data is not None:
        smart[b["name"]] = data


def kind(b):
    if b["name"].startswith("nvme"):
        return "nvme"
    if b["name"].startswith("vd"):
        return "virtio"
    return "usb" if "/usb" in b["path"] else "sata"


by_kind = {kind(b): b for b in blocks}
check(sorted(by_kind) == ["nvme", "sata", "usb", "virtio"], f"VM disks: {[b['name'] for b in blocks]}")
sata_ref = smart.get(by_kind.get("sata", {}).get("name"), {})
nvme_ref = smart.get(by_kind.get("nvme", {}).get("name"), {})
check("ata_smart_attributes" in sata_ref, "smartctl read no ATA attributes from the SATA disk")
check("nvme_smart_health_information_log" in nvme_ref, "smartctl read no NVMe health log")
NVME_KEYS = ["critical_warning", "temperature", "available_spare", "available_spare_threshold",
             "percentage_used", "data_units_read", "data_units_written", "host_reads", "host_writes",
             "controller_busy_time", "power_cycles", "power_on_hours", "unsafe_shutdowns",
             "media_errors", "num_err_log_entries"]


def ata_reference():
    table = sata_ref.get("ata_smart_attributes", {}).get("table", [])
    return {a["id"]: (a["value"], a["worst"], a["thresh"], a["raw"]["value"]) for a in table}


# --- the backend probe --------------------------------------------------------
probe = load("probe.json")
probe2 = load("probe2.json")
if probe is not None:
    check(probe == probe2, "two runs of the probe read different results")
    check(probe.get("administrator") is True, "root is not an administrator")
    devices = probe.get("devices", [])
    check(len(devices) == len(blocks),
          f"probe lists {len(devices)} physical drives, the VM has {len(blocks)} disks")
    for number, (dev, blk) in enumerate(zip(devices, blocks)):
        k = kind(blk)
        where = f"probe PhysicalDrive{number} ({blk['name']}, {k})"
        check(dev.get("device") == number, f"{where}: numbering")
        check(dev.get("size_bytes") == blk["bytes"], f"{where}: size {dev.get('size_bytes')} != {blk['bytes']}")
        bus = {"sata": 11, "nvme": 17, "usb": 7, "virtio": 14}[k]
        check(dev.get("bus_type") == bus, f"{where}: bus type {dev.get('bus_type')} != {bus}")
        if k == "sata":
            check(dev.get("smart_version") == 5, f"{where}: SMART version capabilities {dev.get('smart_version')}")
            check(dev.get("smart_enable") is True, f"{where}: SMART enable failed")
            check(dev.get("model") == sata_ref.get("model_name"), f"{where}: model {dev.get('model')!r}")
            check(dev.get("serial") == sata_ref.get("serial_number"), f"{where}: serial {dev.get('serial')!r}")
            check(dev.get("firmware") == sata_ref.get("firmware_version"), f"{where}: firmware {dev.get('firmware')!r}")
            check(dev.get("sectors", 0) * 512 == sata_ref.get("user_capacity", {}).get("bytes"),
                  f"{where}: capacity {dev.get('sectors')} sectors")
            check(dev.get("native_max") == dev.get("sectors", 0) - 1, f"{where}: native max {dev.get('native_max')}")
            check(dev.get("sector0_signature") == 0xAA55, f"{where}: READ DMA EXT of sector 0")
            # The emulated drive has no configuration overlay: it aborts, and the
            # error register says so through a successful call.
            check(dev.get("dco_error") == 0x04, f"{where}: DCO IDENTIFY error register {dev.get('dco_error')} "
                  f"(call error {dev.get('dco_call_error')})")
            got = {a["id"]: (a["current"], a["worst"], a["threshold"], a["raw"]) for a in dev.get("attributes", [])}
            check(got == ata_reference() and got, f"{where}: attributes {got} != smartctl {ata_reference()}")
        elif k == "nvme":
            check(dev.get("smart_version") is None, f"{where}: answered SMART get version")
            check(dev.get("model") == nvme_ref.get("model_name"), f"{where}: model {dev.get('model')!r}")
            check(dev.get("serial") == nvme_ref.get("serial_number"), f"{where}: serial {dev.get('serial')!r}")
            check(dev.get("firmware") == nvme_ref.get("firmware_version"), f"{where}: firmware {dev.get('firmware')!r}")
            ref = nvme_ref.get("nvme_smart_health_information_log", {})
            got = dev.get("health", {})
            for key in NVME_KEYS:
                check(got.get(key) == ref.get(key), f"{where}: health {key} {got.get(key)} != {ref.get(key)}")
            check(dev.get("miniport_refused") is True, f"{where}: the miniport request was not refused")
        elif k == "usb":
            check(dev.get("smart_version") is None, f"{where}: answered SMART get version")
            check(dev.get("sat_identify_call") is True and dev.get("sat_identify_status", 0) != 0,
                  f"{where}: SAT IDENTIFY was not rejected by the plain SCSI disk")
            check(bool(dev.get("inquiry_product")), f"{where}: no INQUIRY through SCSI pass-through direct")
        else:
            check(dev.get("smart_version") is None and "model" not in dev, f"{where}: virtio disk answered SMART")
    vols = probe.get("volumes", [])
    sata_number = next((i for i, b in enumerate(blocks) if kind(b) == "sata"), -1)
    mounted = [v for v in vols if v.get("extents")]
    # C: the mounted partition; D: the empty optical drive, without a medium.
    check([(v.get("letter"), v.get("type")) for v in vols] == [("C", 3), ("D", 5)], f"volumes: {vols}")
    check(len(vols) == 2 and vols[1].get("medium") is False and "total_bytes" not in vols[1],
          f"the empty optical drive reads as having a medium: {vols}")
    check(len(mounted) == 1 and mounted[0]["extents"][0]["disk"] == sata_number
          and mounted[0]["extents"][0]["offset"] == 2048 * 512 and mounted[0].get("medium") is True,
          f"the mounted partition does not map to the SATA disk: {vols}")
    check(sorted(probe.get("activity_disks", [])) == list(range(len(blocks))),
          f"activity disks {probe.get('activity_disks')}")

# --- hwscope-info -----------------------------------------------------------
info = load("info.json") if os.path.exists(os.path.join(OUT, "info.json")) else None
if info is not None:
    devices = {d.get("device"): d for d in info.get("devices", [])}
    check(len(devices) == len(blocks), f"hwscope-info lists {len(devices)} drives, the VM has {len(blocks)}")
    for number, blk in enumerate(blocks):
        k = kind(blk)
        dev = devices.get(number)
        where = f"hwscope-info device {number} ({blk['name']}, {k})"
        if not check(dev is not None, f"{where}: missing"):
            continue
        interface = {"sata": "SATA", "nvme": "NVMe", "usb": "USB", "virtio": "Virtual Storage"}[k]
        check(dev.get("interface") == interface, f"{where}: interface {dev.get('interface')!r}")
        if k in ("sata", "nvme"):
            ref = sata_ref if k == "sata" else nvme_ref
            check(dev.get("smart") is True, f"{where}: not a SMART device (code {dev.get('smart_code')})")
            check(dev.get("model") == ref.get("model_name"), f"{where}: model {dev.get('model')!r}")
            check(dev.get("serial") == ref.get("serial_number"), f"{where}: serial {dev.get('serial')!r}")
            check(dev.get("firmware") == ref.get("firmware_version"), f"{where}: firmware {dev.get('firmware')!r}")
            capacity = ref.get("user_capacity", {}).get("bytes") or blk["bytes"]
            check(dev.get("capacity_mb") == capacity // 1048576,
                  f"{where}: capacity {dev.get('capacity_mb')} MB != {capacity // 1048576}")
        if k == "sata":
            got = {a["id"]: (a["current"], a["worst"], a["threshold"], a["raw"]) for a in dev.get("attributes", [])}
            check(got == ata_reference() and got, f"{where}: attributes {got} != smartctl {ata_reference()}")
            check(dev.get("volumes") == ["C:"], f"{where}: volumes {dev.get('volumes')}")
        elif k == "nvme":
            ref = nvme_ref.get("nvme_smart_health_information_log", {})
            attrs = {a["id"]: a for a in dev.get("attributes", [])}
            for i, key in enumerate(NVME_KEYS):
                want = ref.get(key)
                if key == "temperature" and want is not None:
                    want += 273  # the health log keeps kelvin
                got = attrs.get(i, {}).get("raw")
                check(got == want, f"{where}: health {key} {got} != {want}")
        else:
            check(dev.get("smart") is False, f"{where}: counted as a SMART device")

if failures:
    print("FAIL:")
    for f in failures:
        print("  " + f)
    sys.exit(1)
print(f"PASS: {len(blocks)} disks compared" + (" (probe and hwscope-info)" if info else " (probe)"))
