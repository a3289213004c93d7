# Installs the Debian packages the project needs, when any of them is missing.
# Sourced by scripts/test and scripts/demo, after scripts/lib/errors.sh.

halvora_packages=(
  cmake ninja-build g++ pkg-config clang libclang-rt-14-dev clang-format python3
  libgtest-dev libbenchmark-dev nlohmann-json3-dev libwim-dev wimtools libarchive-dev xorriso
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth x11-utils xdotool imagemagick fonts-nanum-coding fonts-dejavu-core
  libblkid-dev libhivex-dev libhivex-bin ntfs-3g mtools dosfstools fdisk gdisk util-linux
  qemu-system-x86 ovmf grub-efi-amd64-bin
)

ensure_packages() {
  local missing=()
  local p
  for p in "${halvora_packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  local sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  run_step "Updating the package lists (apt-get update)" $sudo apt-get update -qq
  run_step "Installing the packages ${missing[*]}" \
    $sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}"
}
