#!/bin/sh
# End-to-end test of the Linux backend on real kernel drivers: boots a small
# Linux VM under QEMU with an AHCI SATA disk (one partition mounted), an empty
# AHCI optical drive, an NVMe disk, a USB mass-storage disk and a virtio
# disk, runs the backend probe and hwscope-info there next to smartctl, and
# compares what they read. Disk images and the initramfs are removed at exit;
# the logs and results stay in WORKDIR/run.
#
# usage: run_vm_test.sh WORKDIR PROBE [HWSCOPE_INFO]
# Exit 0 pass, 1 fail, 77 skip (QEMU or the other tools are not installed).
set -eu
WORK=$1
PROBE=$2
INFO=${3:-}
HERE=$(cd "$(dirname "$0")" && pwd)
TIMEOUT=${SW_VM_TIMEOUT:-300}

for tool in qemu-system-x86_64 smartctl dpkg mkfs.ext4 cpio gzip base64 apt-get; do
  if ! command -v "$tool" >/dev/null 2>&1; then
    echo "SKIP: $tool is not installed (run tools/setup/install-deps.sh)"
    exit 77
  fi
done
BUSYBOX=/bin/busybox
if ! [ -x "$BUSYBOX" ] || ! ldd "$BUSYBOX" 2>&1 | grep -q "not a dynamic"; then
  echo "SKIP: busybox-static is not installed (run tools/setup/install-deps.sh)"
  exit 77
fi

mkdir -p "$WORK"
CACHE="$WORK/cache"
RUN="$WORK/run"
rm -rf "$RUN"
mkdir -p "$CACHE" "$RUN"
trap 'rm -rf "$RUN"/*.img "$RUN/initramfs" "$RUN/initramfs.cpio" "$RUN/modules.all"' EXIT
started=$(date +%s)

