"""Writes resources/SMARTdesc.csv from the library's attribute tables and
the attribute names of resources/Hwscope_localization.txt.

Every (identifier, name) pair the library can produce gets one line, so the
SMART list finds a description for each attribute it shows. Run from the
source tree root: python3 tests/app_core/make_smartdesc.py
"""
import re
import sys

ROOT = sys.argv[1] if len(sys.argv) > 1 else "."

# Higher raw value is worse (1) or lower raw value is worse (2).
HIGHER_WORSE = {
    "REALLOCATED_SECTOR_COUNT", "SPIN_RETRY_COUNT", "CALIBRATION_RETRY_COUNT",
    "REPORTED_UNCORRECTABLE_ERRORS", "COMMAND_TIMEOUT", "HIGH_FLY_WRITES",
    "REALLOCATION_EVENT_COUNT", "CURRENT_PENDING_SECTOR_COUNT",
    "UNCORRECTABLE_SECTOR_COUNT", "ULTRADMA_CRC_ERROR_COUNT", "WRITE_ERROR_COUNT",
    "END_TO_END_ERROR", "PROGRAM_FAIL_COUNT", "ERASE_FAIL_COUNT",
    "PROGRAM_FAIL_COUNT_CHIP", "ERASE_FAIL_COUNT_CHIP", "PROGRAM_FAIL_COUNT_TOTAL",
    "ERASE_FAIL_COUNT_TOTAL", "USED_RSVD_BLOCK_COUNT_CHIP", "USED_RSVD_BLOCK_COUNT_TOTAL",
    "RETIRED_BLOCK_COUNT", "BAD_BLOCK_COUNT", "RUNTIME_BAD_BLOCK_TOTAL",
    "NEW_FAILING_BLOCK_COUNT", "PROGRAM_FAILURE_BLOCK_COUNT", "ERASE_FAILURE_BLOCK_COUNT",
    "READ_FAILURE_BLOCK_COUNT", "READ_FAILURE_BLOCK_COUNT_UNCORRECTABLE",
    "PROGRAM_FAIL_BLOCK_COUNT", "ERASE_FAIL_BLOCK_COUNT", "SATA_DOWNSHIFT_ERROR_COUNT",
    "SATA_ERROR_COUNT_CRC", "SATA_ERROR_COUNT_HANDSHAKE", "SATA_PHY_ERROR_COUNT",
    "ON_THE_FLY_ECC_UNCORRECTABLE_ERROR_COUNT", "UNEXPECTED_POWER_LOSS_COUNT",
    "UNEXPECTED_POWER_LOST_COUNT", "UNSAFE_SHUTDOWN_COUNT", "MEDIA_ERRORS",
    "NUM_ERR_LOG_ENTRIES", "PERCENTAGE_LIFETIME_USED", "POWER_LOSS_PROTECTION_FAILURE",
    "G_SENSE_ERROR_RATE", "SHOCK_DURING_WRITE", "VIBRATION_DURING_WRITE",
    "GROUND_SEEK_ERRORS_RRO_C_ERP", "GROUND_LOAD_ERRORS_COUNT", "GROUND_SPINUP_ERRORS",
    "UNEXPECTED_ERRORS_COUNT", "UNLOCK_MISREAD_COUNT", "LOAD_UNLOAD_RETRY_COUNT",
    "OFF_TRACK_ERRORS", "DATA_ADDRESS_MARK_ERRORS", "THERMAL_ASPERITY_RATE",
    "WEAR_RANGE_DELTA", "ECC_FAIL_RECORD", "CRITICAL_WARNING", "FREE_FALL_PROTECTION",
    "NON_4K_ALIGNED_ACCESS_COUNT", "UNCORRECTABLE_SOFT_READ_ERROR_RATE",
}
LOWER_WORSE = {
    "AVAILABLE_RESERVED_SPACE", "AVAIL_SPARE", "SSD_LIFE_LEFT", "REMAINING_LIFE",
    "LIFETIME_REMAINING", "PERCENTAGE_LIFETIME_REMAINING", "ENDURANCE_REMAINING",
    "MEDIA_WEAROUT_INDICATOR", "UNUSED_RSVD_BLOCK_COUNT_TOTAL", "AVAILABLE_OP_BLOCK_COUNT",
    "POWER_FAIL_BACKUP_HEALTH", "RESERVED_BLOCK_COUNT",
}

