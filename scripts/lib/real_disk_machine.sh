# The demo's machine with a real disk in place of its target disk: a small disk image (GPT, a
# FAT32 ESP and an NTFS partition "Target" as E:), for the fault matrix of installations onto
# real disks. Needs root (a loop device for mkntfs).
# Sourced by scripts/test, after scripts/lib/demo_install.sh.

# prepare_real_disk_machine FOLDER: the demo machine in FOLDER with disk 1 the image disk.img.
prepare_real_disk_machine() {
  local dir="$1" start size loop
  prepare_demo_machine "$dir" || return 1
  rm -rf "$dir/E" "$dir/esp1" "$dir/disk.img"
  truncate -s 72M "$dir/disk.img"
  sgdisk -n 1:2048:+34M -t 1:ef00 -c "1:EFI system partition" -n 2:0:0 -t 2:0700 "$dir/disk.img" >/dev/null
  # One sector a cluster keeps 34 MiB above FAT32's smallest size.
  mkfs.fat -F 32 -s 1 -n ESP --offset 2048 "$dir/disk.img" $((34 * 1024)) >/dev/null 2>&1
  read -r start size < <(sfdisk --json "$dir/disk.img" |
    python3 -c 'import json, sys; p = json.load(sys.stdin)["partitiontable"]["partitions"][1]; print(p["start"], p["size"])')
  loop="$(losetup -f --show -o $((start * 512)) --sizelimit $((size * 512)) "$dir/disk.img")"
  mkntfs -Q -L Target -p "$start" -H 255 -S 63 "$loop" >/dev/null 2>&1 || { losetup -d "$loop"; return 1; }
  losetup -d "$loop"
  python3 - "$dir/machine.json" <<'EOF'
import json, sys
path = sys.argv[1]
with open(path, encoding="utf-8") as f:
    machine = json.load(f)
machine["disks"][1] = {"number": 1, "image": "disk.img", "letters": {"2": "E"}, "bus": 11,
                       "vendor": "WDC", "product": "WD10EZEX"}
with open(path, "w", encoding="utf-8") as f:
    json.dump(machine, f, indent=1, ensure_ascii=False)
EOF
}
