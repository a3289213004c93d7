# Makes the install image that scripts/demo applies: a Windows-like tree (the boot manager and
# loaders that Bcdboot needs, and some hundreds of small files in a few folders) captured with
# wimcapture as one LZX image carrying the Windows metadata an install.wim has.
# Sourced by scripts/demo, after scripts/lib/errors.sh.

# What the image's boot manager prints on the serial console when a machine starts it.
demo_boot_marker="Halvora demo: the installed boot manager is running"

# demo_boot_manager FILE: a small x86-64 EFI program in place of Windows' boot manager, made with
# grub-mkstandalone: it prints demo_boot_marker on the first serial port and halts, so a virtual
# machine booting an installed disk shows that the firmware found and started it.
demo_boot_manager() {
  local work
  work="$(mktemp -d "${TMPDIR:-/tmp}/halvora-demo-efi.XXXXXX")"
  printf 'serial\nterminal_output serial\necho %s\nhalt\n' "$demo_boot_marker" > "$work/grub.cfg"
  grub-mkstandalone -O x86_64-efi -o "$1" --modules="serial terminal echo halt" \
    --install-modules="normal serial terminal echo halt" --locales= --fonts= --themes= \
    "boot/grub/grub.cfg=$work/grub.cfg" >"$work/log" 2>&1 || { cat "$work/log" >&2; rm -rf "$work"; return 1; }
  rm -rf "$work"
}

# demo_tree FOLDER: writes the tree into FOLDER, which must not exist yet.
demo_tree() {
  local root="$1" i
  mkdir -p "$root/Windows/System32/drivers" "$root/Windows/System32/ko-KR" "$root/Windows/Boot/EFI" \
    "$root/Windows/Boot/PCAT" "$root/Windows/Fonts" "$root/Windows/INF" \
    "$root/Program Files/Common Files/System" "$root/Users/Public/Documents" "$root/ProgramData/Halvora"
  printf 'MZ winload.efi: the UEFI loader\n' > "$root/Windows/System32/winload.efi"
  printf 'MZ winload.exe: the BIOS loader\n' > "$root/Windows/System32/winload.exe"
  demo_boot_manager "$root/Windows/Boot/EFI/bootmgfw.efi" || return 1
  printf 'bootmgr: the BIOS boot manager\n' > "$root/Windows/Boot/PCAT/bootmgr"
  mkdir -p "$root/Windows/Boot/Fonts"
  printf 'font: the boot fonts\n' > "$root/Windows/Boot/Fonts/wgl4_boot.ttf"
  # Small files whose contents differ, so that every one is a stream of its own in the image.
  for i in $(seq -w 1 240); do
    printf 'MZ system library %s\n%0*d\n' "$i" $((10#$i * 8)) 0 > "$root/Windows/System32/lib$i.dll"
  done
  for i in $(seq -w 1 60); do
    printf 'MZ driver %s\n' "$i" > "$root/Windows/System32/drivers/drv$i.sys"
    printf 'MUI %s ko-KR\n' "$i" > "$root/Windows/System32/ko-KR/lib$i.dll.mui"
  done
  for i in $(seq -w 1 40); do
    printf 'font %s\n%0*d\n' "$i" $((10#$i * 32)) 0 > "$root/Windows/Fonts/font$i.ttf"
  done
  for i in $(seq -w 1 80); do
    printf '[Version]\nSignature="$Windows NT$"\nClass=Device%s\n' "$i" > "$root/Windows/INF/oem$i.inf"
  done
  for i in $(seq -w 1 30); do
    printf 'MZ common %s\n' "$i" > "$root/Program Files/Common Files/System/common$i.dll"
    printf 'Public document %s\n' "$i" > "$root/Users/Public/Documents/document$i.txt"
  done
  printf 'Installed by Halvora on a simulated machine.\n' > "$root/ProgramData/Halvora/readme.txt"
}

# make_demo_image WIMFILE: captures a fresh tree into WIMFILE (written whole or not at all).
make_demo_image() {
  local wim="$1" work
  work="$(mktemp -d "${TMPDIR:-/tmp}/halvora-demo-image.XXXXXX")"
  demo_tree "$work/tree" || { rm -rf "$work"; return 1; }
  mkdir -p "$(dirname "$wim")"
  if ! wimcapture "$work/tree" "$wim.part" "Windows 10 Pro" "Windows 10 Pro" --compress=LZX \
      --image-property WINDOWS/ARCH=9 --image-property WINDOWS/VERSION/MAJOR=10 \
      --image-property WINDOWS/VERSION/MINOR=0 --image-property WINDOWS/VERSION/BUILD=19041 \
      --image-property WINDOWS/LANGUAGES/LANGUAGE=ko-KR --image-property WINDOWS/LANGUAGES/DEFAULT=ko-KR --image-property FLAGS=Professional \
      --image-property "DISPLAYNAME=Windows 10 Pro" >"$work/log" 2>&1; then
    cat "$work/log" >&2
    rm -rf "$work" "$wim.part"
    return 1
  fi
  mv "$wim.part" "$wim"
  rm -rf "$work"
}
