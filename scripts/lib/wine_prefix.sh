# Prepares a Wine prefix for halvora.exe: a first start without Mono or Gecko installers, Wine
# reporting Windows 10, and fonts that have Hangul and the symbols of the title strip.
# Sourced by scripts/demo and tests/wine/run_wine_tests.sh; WINEPREFIX must be set.
# prepare_wine_prefix says what failed on standard error and returns non-zero when it fails.

hangul_font=/usr/share/fonts/truetype/nanum/NanumGothicCoding.ttf
symbol_font=/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf

export WINEDLLOVERRIDES="mscoree,mshtml="
export WINEDEBUG=-all

prepare_wine_prefix() {
  # wineboot refuses a prefix whose parent folder does not exist, as on a machine whose HOME has
  # never held a cache folder.
  if ! mkdir -p "$(dirname "$WINEPREFIX")"; then
    echo "Cannot create the folder of the Wine prefix $WINEPREFIX" >&2
    return 1
  fi
  local log
  log="$(mktemp "${TMPDIR:-/tmp}/halvora-wineboot.XXXXXX")"
  if ! wineboot -i >"$log" 2>&1; then
    echo "wineboot could not prepare the Wine prefix $WINEPREFIX:" >&2
    tail -n 20 "$log" >&2
    rm -f "$log"
    return 1
  fi
  rm -f "$log"
  wineserver -w 2>/dev/null
  # Wine reports Windows 7 unless told otherwise; the program is made for Windows 8 to 11.
  wine reg add 'HKCU\Software\Wine' /v Version /d win10 /f >/dev/null 2>&1
  mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
  [ -f "$hangul_font" ] && cp "$hangul_font" "$WINEPREFIX/drive_c/windows/Fonts/"
  # Without a settings file the program falls back to the system's dialog font, which Wine maps
  # to a font without Hangul: map it to the Hangul font instead. The squares and triangles of the
  # title strip are not in that font; Windows finds them through font linking, and so does Wine.
  local fonts_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
  wine reg add "$fonts_key\FontSubstitutes" /v "MS Shell Dlg" /d NanumGothicCoding /f >/dev/null 2>&1
  if [ -f "$symbol_font" ]; then
    cp "$symbol_font" "$WINEPREFIX/drive_c/windows/Fonts/"
    wine reg add "$fonts_key\FontLink\SystemLink" /v NanumGothicCoding /t REG_MULTI_SZ \
      /d "$(basename "$symbol_font"),DejaVu Sans" /f >/dev/null 2>&1
  fi
  wineserver -w 2>/dev/null
}
