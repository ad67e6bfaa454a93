#!/bin/busybox sh
# PID 1 of the test VM: load the storage drivers, mount the test partition,
# run the programs under test and the reference tool, send the results out
# on the second serial port and power off.
/bin/busybox --install -s /bin
export PATH=/bin:/usr/sbin:/usr/bin
mount -t proc proc /proc
mount -t sysfs sys /sys
mount -t devtmpfs dev /dev
for m in $(cat /etc/modules.load); do insmod "/lib/modules/$m.ko" 2>/dev/null; done

# Wait for the four disks (SATA, NVMe, USB, virtio) to appear.
i=0
while [ $i -lt 300 ]; do
  n=$(ls /sys/block | grep -c -E '^(sd|nvme|vd)')
  [ "$n" -ge 4 ] && break
  sleep 0.2
  i=$((i + 1))
done


mkdir -p /out /mnt/data
for b in /sys/block/*; do
  name=${b##*/}
  echo "$name $(cat $b/size) $(readlink -f $b)" >> /out/blocks.txt
done
sata=$(for b in /sys/block/sd*; do readlink -f $b | grep -q '/ata[0-9]' && echo ${b##*/}; done | head -n 1)
mount -t ext4 "/dev/${sata}1" /mnt/data && echo "hello" > /mnt/data/file.txt
cat /proc/self/mountinfo > /out/mountinfo.txt

/usr/bin/backend_probe > /out/probe.json 2> /out/probe.err
/usr/bin/backend_probe > /out/probe2.json 2>> /out/probe.err
if [ -x /usr/bin/hwscope-info ]; then
  /usr/bin/hwscope-info --json > /out/info.json 2> /out/info.err
  echo $? > /out/info.rc
fi
for b in /sys/block/*; do
  name=${b##*/}
  case $name in sd*|nvme*|vd*) smartctl --json -a /dev/$name > /out/smartctl-$name.json 2>&1 ;; esac
done
dmesg > /out/dmesg.txt

stty -F /dev/ttyS1 raw -echo 2>/dev/null
{ echo "=====BEGIN RESULTS====="; (cd / && tar cf - out) | base64; echo "=====END RESULTS====="; } > /dev/ttyS1
sync
poweroff -f
