# The whole installation on a simulated machine, as scripts/demo shows it: halvora-sim runs the
# program with an unattended command line on the machine of scripts/demo-machine/, and what
# landed on the target volume and its ESP is listed afterwards.
# Sourced by scripts/demo, after scripts/lib/errors.sh and scripts/lib/demo_image.sh.

demo_arguments=('/ImageFile:D:\sources\install.wim' /Index:1 /ApplyDrv:E: /after:Finish /ApplyStart)

# prepare_demo_machine FOLDER: lays out the machine's drives in FOLDER. The volumes start empty
# on every run, so every run installs anew; the image on D: is made once and kept.
prepare_demo_machine() {
  local dir="$1"
  mkdir -p "$dir"
  rm -rf "$dir/C" "$dir/E" "$dir/esp0" "$dir/esp1" "$dir/report.json"
  mkdir -p "$dir/C/Windows/System32" "$dir/C/Temp" "$dir/C/Halvora" "$dir/E" "$dir/esp0" "$dir/esp1"
  # The program looks for these files before it offers the imaging library and the boot tool;
  # what they hold does not matter, the sim answers for them.
  printf 'MZ' > "$dir/C/Windows/System32/wimgapi.dll"
  printf 'MZ' > "$dir/C/Windows/System32/Bcdboot.exe"
  cp scripts/demo-machine/machine.json scripts/demo-machine/script.json "$dir/"
  # An image from before its boot manager was a real EFI program is made again.
  if [ ! -s "$dir/D/sources/install.wim" ] || ! wimdir "$dir/D/sources/install.wim" 1 2>/dev/null |
      grep -q '^/Windows/Boot/Fonts/wgl4_boot.ttf$'; then
    echo "Making the install image D:\\sources\\install.wim with wimcapture (once; kept for later runs)"
    make_demo_image "$dir/D/sources/install.wim" || die "the demo's install image could not be made (wimcapture)"
  fi
}

# Shows the trace as it comes, with the apply's progress in steps of ten percent rather than one
# line for each percent.
condense_progress() {
  awk '
    /^\[status 0\]/ {
      percent = $0; gsub(/[^0-9]/, "", percent); percent += 0
      if (percent == 0 || percent == 100 || int(percent / 10) > int(shown / 10)) {
        printf "[progress] %d%%\n", percent; fflush()
      }
      shown = percent; next
    }
    { print; fflush() }'
}

# The text of a JSON string as the report holds it, for the few escapes it can contain here.
json_text() {
  sed -e 's/^"//' -e 's/"$//' -e 's/\\"/"/g' -e 's/\\\\/\\/g'
}

# run_demo_install SIM FOLDER: runs the installation; stops the demo when it does not end as a
# finished installation does (exit code 0, image and boot files in place).
run_demo_install() {
  local sim="$1" dir="$2" status=0
  echo
  echo "== An unattended installation on a simulated machine"
  echo "   disk 0 (GPT, NVMe): ESP, C: (the running Windows)"
  echo "   disk 1 (GPT, SATA): ESP without a letter, E: \"Target\""
  echo "   D:\\sources\\install.wim: \"Windows 10 Pro\", $(wiminfo "$dir/D/sources/install.wim" 1 |
    awk -F': *' '/^File Count/ { print $2 }') files, LZX"
  echo "   halvora.exe ${demo_arguments[*]}"
  echo "   The person answers the confirmation Yes, then lets the summary box count down."
  echo
  "$sim" --machine "$dir/machine.json" --script "$dir/script.json" --report "$dir/report.json" --trace \
    -- "${demo_arguments[@]}" | condense_progress || status=$?
  echo
  local bcdboot
  bcdboot="$(grep -oE '"CreateProcessW ([^"\\]|\\.)*"' "$dir/report.json" | json_text || true)"
  [ -z "$bcdboot" ] || echo "Bcdboot started as: ${bcdboot#CreateProcessW }"
  echo "halvora.exe ended with exit code $status"
  [ "$status" -eq 0 ] || die "the installation on the simulated machine did not end with exit code 0 (report: $dir/report.json)"
  [ -f "$dir/E/Windows/System32/winload.efi" ] || die "the image's files did not land on E: ($dir/E)"
  [ -f "$dir/esp1/EFI/Microsoft/Boot/BCD" ] || die "Bcdboot wrote no boot store onto the target's ESP ($dir/esp1)"
}

# files_in FOLDER: "N files" (or "1 file") below FOLDER.
files_in() {
  local count
  count="$(find "$1" -type f | wc -l)"
  if [ "$count" -eq 1 ]; then printf '%4d file' 1; else printf '%4d files' "$count"; fi
}

# show_landed FOLDER: what the installation left on E: and on the target disk's ESP.
show_landed() {
  local dir="$1" top sub
  echo
  echo "== What landed on E: ($(files_in "$dir/E" | sed 's/^ *//'), $(du -sh "$dir/E" | cut -f1))"
  for top in "$dir"/E/*/; do
    printf '   %-30s %s\n' "$(basename "$top")\\" "$(files_in "$top")"
    for sub in "$top"*/; do
      [ -d "$sub" ] || continue
      printf '     %-28s %s\n' "$(basename "$sub")\\" "$(files_in "$sub")"
    done
  done
  echo
  echo "== The ESP of E:'s disk (mounted as Q: during the installation)"
  (cd "$dir/esp1" && find . -type f -printf '   %P  (%s bytes)\n' | sed 's|/|\\|g' | sort)
  echo "   The boot store EFI\\Microsoft\\Boot\\BCD:"
  sed 's/^/     /' "$dir/esp1/EFI/Microsoft/Boot/BCD"
  echo
}