# --- kernel: Debian's linux-image-amd64, unpacked, not installed ----------
if ! [ -f "$CACHE/kernel/ok" ]; then
  rm -rf "$CACHE/kernel" "$CACHE/deb"
  mkdir -p "$CACHE/deb"
  pkg=$(apt-cache depends linux-image-amd64 2>/dev/null | awk '/Depends: linux-image-[0-9]/ {print $2; exit}')
  if [ -z "$pkg" ]; then
    echo "FAIL: cannot resolve linux-image-amd64 (apt-get update needed?)"
    exit 1
  fi
  (cd "$CACHE/deb" && apt-get download "$pkg" >/dev/null 2>&1) || {
    echo "FAIL: apt-get download $pkg failed"
    exit 1
  }
  dpkg -x "$CACHE"/deb/*.deb "$CACHE/kernel"
  rm -rf "$CACHE/deb"
  touch "$CACHE/kernel/ok"
fi
VMLINUZ=$(ls "$CACHE"/kernel/boot/vmlinuz-* | head -n 1)
MODDIR=$(ls -d "$CACHE"/kernel/lib/modules/* | head -n 1)

# --- initramfs -------------------------------------------------------------
ROOT="$RUN/initramfs"
mkdir -p "$ROOT/bin" "$ROOT/usr/bin" "$ROOT/usr/sbin" "$ROOT/lib/modules" "$ROOT/etc" \
         "$ROOT/proc" "$ROOT/sys" "$ROOT/dev" "$ROOT/tmp" "$ROOT/mnt"
cp "$BUSYBOX" "$ROOT/bin/busybox"
cp "$HERE/vm_init.sh" "$ROOT/init"
chmod +x "$ROOT/init"

# Storage drivers and what they need, dependencies first.
find "$MODDIR" -name '*.ko' > "$RUN/modules.all"
module_file() {
  pattern=$(echo "$1" | sed 's/[-_]/[-_]/g')
  grep -E "/$pattern\.ko$" "$RUN/modules.all" | head -n 1
}
: > "$ROOT/etc/modules.load"
add_module() {
  local f deps d name
  f=$(module_file "$1")
  [ -n "$f" ] || return 0   # built into the kernel
  deps=$(tr '\0' '\n' < "$f" | sed -n 's/^depends=//p' | tr ',' ' ')
  for d in $deps; do add_module "$d"; done
  name=$(basename "$f" .ko)
  grep -qx "$name" "$ROOT/etc/modules.load" || {
    cp "$f" "$ROOT/lib/modules/$name.ko"
    echo "$name" >> "$ROOT/etc/modules.load"
  }
}
for m in crc32c_generic crc32c-intel libata libahci ahci scsi_mod sd_mod cdrom sr_mod nvme-core nvme \
         virtio virtio_ring virtio_pci virtio_blk usbcore xhci-hcd xhci-pci usb-storage \
         crc16 mbcache jbd2 ext4; do
  add_module "$m"
done

# Programs and the shared libraries they load.
copy_program() {
  cp "$1" "$ROOT/$2"
  ldd "$1" | awk '/=>/ {print $3} /^[[:space:]]*\/.*ld-linux/ {print $1}' | while read -r lib; do
    [ -f "$lib" ] || continue
    mkdir -p "$ROOT$(dirname "$lib")"
    cp -L "$lib" "$ROOT$lib"
    # libraries beside the program (libhwscope.so) are found through RPATH
  done
}
copy_program "$PROBE" usr/bin/backend_probe
if [ -n "$INFO" ]; then
  copy_program "$INFO" usr/bin/hwscope-info
  for lib in "$(dirname "$INFO")"/*.so*; do [ -f "$lib" ] && cp "$lib" "$ROOT/usr/bin/"; done
  for f in "$(dirname "$INFO")"/*.txt; do [ -f "$f" ] && cp "$f" "$ROOT/usr/bin/"; done
fi
copy_program "$(command -v smartctl)" usr/sbin/smartctl
mkdir -p "$ROOT/lib64"
(cd "$ROOT" && find . | cpio -o -H newc 2>/dev/null) > "$RUN/initramfs.cpio"

# --- disks: sizes are whole cylinders of 255 x 63 x 512 bytes ---------------
CYL=8225280
truncate -s $((CYL * 16)) "$RUN/sata.img"
truncate -s $((CYL * 8)) "$RUN/nvme.img"
truncate -s $((CYL * 6)) "$RUN/usb.img"
truncate -s $((CYL * 4)) "$RUN/virtio.img"
# One partition from sector 2048 to the end, type 0x83, in an MBR.
sectors=$((CYL * 16 / 512))
part=$((sectors - 2048))
le32() { printf "\\$(printf %03o $(($1 & 255)))\\$(printf %03o $(($1 >> 8 & 255)))\\$(printf %03o $(($1 >> 16 & 255)))\\$(printf %03o $(($1 >> 24 & 255)))"; }
{
  printf '\000\040\041\000\203\376\377\377'
  le32 2048
  le32 $part
} | dd of="$RUN/sata.img" bs=1 seek=446 conv=notrunc status=none
printf '\125\252' | dd of="$RUN/sata.img" bs=1 seek=510 conv=notrunc status=none
mkfs.ext4 -q -F -E offset=$((2048 * 512)) "$RUN/sata.img" $((part / 2))k

# --- boot ------------------------------------------------------------------
booted=$(date +%s)
set +e
timeout "$TIMEOUT" qemu-system-x86_64 -M q35 -m 512 -smp 1 -nographic -no-reboot \
  -kernel "$VMLINUZ" -initrd "$RUN/initramfs.cpio" \
  -append "console=ttyS0 quiet loglevel=3 panic=-1 rdinit=/init" \
  -nic none -serial "file:$RUN/console.log" -serial "file:$RUN/results.txt" -monitor none \
  -drive if=none,id=satadisk,file="$RUN/sata.img",format=raw \
  -device "ide-hd,drive=satadisk,bus=ide.0,model=HWSCOPE SATA TEST DISK,serial=SATA0001,ver=1.2.3" \
  -drive if=none,id=cdrom,media=cdrom -device ide-cd,drive=cdrom,bus=ide.1 \
  -drive if=none,id=nvmedisk,file="$RUN/nvme.img",format=raw \
  -device nvme,drive=nvmedisk,serial=NVME0001 \
  -device qemu-xhci,id=xhci \
  -drive if=none,id=usbdisk,file="$RUN/usb.img",format=raw \
  -device usb-storage,bus=xhci.0,drive=usbdisk,serial=USB0001 \
  -drive if=virtio,file="$RUN/virtio.img",format=raw \
  < /dev/null > "$RUN/qemu.log" 2>&1
rc=$?
set -e
finished=$(date +%s)
echo "VM: prepared in $((booted - started)) s, booted and ran in $((finished - booted)) s (qemu exit $rc)"
if [ $rc -eq 124 ]; then
  echo "FAIL: the VM did not power off within $TIMEOUT s"
  tail -n 30 "$RUN/console.log"
  exit 1
fi

sed -n '/=====BEGIN RESULTS=====/,/=====END RESULTS=====/p' "$RUN/results.txt" | sed '1d;$d' | tr -d '\r' \
  | base64 -d 2>/dev/null | (cd "$RUN" && tar xmf -) || true
if ! [ -f "$RUN/out/probe.json" ]; then
  echo "FAIL: the VM sent no results"
  tail -n 40 "$RUN/console.log"
  cat "$RUN/qemu.log"
  exit 1
fi
python3 "$HERE/compare_results.py" "$RUN/out"
