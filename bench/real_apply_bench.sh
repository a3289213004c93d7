#!/usr/bin/env bash
# The real-disk apply benchmark: how long the program takes to install an image onto the NTFS
# partition of a disk image compared with wimlib's own apply onto the same partition.
#
# A generated tree of about 1 GiB (HALVORA_BENCH_MIB) of mixed files (bench/lib/bench_tree.sh)
# is captured as an LZX WIM. A 4 GiB sparse GPT disk image holds an ESP (FAT32) and an NTFS
# partition. Then, alternately, three times each (HALVORA_BENCH_RUNS), each onto a partition
# freshly made with mkntfs -Q (and a fresh ESP):
#   - wimlib-imagex apply WIM 1 /dev/loopNp2 (NTFS-3G mode), the image attached with partx;
#   - halvora-sim (Release build in build/bench, or HALVORA_BENCH_SIM) running the program
#     unattended with /ImageFile:D:\install.wim /Index:1 /ApplyDrv:E: /after:Finish /ApplyStart
#     on a machine whose disk 1 is the disk image, E: its NTFS partition: the runner's loop
#     devices and mounts, the checks, the apply, Bcdboot and the summary are all timed.
# Reported: the median wall time of each and their ratio (program / wimlib).
#
# Needs root. Everything is made in a temporary folder under /tmp (HALVORA_BENCH_TMP for another
# parent), removed at the end with every loop device it attached. Not part of the tests: it
# measures, it does not pass or fail, though it stops when a run fails or the program's volume
# does not hold the tree.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/errors.sh
source scripts/lib/packages.sh
source bench/lib/bench_tree.sh
source bench/lib/bench_build.sh
ensure_packages
[ "$(id -u)" -eq 0 ] || die "bench/real_apply_bench.sh attaches loop devices: run it as root"

mib="${HALVORA_BENCH_MIB:-1024}"
runs="${HALVORA_BENCH_RUNS:-3}"
sim="${HALVORA_BENCH_SIM:-build/bench/halvora-sim}"

if [ -z "${HALVORA_BENCH_SIM:-}" ]; then
  build_bench_sim
fi
sim="$(realpath "$sim")"

work="$(mktemp -d "${HALVORA_BENCH_TMP:-/tmp}/halvora-real-apply-bench.XXXXXX")"
loop=""     # the loop device attached now, if any
mounted=""  # the ntfs-3g mount of the last check, if any
cleanup() {
  trap - ERR
  if [ -n "$mounted" ]; then umount "$mounted" 2>/dev/null || true; fi
  if [ -n "$loop" ]; then
    partx -d "$loop" 2>/dev/null || true
    losetup -d "$loop" 2>/dev/null || true
  fi
  rm -rf "$work"
}
trap cleanup EXIT

echo "Generating the tree in $work"
machine="$work/machine"
mkdir -p "$machine/D" "$machine/C/Windows/System32" "$machine/C/Temp" "$machine/C/Halvora" "$machine/esp0"
tree_summary="$(make_tree "$work/tree" "$mib")"
echo "  $tree_summary"
echo "Capturing it as an LZX WIM"
wim="$machine/D/install.wim"
wimcapture "$work/tree" "$wim" "Bench" --compress=LZX --image-property WINDOWS/ARCH=9 >/dev/null ||
  die "wimcapture failed"
echo "  $(($(stat -c %s "$wim") / 1024 / 1024)) MiB"

# --- The disk -------------------------------------------------------------------------------

disk="$machine/disk.img"
truncate -s 4G "$disk"
sgdisk -n 1:2048:+100M -t 1:EF00 -n 2:0:0 -t 2:0700 "$disk" >/dev/null || die "sgdisk failed"
# start,size in sectors of partition N.
part_sectors() { sfdisk --json "$disk" | python3 -c "import json,sys; p=json.load(sys.stdin)['partitiontable']['partitions'][$1-1]; print(p['start'], p['size'])"; }
read -r esp_start esp_size < <(part_sectors 1)
read -r ntfs_start ntfs_size < <(part_sectors 2)

# fresh_volumes: an empty ESP and an empty NTFS partition, as before every run.
fresh_volumes() {
  mkfs.fat -F 32 -s 1 -n SYSTEM --offset "$esp_start" "$disk" $((esp_size / 2)) >/dev/null 2>&1 ||
    die "mkfs.fat on the ESP failed"
  loop="$(losetup -f --show -o $((ntfs_start * 512)) --sizelimit $((ntfs_size * 512)) "$disk")"
  mkntfs -Q -L Target -p "$ntfs_start" -H 255 -S 63 "$loop" >/dev/null 2>&1 || die "mkntfs on $loop failed"
  losetup -d "$loop"
  loop=""
}