DESCRIPTIONS = {
    "RAW_READ_ERROR_RATE": "Rate of hardware errors while reading data from the disk surface. The raw value's meaning differs between vendors; watch the normalized value.",
    "THROUGHPUT_PERFORMANCE": "Overall throughput of the drive. A falling value can point to a mechanical or electronic problem.",
    "SPIN_UP_TIME": "Average time the spindle needs to reach its operating speed from rest.",
    "START_STOP_COUNT": "Number of spindle start/stop cycles.",
    "REALLOCATED_SECTOR_COUNT": "Number of sectors the drive has replaced with spare sectors after read, write or verify errors. A growing count is a sign of a wearing or damaged surface; back up your data.",
    "READ_CHANNEL_MARGIN": "Margin of the read channel while reading data. Vendor specific.",
    "SEEK_ERROR_RATE": "Rate of seek errors of the magnetic heads. The raw value's meaning differs between vendors.",
    "SEEK_TIME_PERFORMANCE": "Average performance of seek operations. A falling value can point to a mechanical problem.",
    "POWER_ON_TIME": "Time the drive has been powered on, usually in hours.",
    "SPIN_RETRY_COUNT": "Number of retries needed to spin the disks up to speed. A growing count points to a problem with the motor or its power supply.",
    "CALIBRATION_RETRY_COUNT": "Number of times a recalibration had to be retried.",
    "POWER_CYCLE_COUNT": "Number of complete power-on/power-off cycles of the drive.",
    "SOFT_READ_ERROR_RATE": "Rate of read errors that were corrected without retrying from the surface.",
    "AVERAGE_FLYING_HEIGHT_CONTROL": "Average value of the flying-height control of the heads. Vendor specific.",
    "PROGRAM_ERASE_CYCLES": "Program/erase cycles of the flash cells.",
    "MAXIMUM_FLYING_HEIGHT_CONTROL": "Largest value of the flying-height control of the heads. Vendor specific.",
    "TRANSLATION_TABLE_REBUILD": "Number of times the flash translation table had to be rebuilt, for example after a power loss.",
    "RESERVED_BLOCK_COUNT": "Spare flash blocks held in reserve to replace failing ones.",
    "PROGRAM_FAIL_COUNT": "Number of failed flash program (write) operations.",
    "ERASE_FAIL_COUNT": "Number of failed flash erase operations.",
    "WEAR_LEVELING_COUNT": "Wear of the flash cells from program/erase cycles, spread evenly by wear levelling. The normalized value falls as the flash wears.",
    "UNEXPECTED_POWER_LOSS_COUNT": "Number of times power was lost without an orderly shutdown.",
    "UNEXPECTED_POWER_LOST_COUNT": "Number of times power was lost without an orderly shutdown.",
    "PROGRAM_FAIL_COUNT_CHIP": "Failed flash program operations of the worst flash chip.",
    "ERASE_FAIL_COUNT_CHIP": "Failed flash erase operations of the worst flash chip.",
    "WEAR_RANGE_DELTA": "Difference in wear between the most and the least worn flash blocks.",
    "USED_RSVD_BLOCK_COUNT_CHIP": "Spare blocks already used on the worst flash chip.",
    "USED_RSVD_BLOCK_COUNT_TOTAL": "Spare blocks already used to replace failing blocks, over all chips.",
    "UNUSED_RSVD_BLOCK_COUNT_TOTAL": "Spare blocks still available to replace failing blocks.",
    "PROGRAM_FAIL_COUNT_TOTAL": "Failed flash program operations since the drive was made.",
    "ERASE_FAIL_COUNT_TOTAL": "Failed flash erase operations since the drive was made.",
    "SATA_DOWNSHIFT_ERROR_COUNT": "Number of times the SATA link had to fall back to a lower speed. Often a cable or connector problem.",
    "END_TO_END_ERROR": "Number of parity errors in the data path between the host and the media, inside the drive's cache.",
    "HEAD_STABILITY": "Stability of the magnetic heads. Vendor specific.",
    "INDUCED_OP_VIBRATION_DETECTION": "Vibration detected from the drive's surroundings during operation.",
    "REPORTED_UNCORRECTABLE_ERRORS": "Number of errors the drive could not correct with its error correction code. Any non-zero count means data may have been lost.",
    "COMMAND_TIMEOUT": "Number of commands aborted because the drive did not finish them in time. Can point to power or cabling problems.",
    "HIGH_FLY_WRITES": "Number of writes made while a head flew higher than normal, which can leave weak data.",
    "TEMP_DIFFERENCE_FROM_100": "Airflow temperature of the drive given as 100 minus the temperature in degrees Celsius.",
    "G_SENSE_ERROR_RATE": "Number of errors caused by shocks or vibration.",
    "POWER_OFF_RETRACT_COUNT": "Number of emergency head retracts when the power went off.",
    "LOAD_CYCLE_COUNT": "Number of times the heads were moved to and from the landing zone.",
    "TEMPERATURE": "Current temperature of the drive. Sustained high temperatures shorten the drive's life.",
    "HARDWARE_ECC_RECOVERED": "Number of errors corrected by the drive's error correction hardware. The raw value's meaning differs between vendors.",
    "REALLOCATION_EVENT_COUNT": "Number of times the drive tried to move data from a bad sector to a spare one, successful or not.",
    "CURRENT_PENDING_SECTOR_COUNT": "Number of unstable sectors waiting to be remapped. They are remapped when written or read successfully; a non-zero count means data on them may be unreadable.",
    "UNCORRECTABLE_SECTOR_COUNT": "Number of sectors that could not be read or written without error, found for example by an offline scan.",
    "ULTRADMA_CRC_ERROR_COUNT": "Number of transfer errors on the interface cable detected by CRC. Usually a cable or connector problem, not the disk itself.",
    "WRITE_ERROR_COUNT": "Number of errors while writing to the media.",
    "OFF_TRACK_ERRORS": "Number of errors caused by a head leaving its track.",
    "DATA_ADDRESS_MARK_ERRORS": "Number of data address mark errors. Vendor specific.",
    "ERROR_CORRECTION_CODE_ERRORS": "Number of errors corrected by the error correction code.",
    "SOFT_ECC_CORRECTION": "Number of errors corrected by software error correction.",
    "THERMAL_ASPERITY_RATE": "Rate of thermal asperities: heat spikes when a head touches a bump on the surface.",
    "FLYING_HEIGHT": "Height of the heads above the disk surface.",
    "SPIN_HIGH_CURRENT": "Current drawn while spinning the disks up.",
    "SPIN_BUZZ": "Number of buzz routines needed to spin the disks up.",
    "OFFLINE_SEEK_PERFORMANCE": "Seek performance measured during offline tests.",
    "VIBRATION_DURING_WRITE": "Vibration recorded while writing.",
    "SHOCK_DURING_WRITE": "Shocks recorded while writing.",
    "GROUND_SEEK_ERRORS_RRO_C_ERP": "Seek errors recovered by error recovery. Vendor specific.",
    "GROUND_LOAD_ERRORS_COUNT": "Number of errors while loading the heads. Vendor specific.",
    "GROUND_SPINUP_ERRORS": "Number of errors while spinning up. Vendor specific.",
    "UNEXPECTED_ERRORS_COUNT": "Number of unexpected errors. Vendor specific.",
    "UNLOCK_MISREAD_COUNT": "Number of misreads while unlocking. Vendor specific.",
    "FLASHROM_ECC_CORRECTED_COUNT": "Number of errors corrected in the drive's firmware flash memory.",
    "DISK_SHIFT": "Distance the disk stack has shifted relative to the spindle, usually from a shock.",
    "LOADED_HOURS": "Time the heads have spent loaded over the disk surface.",
    "LOAD_UNLOAD_RETRY_COUNT": "Number of retries while loading or unloading the heads.",
    "LOAD_FRICTION": "Friction of the mechanical parts while loading the heads.",
    "LOAD_IN_TIME": "Total time the heads have been loaded.",
    "TORQUE_AMPLIFICATION_COUNT": "Number of attempts to make up for a drop in spindle speed.",
    "GMR_HEAD_AMPLITUDE": "Amplitude of the head signal (thrashing between positions).",
    "ENDURANCE_REMAINING": "Share of the flash's rated program/erase endurance still left.",
    "AVERAGE_ERASE_COUNT_MAX_ERASE_COUNT": "Average and maximum number of erase operations of the flash blocks.",
    "GOOD_BLOCK_COUNT_SYSTEM_BLOCK_COUNT": "Numbers of good flash blocks and of blocks used by the firmware.",
    "HEAD_FLYING_HOURS": "Time the heads have spent flying over the surface.",
    "TOTAL_LBAS_WRITTEN": "Total number of logical blocks written by the host.",
    "TOTAL_LBAS_READ": "Total number of logical blocks read by the host.",
    "NAND_WRITES": "Amount of data written to the flash memory, including the drive's own writes.",
    "READ_ERROR_RETRY_RATE": "Rate of retries needed while reading.",
    "FREE_FALL_PROTECTION": "Number of times the free-fall sensor parked the heads.",
    "AVAILABLE_OP_BLOCK_COUNT": "Over-provisioning blocks still available.",
    "INITIAL_BAD_BLOCK_COUNT": "Flash blocks that were bad when the drive was made.",
    "PROGRAM_FAILURE_BLOCK_COUNT": "Flash blocks retired after program failures.",
    "ERASE_FAILURE_BLOCK_COUNT": "Flash blocks retired after erase failures.",
    "READ_FAILURE_BLOCK_COUNT": "Flash blocks retired after read failures.",
    "READ_FAILURE_BLOCK_COUNT_UNCORRECTABLE": "Flash blocks with read failures that could not be corrected.",
    "PROGRAM_FAIL_BLOCK_COUNT": "Flash blocks retired after program failures.",
    "ERASE_FAIL_BLOCK_COUNT": "Flash blocks retired after erase failures.",
    "TOTAL_COUNT_OF_READ_SECTORS": "Total number of sectors read.",
    "TOTAL_COUNT_OF_WRITE_SECTORS": "Total number of sectors written.",
    "TOTAL_COUNT_OF_READ_COMMANDS": "Total number of read commands.",
    "TOTAL_COUNT_OF_WRITE_COMMANDS": "Total number of write commands.",
    "TOTAL_COUNT_OF_ERROR_BITS_FROM_FLASH": "Total number of bit errors corrected in data read from the flash.",
    "TOTAL_COUNT_OF_READ_SECTORS_W_CORRECTABLE_ERRORS": "Total number of sectors read with errors that could be corrected.",
    "BAD_BLOCK_FULL_FLAG": "Set when no spare blocks are left to replace failing ones.",
    "MAXIMUM_PE_COUNT_SPECIFICATION": "Rated number of program/erase cycles of the flash.",
    "MINIMUM_ERASE_COUNT": "Lowest erase count of any flash block.",
    "MAXIMUM_ERASE_COUNT": "Highest erase count of any flash block.",
    "AVERAGE_ERASE_COUNT": "Average erase count of the flash blocks.",
    "REMAINING_LIFE": "Estimated remaining life of the flash, in percent.",
    "SATA_ERROR_COUNT_CRC": "Number of CRC errors on the SATA link. Usually a cable or connector problem.",
    "SATA_ERROR_COUNT_HANDSHAKE": "Number of handshake errors on the SATA link.",
    "INDILINX_INTERNAL": "Internal value of the flash controller. Vendor specific.",
    "LIFETIME_WRITES_FROM_HOST": "Total amount of data written by the host over the drive's life.",
    "LIFETIME_READS_FROM_HOST": "Total amount of data read by the host over the drive's life.",
    "LIFETIME_REMAINING": "Estimated remaining life of the drive, in percent.",
    "HOST_WRITES_GB": "Amount of data written by the host, in gigabytes.",
    "HOST_READS_GB": "Amount of data read by the host, in gigabytes.",
    "TOTAL_NAND_PROG_COUNT_GB": "Amount of data programmed into the flash, in gigabytes.",
    "RETIRED_BLOCK_COUNT": "Flash blocks taken out of use because they failed.",
    "ON_THE_FLY_ECC_UNCORRECTABLE_ERROR_COUNT": "Number of errors the on-the-fly error correction could not correct.",
    "UNCORRECTABLE_SOFT_READ_ERROR_RATE": "Rate of read errors that could not be corrected.",
    "LIFE_CURVE_STATUS": "Where the drive stands on its expected wear curve.",
    "SSD_LIFE_LEFT": "Estimated life left of the flash, in percent; it falls as the flash wears.",
    "AVAILABLE_RESERVED_SPACE": "Spare flash space still available, in percent of the original reserve.",
    "SANDFORCE_INTERNAL": "Internal value of the flash controller. Vendor specific.",
    "POWER_FAIL_BACKUP_HEALTH": "Health of the power-fail backup (capacitors that keep data safe when power is lost).",
    "SATA_PHY_ERROR_COUNT": "Number of errors on the SATA physical link.",
    "BAD_BLOCK_COUNT": "Number of bad flash blocks.",
    "ERASE_COUNT": "Number of erase operations.",
    "BAD_CLUSTER_TABLE_COUNT": "Number of entries in the bad cluster table.",
    "HALT_SYSTEM_FLASH_ID": "Flash identification of the controller. Vendor specific.",
    "FIRMWARE_VERSION_INFORMATION": "Firmware version information. Vendor specific.",
    "ECC_FAIL_RECORD": "Record of error correction failures.",
    "WRITE_HEAD": "Write head value. Vendor specific.",
    "POWER_LOSS_PROTECTION_FAILURE": "Result of the power-loss protection self-check; a failure means data in flight may be lost at a power cut.",
    "CASE_TEMP_DIFFERENCE_FROM_100": "Case temperature given as 100 minus the temperature in degrees Celsius.",
    "UNSAFE_SHUTDOWN_COUNT": "Number of shutdowns without an orderly power-down.",
    "HOST_WRITES": "Amount of data written by the host.",
    "TIMED_WORKLOAD_MEDIA_WEAR_INDICATOR": "Media wear caused by the workload since the timer was last reset.",
    "TIMED_WORKLOAD_HOST_READS_PERCENTAGE": "Share of reads in the host workload since the timer was last reset.",
    "WORKLOAD_TIMER": "Time since the workload timer was last reset.",
    "MEDIA_WEAROUT_INDICATOR": "Wear of the flash; the normalized value falls from 100 towards 1 as the rated cycles are used up.",
    "RUNTIME_BAD_BLOCK_TOTAL": "Flash blocks that failed during use.",
    "AIR_FLOW_TEMPERATURE": "Temperature of the air flowing past the drive.",
    "ECC_ERROR_RATE": "Rate of errors corrected by the error correction code.",
    "SUPERCAP_STATUS": "Status of the supercapacitor that protects data at a power loss.",
    "EXCEPTION_MODE_STATUS": "Status of the drive's exception mode.",
    "POWER_RECOVERY_COUNT": "Number of recoveries after a power loss.",
    "NEW_FAILING_BLOCK_COUNT": "Flash blocks that failed since the drive was made.",
    "BLOCK_WEAR_LEVELING_COUNT_AVERAGE_BLOCK_ERASE_COUNT": "Average number of erase operations per flash block.",
    "NON_4K_ALIGNED_ACCESS_COUNT": "Number of accesses not aligned to 4 KiB, which cost the flash extra work.",
    "ERROR_CORRECTION_COUNT": "Number of errors corrected by the error correction code.",
    "CUMULATIVE_CORRECTED_ECC": "Total number of errors corrected by the error correction code.",
    "PERCENTAGE_LIFETIME_USED": "Share of the drive's rated life already used, in percent. It may exceed 100.",
    "PERCENTAGE_LIFETIME_REMAINING": "Share of the drive's rated life still left, in percent.",
    "SUCCESSFUL_RAIN_RECOVERY_COUNT": "Number of data recoveries by the redundant array of NAND.",
    "TOTAL_HOST_SECTOR_WRITES": "Total number of sectors written by the host.",
    "HOST_PROGRAM_PAGE_COUNT": "Flash pages programmed on behalf of the host.",
    "BACKGROUND_PROGRAM_PAGE_COUNT": "Flash pages programmed by the drive's own background work.",
    "CRITICAL_WARNING": "Critical warning bits of the NVMe health log: spare space, temperature, reliability, read-only mode, backup device.",
    "AVAIL_SPARE": "Spare capacity still available, in percent.",
    "AVAIL_SPARE_THRESHOLD": "Level of available spare below which the drive reports a critical warning.",
    "DATA_UNITS_READ": "Data read by the host, in units of 512 000 bytes.",
    "DATA_UNITS_WRITTEN": "Data written by the host, in units of 512 000 bytes.",
    "HOST_READ_CMDS": "Number of read commands completed.",
    "HOST_WRITE_CMDS": "Number of write commands completed.",
    "CTRL_BUSY_TIME": "Time the controller was busy with commands, in minutes.",
    "MEDIA_ERRORS": "Number of unrecovered data integrity errors. Any non-zero count means data may have been lost.",
    "NUM_ERR_LOG_ENTRIES": "Number of entries written to the error information log.",
    "FACTORY_BAD_BLOCK_COUNT": "Flash blocks found bad when the drive was made.",
    "WRITE_ERROR_RATE": "Rate of errors while writing to the flash.",
    "INVALID_ID": "An attribute with identifier 0 is not valid.",
    "UNKNOWN_ATTRIBUTE": "An attribute this program has no name for.",
}

