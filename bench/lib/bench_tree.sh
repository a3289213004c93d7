# The generated tree the apply benchmarks capture: about MIB MiB of mixed files, some
# incompressible, some half compressible, some very compressible, in many small files, some
# hundreds of medium ones and a few large ones. The same sizes on every run.
# Sourced by bench/apply_bench.sh and bench/real_apply_bench.sh.

# write_file PATH BYTES KIND: 0 random, 1 base64 of random (about 3/4 after compression),
# 2 repeated text lines (very compressible), 3 half random, half zeros.
write_file() {
  local path="$1" bytes="$2" kind="$3"
  # head ends the pipes early on purpose: what feeds it then stops on SIGPIPE, no failure.
  set +o pipefail
  case "$kind" in
    0) head -c "$bytes" /dev/urandom ;;
    1) head -c "$bytes" /dev/urandom | base64 -w 76 | head -c "$bytes" ;;
    2) yes "$(basename "$path"): entry $bytes of the generated tree, with some words that repeat" | head -c "$bytes" ;;
    3) { head -c $((bytes / 2)) /dev/urandom; head -c $((bytes - bytes / 2)) /dev/zero; } ;;
  esac > "$path"
  set -o pipefail
}

# make_tree FOLDER MIB: writes the tree; prints "N files, M MiB".
make_tree() {
  local root="$1" target=$(( $2 * 1024 * 1024 )) total=0 i=0 size dir
  RANDOM=42  # the same sizes on every run
  # What Bcdboot looks for in the installed Windows.
  mkdir -p "$root/Windows/System32" "$root/Windows/Boot/EFI"
  printf 'MZ winload.efi\n' > "$root/Windows/System32/winload.efi"
  printf 'MZ bootmgfw.efi\n' > "$root/Windows/Boot/EFI/bootmgfw.efi"
  while [ "$total" -lt "$target" ]; do
    dir="$root/Folder$((i % 13))/Sub$((i % 7))"
    mkdir -p "$dir"
    if [ $((i % 500)) -eq 499 ]; then
      size=$(( (24 + RANDOM % 40) * 1024 * 1024 ))        # 24 to 63 MiB
    elif [ $((i % 20)) -eq 19 ]; then
      size=$(( (256 + RANDOM % 3840) * 1024 ))            # 256 KiB to 4 MiB
    else
      size=$(( 512 + RANDOM * 4 ))                        # 512 bytes to 128 KiB
    fi
    write_file "$dir/file$i.bin" "$size" $((i % 4))
    total=$((total + size))
    i=$((i + 1))
  done
  echo "$i files, $((total / 1024 / 1024)) MiB"
}