printf 'MZ' > "$machine/C/Windows/System32/wimgapi.dll"
printf 'MZ' > "$machine/C/Windows/System32/Bcdboot.exe"
cat > "$machine/machine.json" <<'JSON'
{
  "versionResources": {"C:\\Windows\\System32\\wimgapi.dll": {"strings": {"FileVersion": "10.0.19041.1"}}},
  "drives": {"D": "D"},
  "disks": [
    {"number": 0, "style": "GPT", "partitions": [
      {"number": 1, "gptType": "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", "fileSystem": "FAT32",
       "size": 104857600, "folder": "esp0"},
      {"number": 2, "letter": "C", "size": 68719476736, "folder": "C"}]},
    {"number": 1, "image": "disk.img", "letters": {"2": "E"}}
  ]
}
JSON
echo '[{"answer": "Yes"}, {"waitIdle": true}, {"advance": 6000}]' > "$machine/script.json"

# --- The runs -------------------------------------------------------------------------------

# timed NAME COMMAND...: runs the command; appends its wall seconds to $work/NAME.times.
timed() {
  local name="$1" start end
  shift
  sync  # what the previous run wrote is not written back during this one
  start=$(date +%s.%N)
  "$@" >"$work/$name.log" 2>&1 || { tail -n 20 "$work/$name.log" >&2; die "$name failed: $*"; }
  end=$(date +%s.%N)
  echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }' >> "$work/$name.times"
}

# The partition's loop device is made before the clock starts and removed after it stops, as
# the runner of the program makes its own within its time.
wimlib_apply() {
  local device="$1"
  wimlib-imagex apply "$wim" 1 "$device" || return
  sync
}

run_wimlib() {
  fresh_volumes
  loop="$(losetup -f --show "$disk")"
  partx -a "$loop"
  timed wimlib wimlib_apply "${loop}p2"
  partx -d "$loop"
  losetup -d "$loop"
  loop=""
}

program_install() {
  "$sim" --machine "$machine/machine.json" --script "$machine/script.json" --report "$work/report.json" \
    --wait-limit 1200 -- '/ImageFile:D:\install.wim' /Index:1 /ApplyDrv:E: /after:Finish /ApplyStart || return
  sync
}

run_program() {
  fresh_volumes
  rm -f "$machine/C/Halvora/HLV_xSET.ini"
  timed program program_install
  [ -z "$(losetup -j "$disk")" ] || die "the program's run left $disk attached: $(losetup -j "$disk")"
}

# Each goes first in every other run, so that neither always follows the other's writes.
for run in $(seq 1 "$runs"); do
  if [ $((run % 2)) -eq 1 ]; then
    run_wimlib
    run_program
  else
    run_program
    run_wimlib
  fi
  echo "  run $run: wimlib $(tail -n 1 "$work/wimlib.times") s, program $(tail -n 1 "$work/program.times") s"
done

# An odd run ends with the program's; after an even one an untimed program run puts the tree
# back on the partition for the check.
if [ $((runs % 2)) -eq 0 ]; then
  fresh_volumes
  program_install >"$work/check.log" 2>&1 || { tail -n 20 "$work/check.log" >&2; die "the check's program run failed"; }
fi
loop="$(losetup -f --show -r -o $((ntfs_start * 512)) --sizelimit $((ntfs_size * 512)) "$disk")"
mounted="$work/mnt"
mkdir -p "$mounted"
ntfs-3g -o ro "$loop" "$mounted"
diff -rq "$work/tree" "$mounted" --exclude='System Volume Information' >/dev/null ||
  die "the program's NTFS partition differs from the captured tree"
umount "$mounted"
mounted=""
losetup -d "$loop"
loop=""

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
wimlib_median="$(median "$work/wimlib.times")"
program_median="$(median "$work/program.times")"
echo
echo "Apply of $tree_summary as LZX onto an NTFS partition of a disk image, $runs runs each"
printf '  %-36s median %8.3f s\n' "wimlib-imagex apply WIM 1 /dev/loopNp2" "$wimlib_median"
printf '  %-36s median %8.3f s\n' "halvora-sim install onto disk.img" "$program_median"
awk -v p="$program_median" -v w="$wimlib_median" 'BEGIN { printf "  ratio program / wimlib: %.3f (aim: 1.1 or less)\n", p / w }'
