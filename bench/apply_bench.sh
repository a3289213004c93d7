#!/usr/bin/env bash
# The apply benchmark: how long the program takes to install an image compared with wimlib's own
# `wimlib-imagex apply` of the same image, and how much memory each needs.
#
# A generated tree of about 1 GiB (HALVORA_BENCH_MIB) of mixed files, some incompressible, some
# half compressible, some very compressible, is captured as an LZX WIM. Then, alternately, three
# times each (HALVORA_BENCH_RUNS):
#   - wimlib-imagex apply WIM 1 DIR
#   - halvora-sim (Release build in build/bench) running the program unattended with
#     /ImageFile:D:\sources\install.wim /Index:1 /ApplyDrv:E: /after:Finish /ApplyStart
#     on a machine whose D: holds the WIM: checks, the apply with the program's progress
#     callback, Bcdboot and the summary, so the whole installation is timed.
# Reported: the median wall time of each, their ratio (program / wimlib) and each one's peak
# resident memory (/usr/bin/time's "Maximum resident set size", largest of the runs).
#
# Everything is made in a temporary folder under /tmp (HALVORA_BENCH_TMP for another parent),
# removed at the end. Not part of the tests: it measures, it does not pass or fail, though it
# stops when a run fails or the two applies do not give the same tree.
set -Eeuo pipefail
cd "$(dirname "$0")/.."
source scripts/lib/errors.sh
source scripts/lib/packages.sh
source bench/lib/bench_tree.sh
source bench/lib/bench_build.sh
halvora_packages+=(time)
ensure_packages

mib="${HALVORA_BENCH_MIB:-1024}"
runs="${HALVORA_BENCH_RUNS:-3}"
sim="build/bench/halvora-sim"

build_bench_sim

work="$(mktemp -d "${HALVORA_BENCH_TMP:-/tmp}/halvora-apply-bench.XXXXXX")"
trap 'rm -rf "$work"' EXIT

# --- The tree -------------------------------------------------------------------------------

echo "Generating the tree in $work"
machine="$work/machine"
mkdir -p "$machine/D/sources"
tree_summary="$(make_tree "$work/tree" "$mib")"
echo "  $tree_summary"
echo "Capturing it as an LZX WIM"
wimcapture "$work/tree" "$machine/D/sources/install.wim" "Bench" --compress=LZX \
  --image-property WINDOWS/ARCH=9 >/dev/null || die "wimcapture failed"
echo "  $(($(stat -c %s "$machine/D/sources/install.wim") / 1024 / 1024)) MiB"
mkdir -p "$machine/C/Windows/System32" "$machine/C/Temp" "$machine/C/Halvora"
printf 'MZ' > "$machine/C/Windows/System32/wimgapi.dll"
printf 'MZ' > "$machine/C/Windows/System32/Bcdboot.exe"
# machine_for RUN: the machine description of one program run, whose E: and ESP are folders of
# that run alone (see the runs below).
machine_for() {
  cat > "$machine/machine-$1.json" <<EOF
{
  "versionResources": {"C:\\\\Windows\\\\System32\\\\wimgapi.dll": {"strings": {"FileVersion": "10.0.19041.1"}}},
  "drives": {"C": "C", "D": "D"},
  "disks": [
    {"number": 0, "style": "GPT", "partitions": [
      {"number": 1, "gptType": "{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}", "fileSystem": "FAT32",
       "size": 104857600, "folder": "esp-$1"},
      {"number": 2, "letter": "E", "size": 68719476736, "folder": "E-$1"}]}
  ]
}
EOF
  mkdir -p "$machine/E-$1" "$machine/esp-$1"
}
echo '[{"answer": "Yes"}, {"waitIdle": true}, {"advance": 6000}]' > "$machine/script.json"

# --- The runs -------------------------------------------------------------------------------

# Every run writes into a folder of its own and nothing is deleted until the end: ext4 keeps
# inodes freed in the last minutes out of new files, and the search for others made file
# creation after a large delete cost more than the apply itself, differently from run to run.

# timed NAME COMMAND...: runs the command under /usr/bin/time; appends its wall seconds to
# $work/NAME.times, its processor seconds (user and system) to NAME.cpu and its peak resident
# kilobytes to NAME.rss.
timed() {
  local name="$1" start end
  shift
  sync  # what the previous run wrote is not written back during this one
  start=$(date +%s.%N)
  /usr/bin/time -v -o "$work/time.out" "$@" >"$work/$name.log" 2>&1 ||
    { tail -n 20 "$work/$name.log" >&2; die "$name failed: $*"; }
  end=$(date +%s.%N)
  echo "$start $end" | awk '{ printf "%.3f\n", $2 - $1 }' >> "$work/$name.times"
  awk -F': ' '/User time/ { u = $2 } /System time/ { s = $2 } END { printf "%.2f\n", u + s }' \
    "$work/time.out" >> "$work/$name.cpu"
  awk -F': ' '/Maximum resident set size/ { print $2 }' "$work/time.out" >> "$work/$name.rss"
}

run_wimlib() {
  mkdir -p "$work/wimlib-$1"
  timed wimlib wimlib-imagex apply "$machine/D/sources/install.wim" 1 "$work/wimlib-$1"
}

run_program() {
  machine_for "$1"
  rm -f "$machine/C/Halvora/HLV_xSET.ini"
  timed program "$sim" --machine "$machine/machine-$1.json" --script "$machine/script.json" \
    --report "$work/report-$1.json" --wait-limit 600 -- \
    '/ImageFile:D:\sources\install.wim' /Index:1 /ApplyDrv:E: /after:Finish /ApplyStart
}

# Each goes first in every other run, so that neither always follows the other's writes.
for run in $(seq 1 "$runs"); do
  if [ $((run % 2)) -eq 1 ]; then
    run_wimlib "$run"
    run_program "$run"
  else
    run_program "$run"
    run_wimlib "$run"
  fi
  echo "  run $run: wimlib $(tail -n 1 "$work/wimlib.times") s, program $(tail -n 1 "$work/program.times") s"
done

# Bcdboot writes onto the ESP, so E: holds the image and nothing else.
diff -rq "$work/tree" "$machine/E-$runs" >/dev/null || die "the program's E: differs from the captured tree"
diff -rq "$work/tree" "$work/wimlib-$runs" >/dev/null || die "wimlib's output differs from the captured tree"

median() { sort -n "$1" | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
peak() { sort -n "$1" | tail -n 1; }
wimlib_median="$(median "$work/wimlib.times")"
program_median="$(median "$work/program.times")"
echo
echo "Apply of $tree_summary as LZX, $runs runs each"
printf '  %-22s median %8.3f s (processor %6.2f s)   peak RSS %7d KiB\n' "wimlib-imagex apply" \
  "$wimlib_median" "$(median "$work/wimlib.cpu")" "$(peak "$work/wimlib.rss")"
printf '  %-22s median %8.3f s (processor %6.2f s)   peak RSS %7d KiB\n' "halvora-sim install" \
  "$program_median" "$(median "$work/program.cpu")" "$(peak "$work/program.rss")"
awk -v p="$program_median" -v w="$wimlib_median" 'BEGIN { printf "  ratio program / wimlib: %.3f (aim: 1.05 or less)\n", p / w }'