# Identifiers beyond the tables: names the tables do not place, and
# names the SMART list gives itself.
FALLBACK_IDS = {
    "PROGRAM_FAIL_BLOCK_COUNT": [181],
    "ERASE_FAIL_BLOCK_COUNT": [182],
    "READ_FAILURE_BLOCK_COUNT_UNCORRECTABLE": [197],
    "UNEXPECTED_POWER_LOST_COUNT": [174],
    # The SMART list names attribute 190 of an Intel drive "Temperature".
    "TEMPERATURE": [190],
}
# Names that no identifier of 1 to 255 can carry.
NO_LINE = {"INVALID_ID", "UNKNOWN_ATTRIBUTE", "CRITICAL_WARNING"}


def main():
    texts = {}
    with open(ROOT + "/resources/Hwscope_localization.txt", encoding="utf-8-sig") as f:
        for line in f:
            m = re.match(r'SMART_ATTR_(\w+),"(.*)",', line)
            if m:
                texts[m.group(1)] = m.group(2)
    ids = {}
    for path in ("library/naming/attribute_tables.cpp", "library/naming/attribute_naming.cpp"):
        source = open(ROOT + "/" + path, encoding="utf-8").read()
        for hexid, key in re.findall(r"\{0x([0-9A-Fa-f]{2}), SMART_ATTR_(\w+)\}", source):
            ids.setdefault(key, set()).add(int(hexid, 16))
        for hexid, key in re.findall(r"attrId == 0x([0-9A-Fa-f]{2})[^;]*?SMART_ATTR_(\w+);",
                                     source):
            ids.setdefault(key, set()).add(int(hexid, 16))
    nvme = open(ROOT + "/library/naming/nvme_names.cpp", encoding="utf-8").read()
    nvme_keys = re.findall(r"SMART_ATTR_(\w+)", nvme.split("kKeys[]")[1].split("};")[0])
    for position, key in enumerate(nvme_keys):
        if position > 0:
            ids.setdefault(key, set()).add(position)
    for key, extra in FALLBACK_IDS.items():
        ids.setdefault(key, set()).update(extra)

    missing = [k for k in texts if k not in DESCRIPTIONS]
    if missing:
        sys.exit("no description for: " + ", ".join(missing))
    rows = []
    for key, name in texts.items():
        if key in NO_LINE:
            continue
        if not ids.get(key):
            sys.exit("no identifier for " + key)
        trend = 1 if key in HIGHER_WORSE else 2 if key in LOWER_WORSE else 0
        for i in sorted(ids[key]):
            if 1 <= i <= 255:
                rows.append((i, name, trend, DESCRIPTIONS[key]))
    rows.sort()
    with open(ROOT + "/resources/SMARTdesc.csv", "w", encoding="latin-1", newline="\r\n") as f:
        f.write("ID,Name,Trend,Description\n")
        for i, name, trend, text in rows:
            f.write('%d,%s,%d,"%s"\n' % (i, name, trend, text.replace('"', '""')))
    print("%d lines" % len(rows))


if __name__ == "__main__":
    main()
