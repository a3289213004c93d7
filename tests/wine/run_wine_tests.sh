#!/usr/bin/env bash
# Runs the real halvora.exe under Wine and Xvfb and checks what a user would see: the settings
# file of a first start, the main window's title and controls, the hand-over of a second start,
# the information box and the close request; and the backend's System calls against Windows' own
# answers, its imaging glue and hidden program runs against stand-ins for wimgapi.dll and
# Bcdboot.exe, its toolkit on windows of the probe's own, its volume calls, and its virtual-disk
# library against Wine's placeholder virtdisk.dll. Screenshots of every view go to artifacts/wine/.
#
#   tests/wine/run_wine_tests.sh [build folder]      (default: build/windows)
#
# HALVORA_WINE_DISPLAY=:N uses that X display instead of starting Xvfb on a free one.
# Prints one line per check and finally "N passed, N failed"; exits non-zero on any failure.
set -u -o pipefail

root="$(cd "$(dirname "$0")/../.." && pwd)"
build="$(cd "${1:-$root/build/windows}" && pwd)"
exe="$build/halvora.exe"
probe_exe="$build/wine_probe.exe"
artifacts="$root/artifacts/wine"
source "$root/scripts/lib/wine_prefix.sh"

passed=0
failed=0
pass() { echo "PASS $*"; passed=$((passed + 1)); }
fail() { echo "FAIL $*"; failed=$((failed + 1)); }
check() {  # check "what" command...: the command's status decides
    local what="$1"
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}
finish() {
    echo "$passed passed, $failed failed"
    [ "$failed" -eq 0 ]
    exit $?
}

for needed in "$exe" "$probe_exe"; do
    if [ ! -f "$needed" ]; then
        fail "$(basename "$needed") is built (cmake --preset windows && cmake --build --preset windows)"
        finish
    fi
done
for tool in wine wineboot wineserver Xvfb import; do
    command -v "$tool" >/dev/null 2>&1 || { fail "$tool is installed"; finish; }
done

work="$(mktemp -d "${TMPDIR:-/tmp}/halvora-wine.XXXXXX")"
app_dir="$work/app"
mkdir -p "$app_dir" "$artifacts"
export WINEPREFIX="$work/prefix"

xvfb_pid=""
app_pid=""
cleanup() {
    [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
    # Only the Wine processes of this run's own prefix.
    WINEPREFIX="$work/prefix" wineserver -k 2>/dev/null
    [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
    rm -rf "$work"
}
trap cleanup EXIT

if [ -n "${HALVORA_WINE_DISPLAY:-}" ]; then
    export DISPLAY="$HALVORA_WINE_DISPLAY"
else
    n=97
    while [ -e "/tmp/.X11-unix/X$n" ] || [ -e "/tmp/.X$n-lock" ]; do n=$((n + 1)); done
    Xvfb ":$n" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
    xvfb_pid=$!
    export DISPLAY=":$n"
    for _ in $(seq 1 50); do [ -e "/tmp/.X11-unix/X$n" ] && break; sleep 0.1; done
fi

echo "Wine prefix: $WINEPREFIX, display $DISPLAY"
prepare_wine_prefix || { fail "the Wine prefix is prepared"; finish; }
cp "$exe" "$app_dir/halvora.exe"

# A drive S: of the test's own for the install-file search: a WIM where depth 1 finds it, one
# in an excluded folder and one too deep. Wine reads its drive letters when its server starts,
# so the letter is made before anything runs in the prefix.
search_drive="$work/search-drive"
mkdir -p "$search_drive/sources" "$search_drive/Windows" "$search_drive/a/b" "$work/search-content"
printf 'search test\r\n' >"$work/search-content/readme.txt"
search_wim_ok=true
wimcapture "$work/search-content" "$search_drive/sources/install.wim" "Search test" >/dev/null 2>&1 || search_wim_ok=false
check "wimcapture makes the WIM for the search" $search_wim_ok
printf 'excluded' >"$search_drive/Windows/excluded.wim"
printf 'too deep' >"$search_drive/a/b/deep.wim"
wineserver -w 2>/dev/null
ln -sfn "$search_drive" "$WINEPREFIX/dosdevices/s:"
ini="$app_dir/HLV_xSET.ini"

probe() {  # runs one probe command; its PASS / FAIL lines are counted here
    local out status line
    out="$(cd "$work" && timeout 90 wine "$probe_exe" "$@" 2>/dev/null | tr -d '\r')"
    status=$?
    probe_output="$out"
    while IFS= read -r line; do
        case "$line" in
            PASS*) echo "$line"; passed=$((passed + 1)) ;;
            FAIL*) echo "$line"; failed=$((failed + 1)) ;;
            ?*) echo "$line" ;;
        esac
    done <<<"$out"
    return $status
}

tab=$'\t'
has_output_line() {  # the last probe printed a line that contains this text
    printf '%s\n' "$probe_output" | grep -Fq -- "$1"
}
output_matches() {  # the last probe printed a line that matches this extended regex
    printf '%s\n' "$probe_output" | grep -Eq -- "$1"
}

screenshot() {
    sleep 0.7  # let the last paint reach the screen
    if import -window root "$artifacts/$1.png" 2>/dev/null; then
        echo "     screenshot: artifacts/wine/$1.png"
    else
        fail "screenshot $1.png"
    fi
}

start_app() {
    (cd "$app_dir" && exec wine halvora.exe "$@") >/dev/null 2>&1 &
    app_pid=$!
}

wait_exit() {  # wait_exit seconds: sets exit_code, 124 when the program did not end in time
    local waited=0
    exit_code=124
    while kill -0 "$app_pid" 2>/dev/null; do
        [ "$waited" -ge $(($1 * 10)) ] && return
        sleep 0.1
        waited=$((waited + 1))
    done
    wait "$app_pid"
    exit_code=$?
    app_pid=""
}

settings_text() {  # the settings file without byte-order mark and carriage returns
    sed '1s/^\xEF\xBB\xBF//' "$ini" | tr -d '\r'
}

keys_in_group() {
    settings_text | awk -v group="[$1]" '
        /^\[/ { inside = ($0 == group); next }
        inside && /=/ { n++ }
        END { print n + 0 }'
}

has_line() {
    settings_text | grep -Fxq -- "$1"
}

has_key() {
    settings_text | grep -q -- "^$1="
}

# --- first start, without a settings file ---------------------------------------------------
echo "== first start without a settings file"
rm -f "$ini"
start_app
probe wait-window 60

for _ in $(seq 1 50); do [ -s "$ini" ] && break; sleep 0.1; done
check "the first start writes HLV_xSET.ini beside the program" test -s "$ini"
if [ -s "$ini" ]; then
    check "HLV_xSET.ini starts with the UTF-8 byte-order mark" \
        test "$(head -c 3 "$ini" | od -An -tx1 | tr -d ' \n')" = "efbbbf"
    lines=$(tr -cd '\n' <"$ini" | wc -c)
    crlf=$(grep -c $'\r$' "$ini")
    check "every line of HLV_xSET.ini ends with CR LF ($crlf of $lines)" test "$lines" -gt 0 -a "$lines" -eq "$crlf"
    for group in HLV_XSET DefineFontSize HLV_COLOR SearchDirExclusionList; do
        check "HLV_xSET.ini has the group [$group]" has_line "[$group]"
    done
    check "[HLV_XSET] has its 5 keys" test "$(keys_in_group HLV_XSET)" -eq 5
    check "[DefineFontSize] has 26 font keys" test "$(keys_in_group DefineFontSize)" -eq 26
    check "[HLV_COLOR] has 18 colour keys" test "$(keys_in_group HLV_COLOR)" -eq 18
    check "[SearchDirExclusionList] has 24 names" test "$(keys_in_group SearchDirExclusionList)" -eq 24
    for line in "useUserFontName=Consolas" "ScanDepth=2" "LabelTitleColorB=150, 215, 115" "Consolas=-11" \
        "Windows=1"; do
        check "HLV_xSET.ini has \"$line\"" has_line "$line"
    done
    for key in Version ScanSkipOSDrive ScanWithISO; do
        check "HLV_xSET.ini has the key $key" has_key "$key"
    done
fi

probe check-title
probe check-main-view
probe check-tooltips
probe check-manifest "Z:$(printf '%s' "$exe" | tr / '\\')"
screenshot first-start-main-view
echo "== the System calls of the win32 backend"
probe check-system "two words" plain

echo "== second start while the first runs"
first_pid=$app_pid
(cd "$app_dir" && timeout 60 wine halvora.exe /Index:2 /after:Reboot >/dev/null 2>&1)
status=$?
check "a second start with /Index:2 /after:Reboot ends with exit code 183 (got $status)" test "$status" -eq 183
check "the first instance keeps running" kill -0 "$first_pid"
# The arguments reach the first instance by WM_COPYDATA: /after:Reboot selects the second item
# of its after-install choice (shutdown, reboot, quit, wait).
probe wait-selection AfterInstallCombo 1
(cd "$app_dir" && timeout 60 wine halvora.exe >/dev/null 2>&1)
status=$?
check "a second start without arguments ends with exit code 183 (got $status)" test "$status" -eq 183
probe wait-window 10

echo "== information box"
probe info-box
screenshot first-start-info-box
probe close-info-box

echo "== close request"
probe close
wait_exit 20
check "the idle program ends on WM_CLOSE with exit code 0 (got $exit_code)" test "$exit_code" -eq 0

# --- the views, with a Hangul font chosen in the settings file ------------------------------
echo "== views with useUserFontName=NanumGothicCoding"
if [ -s "$ini" ]; then
    sed -i 's/^useUserFontName=[^\r]*/useUserFontName=NanumGothicCoding/' "$ini"
else
    printf '\xef\xbb\xbf[HLV_XSET]\r\nuseUserFontName=NanumGothicCoding\r\n' >"$ini"
fi
# The search is walked at depth 1, so that Z:, which Wine maps to /, is read only at its top.
sed -i 's/^ScanDepth=[^\r]*/ScanDepth=1/' "$ini"

start_app
probe wait-window 60
probe check-main-view
screenshot main-view

probe info-box
screenshot info-box
probe close-info-box
# Enter presses the focused (default) button and Esc answers an Ok box, as in Windows' own boxes.
probe info-box && probe key-info-box enter
probe info-box && probe key-info-box escape

probe click TargetButton && probe wait-visible TargetPanel && probe wait-hidden MainPanel
# Wine answers no partition query on its drives (error 50), so no volume can be placed on a disk
# and the pickers stay empty; they must stay usable all the same.
probe wait-rows TargetDriveList 0 5
probe click TargetRefreshButton && probe wait-rows TargetDriveList 0 5
probe click TargetDoneButton && probe wait-visible TargetPanel
screenshot target-panel
probe click TargetCancelButton && probe wait-hidden TargetPanel && probe wait-visible MainPanel

probe click BootButton && probe wait-visible BootPanel && probe wait-hidden MainPanel
probe wait-rows BootDriveList 0 5
screenshot boot-panel
probe click BootCancelButton && probe wait-hidden BootPanel && probe wait-visible MainPanel

probe click SearchButton && probe wait-visible SearchPanel && probe wait-hidden MainPanel
# The panel reads the same before and after a search: the found file tells that it ran.
probe wait-cell SearchResultList 1 0 'S:\sources\install.wim' 60
probe wait-text SearchPanelCaption "설치 파일 목록" 60
probe wait-text SearchBackButton "뒤로" 5
probe list-dump SearchResultList
check "row 0 is a drive row counting 1 file" output_matches "^ROW 0${tab}S:     [^${tab}]*${tab}1${tab}3\$"
check "row 1 is S:\\sources\\install.wim, a file row with its size" \
    output_matches "^ROW 1${tab}S:\\\\sources\\\\install\\.wim${tab}[0-9.]+ (B|KB)${tab}1\$"
# Z: is / at depth 1, where another program's file may lie in /tmp: only S: and C: are checked.
check "neither the excluded folder's file nor the one too deep is listed, nor anything on C:" \
    bash -c '! printf "%s\n" "$1" | grep -Eq "excluded\.wim|deep\.wim|^ROW [0-9]+.C:"' _ "$probe_output"
probe row-icons SearchResultList
check "the result list has an image list for its icons" has_output_line "IMAGES attached"
check "the file row has no icon" has_output_line "ICON 1 -2"
screenshot search-panel
probe click SearchBackButton && probe wait-hidden SearchPanel && probe wait-visible MainPanel

probe click ImageListSizeToggle && probe wait-hidden MainPanel
screenshot image-list-enlarged
probe click ImageListSizeToggle && probe wait-visible MainPanel
probe check-main-view

probe close
wait_exit 20
check "the second run ends on WM_CLOSE with exit code 0 (got $exit_code)" test "$exit_code" -eq 0

# --- the image list, through the imaging library ---------------------------------------------
# A WIM of two images made here with wimlib; the second one's texts are Korean.
images="$work/images"
mkdir -p "$images/content/Windows/System32"
printf 'halvora wine test\r\n' >"$images/content/Windows/System32/test.txt"
printf '%04096d' 0 >"$images/content/Windows/filler.bin"
wim="$images/install.wim"
wim_ok=true
wimcapture "$images/content" "$wim" "Windows 10 Pro" "Windows 10 Pro edition" --compress=LZX \
    --image-property DISPLAYNAME="Windows 10 Pro" --image-property WINDOWS/ARCH=9 \
    --image-property WINDOWS/VERSION/MAJOR=10 --image-property WINDOWS/VERSION/MINOR=0 \
    --image-property WINDOWS/VERSION/BUILD=19041 --image-property WINDOWS/VERSION/SPBUILD=1 \
    --image-property WINDOWS/LANGUAGES/DEFAULT=en-US >/dev/null 2>&1 || wim_ok=false
wimappend "$images/content" "$wim" "Windows 10 Home" "한국어 설명: 가정용 에디션" \
    --image-property DISPLAYNAME="Windows 10 홈" --image-property DISPLAYDESCRIPTION="가정용 윈도우" \
    --image-property WINDOWS/ARCH=12 --image-property WINDOWS/VERSION/MAJOR=10 \
    --image-property WINDOWS/VERSION/MINOR=0 --image-property WINDOWS/VERSION/BUILD=19045 \
    --image-property WINDOWS/VERSION/SPBUILD=2006 --image-property WINDOWS/LANGUAGES/DEFAULT=ko-KR \
    >/dev/null 2>&1 || wim_ok=false
check "wimcapture and wimappend make a WIM of two images" $wim_ok
wim_windows="Z:$(printf '%s' "$wim" | tr / '\\')"

system32="$WINEPREFIX/drive_c/windows/system32"
cp "$system32/wimgapi.dll" "$work/wimgapi.wine.dll"
status_without_summary() {
    has_output_line "STATUS 3 " && ! has_output_line "STATUS 3 ImageCount"
}

echo "== the image list through the stand-in wimgapi.dll"
standin_version="10.0.0.1 (stand-in)"
if [ -f "$build/wimgapi.dll" ]; then
    cp "$build/wimgapi.dll" "$system32/wimgapi.dll"
    # Wine takes its own builtin over a DLL of the same name unless told otherwise.
    plain_overrides="$WINEDLLOVERRIDES"
    export WINEDLLOVERRIDES="$plain_overrides;wimgapi=n"
    probe check-imaging "$wim_windows"
    probe check-apply "$wim_windows"
    start_app "/ImageFile:$wim_windows"
    probe wait-window 60
    probe check-title
    check "the title shows the FileVersion of the stand-in, \"$standin_version\"" \
        has_output_line "wimgapi.dll FileVersion: \"$standin_version\""
    probe wait-rows ImageList 2 30
    probe list-dump ImageList
    check "row 0: 1, Windows 10 Pro, x64, not WIMBoot, en-US, 10.0.19041.1, its description" \
        has_output_line "ROW 0${tab}1${tab}Windows 10 Pro${tab}x64${tab}0${tab}en-US${tab}10.0.19041.1${tab}Windows 10 Pro edition${tab}Windows 10 Pro${tab}${tab}"
    check "row 1: 2, Windows 10 Home, ARM64, ko-KR, 10.0.19045.2006 and the Korean description and display texts" \
        has_output_line "ROW 1${tab}2${tab}Windows 10 Home${tab}ARM64${tab}0${tab}ko-KR${tab}10.0.19045.2006${tab}한국어 설명: 가정용 에디션${tab}Windows 10 홈${tab}가정용 윈도우${tab}"
    check "the compact columns show number, name, Arch, language and version and hide the rest" \
        test "$(printf '%s\n' "$probe_output" | awk '$1 == "COLUMN" && $3 == 0 { printf "%s ", $2 }')" = "3 6 7 8 9 10 11 "
    probe status-field StatusBar 3
    check "status field 3 holds the summary: two images, one part, LZX" \
        has_output_line "STATUS 3 ImageCount: 2  TotalParts: 1  "
    check "the summary names the compression, LZX" has_output_line "압축방식: LZX"
    screenshot image-list-compact
    probe click ImageColumnsToggle && probe wait-column-shown ImageList 6
    probe list-dump ImageList
    # Every column is fitted to its header and content, the last one too (a list view would give
    # it only what is left of its width, which is nothing once the others fill it).
    check "the full columns show the hidden ones again: all 12 columns have a width" \
        test "$(printf '%s\n' "$probe_output" | awk '$1 == "COLUMN" && $3 > 0' | wc -l)" -eq 12
    screenshot image-list-full
    probe close
    wait_exit 20
    check "the program with a listed image file ends on WM_CLOSE with exit code 0 (got $exit_code)" test "$exit_code" -eq 0
    cp "$work/wimgapi.wine.dll" "$system32/wimgapi.dll"
    export WINEDLLOVERRIDES="$plain_overrides"
else
    fail "wimgapi.dll (the stand-in) is built in $build"
fi

echo "== the same start with Wine's own wimgapi.dll, a stub"
probe check-imaging
start_app "/ImageFile:$wim_windows"
probe wait-window 60
sleep 3  # the image file is read at start; give a failing library its chance to fail
probe wait-rows ImageList 0 1
probe status-field StatusBar 3
check "status field 3 shows no image summary" status_without_summary
probe check-responsive
probe close
wait_exit 20
check "without a working imaging library the program ends on WM_CLOSE with exit code 0 (got $exit_code)" \
    test "$exit_code" -eq 0

# --- hidden program runs, in the probe's process ----------------------------------------------
# The Bcdboot stand-in is in System32 only for these checks: elsewhere the program is to find no
# Bcdboot.exe, as under a plain Wine.
echo "== hidden program runs with the stand-in Bcdboot.exe"
if [ -f "$build/Bcdboot.exe" ]; then
    cp "$build/Bcdboot.exe" "$system32/Bcdboot.exe"
    probe check-programs
    rm -f "$system32/Bcdboot.exe"
else
    fail "Bcdboot.exe (the stand-in) is built in $build"
fi

# --- the toolkit on its own windows, in the probe's process ----------------------------------
echo "== the win32 toolkit"
probe check-toolkit
echo "== the program's message box counting down with nobody there"
probe check-countdown-box
echo "== a worker writing lists while the interface thread paints them"
probe check-toolkit-threads
status=$?
check "the thread check ends by itself, not by its watchdog or the time limit (exit $status)" test "$status" -ne 99 -a "$status" -ne 124

# --- the virtual-disk library, in the probe's process ----------------------------------------
# Wine's virtdisk.dll answers OpenVirtualDisk with 120 (ERROR_CALL_NOT_IMPLEMENTED) whatever the
# file, and ends the process in AttachVirtualDisk and GetVirtualDiskPhysicalPath. The backend must
# load and free it, return the open's error as a value with no handle, and refuse the calls that
# follow a failed open itself (6, ERROR_INVALID_HANDLE) before they reach those stubs.
echo "== the win32 virtual-disk library against Wine's virtdisk.dll"
mkdir -p "$work/disc/sources"
printf 'not an image, only bytes\r\n' >"$work/disc/sources/install.wim"
iso="$work/disc.iso"
make_iso() { xorriso -as mkisofs -quiet -J -R -V HALVORA_WINE -o "$iso" "$work/disc" >/dev/null 2>&1; }
check "xorriso makes an ISO holding sources\\install.wim" make_iso
probe check-virtual-disks "Z:$(printf '%s' "$iso" | tr / '\\')"
virtdisk_line() {  # the probe's "VIRTDISK <key> ..." line, without "VIRTDISK <key> "
    printf '%s\n' "$probe_output" | sed -n "s/^VIRTDISK $1 //p" | head -n 1
}
check "the library loads from System32 ($(virtdisk_line loaded))" test "$(virtdisk_line loaded)" = yes
check "OpenVirtualDisk on the ISO returns Wine's 120 and no handle ($(virtdisk_line open))" \
    test "$(virtdisk_line open)" = "120 handle=0"
check "OpenVirtualDisk on a missing file returns the same ($(virtdisk_line open-missing))" \
    test "$(virtdisk_line open-missing)" = "120 handle=0"
check "the physical path after the failed open is refused with 6 and the buffer stays as it was" \
    test "$(virtdisk_line physical-path-after-failed-open)" = "6 untouched"
check "the detach after the failed open is refused with 6 ($(virtdisk_line detach-after-failed-open))" \
    test "$(virtdisk_line detach-after-failed-open)" = 6
check "the attach after the failed open is refused with 6 ($(virtdisk_line attach-after-failed-open))" \
    test "$(virtdisk_line attach-after-failed-open)" = 6
check "the probe is still running after all of them" test "$(virtdisk_line still-running)" = yes

# The same library under the real program: an ISO named on its command line cannot be attached
# here, so nothing is listed, and the program must go on as without an image.
echo "== an ISO on the command line of the real program, with Wine's virtdisk.dll"
iso_windows="Z:$(printf '%s' "$iso" | tr / '\\')"
start_app "/ImageFile:$iso_windows"
probe wait-window 60
probe wait-rows ImageList 0 1
probe status-field StatusBar 3
check "status field 3 names the ISO it tried to attach, and no image summary follows" \
    has_output_line "STATUS 3 ISO : $iso_windows"
probe check-responsive
probe close
wait_exit 20
check "the program with an ISO it could not attach ends on WM_CLOSE with exit code 0 (got $exit_code)" \
    test "$exit_code" -eq 0

# --- the volume calls, in the probe's process -------------------------------------------------
# Wine maps C: to drive_c and Z: to /, answers the device number of \\.\C: but no partition
# information (error 50), and keeps a DOS-device name space in which letters can be defined.
echo "== the win32 volume calls"
probe check-volumes
volumes_line() {  # the probe's "VOLUMES <key> ..." line, without "VOLUMES <key> "
    printf '%s\n' "$probe_output" | sed -n "s/^VOLUMES $1 //p" | head -n 1
}
volumes_matches() {  # volumes_matches key extended-regex
    volumes_line "$1" | grep -Eq -- "$2"
}
drive_strings="$(volumes_line drive-strings)"
check "GetLogicalDriveStringsW lists C:\\ ($drive_strings)" volumes_matches drive-strings ' C:\\( |$)'
check "GetLogicalDriveStringsW lists Z:\\, where Wine maps /" volumes_matches drive-strings ' Z:\\( |$)'
string_letters="$(printf '%s\n' "$drive_strings" | grep -o '[A-Z]:\\' | cut -c1 | tr -d '\n')"
check "GetLogicalDrives sets the bits of the same letters ($(volumes_line logical-drives))" \
    test "$(volumes_line logical-drives)" = "$string_letters"
check "GetLogicalDriveStringsW with too small a buffer returns the size it needs" \
    volumes_matches drive-strings-too-small '^([0-9]+) \(needs \1\)$'
check "GetDriveTypeW of C:\\ is 3, a fixed drive" volumes_matches 'drive-type C' '^3$'
check "GetVolumeInformationW of C:\\ names a file system" volumes_matches 'volume-information C' '^ok .* fs="[^"]+"'
free_space="$(volumes_line 'free-space C')"
free_ok() {
    local total free
    total="$(printf '%s\n' "$free_space" | sed -n 's/.*total=\([0-9]*\).*/\1/p')"
    free="$(printf '%s\n' "$free_space" | sed -n 's/.*free=\([0-9]*\).*/\1/p')"
    [[ "$free_space" == ok* ]] && [ "${total:-0}" -gt 0 ] && [ "${free:-0}" -le "$total" ]
}
check "GetDiskFreeSpaceExW of C:\\ gives a total above 0 and no more free than total ($free_space)" free_ok
check "CreateFileW opens \\\\.\\C:" volumes_matches open-volume-c '^ok$'
check "opening a volume that does not exist fails with an error as a value ($(volumes_line open-missing))" \
    volumes_matches open-missing '^fail [1-9][0-9]*$'
check "IOCTL_STORAGE_GET_DEVICE_NUMBER on \\\\.\\C: fills its 12 bytes: a disk (type 7), its number and partition ($(volumes_line device-number))" \
    volumes_matches device-number '^ok bytes=12 type=7 disk=[0-9]+ partition=[0-9]+$'
check "IOCTL_DISK_GET_PARTITION_INFO_EX fails with error 50 as a value, writing nothing ($(volumes_line partition-info))" \
    volumes_matches partition-info '^fail 50 bytes=0 style=0$'
c_target="$(volumes_line 'query C:')"
check "QueryDosDeviceW(\"C:\") gives a target ($c_target)" volumes_matches 'query C:' '^ok [0-9]+ \\'
check "QueryDosDeviceW(NULL) with a 4-character buffer fails with 122" volumes_matches query-all-tiny '^fail 122$'
check "QueryDosDeviceW(NULL) with a large buffer lists C:" volumes_matches query-all '^ok names=[0-9]+ has C:$'
spare="$(printf '%s\n' "$probe_output" | sed -n 's/^VOLUMES spare \([A-Z]:\) .*/\1/p' | head -n 1)"
if [ -n "$spare" ]; then
    check "the spare letter $spare is undefined before" volumes_matches "spare $spare" '^query-before fail 2$'
    check "DefineDosDeviceW(DDD_RAW_TARGET_PATH) defines $spare as the target of C:" volumes_matches "define $spare" '^ok$'
    check "QueryDosDeviceW(\"$spare\") then gives the target of C:" volumes_matches defined-target '^same as C:$'
    check "while it is defined, GetLogicalDriveStringsW lists $spare\\" volumes_matches drive-strings-defined " $spare\\\\( |\$)"
    check "the removal with DDD_RAW_TARGET_PATH | DDD_REMOVE_DEFINITION | DDD_EXACT_MATCH_ON_REMOVE works" \
        volumes_matches "remove $spare" '^ok$'
    check "and $spare is gone ($(volumes_line "query-removed $spare"))" volumes_matches "query-removed $spare" '^fail 2$'
else
    fail "a spare drive letter from T: to Y: is found and C: has a target ($(volumes_line define))"
fi
# The program's own volume logic over these calls. Wine lists no HarddiskVolumeN names among its
# DOS devices, so the list of volume devices is only printed.
raw_number="$(volumes_line device-number | sed -n 's/.* \(disk=[0-9]* partition=[0-9]*\)$/\1/p')"
check "the program decodes the same disk and partition of C:\\ ($raw_number)" \
    test -n "$raw_number" -a "$(volumes_line program-device-number)" = "ok $raw_number"
check "the program's partition query of C:\\ fails and leaves a zeroed record: no style, no boot type" \
    test "$(volumes_line program-partition-info)" = 'fail style=0 boot-type=""'
check "the program finds a drive letter on C:'s disk and partition" test "$(volumes_line program-has-drive-letter)" = yes
check "the program's device path of C:\\ is QueryDosDeviceW's target ($(volumes_line program-device-path))" \
    test -n "$(volumes_line program-device-path)" -a "ok $(volumes_line program-device-path)" = \
    "$(volumes_line 'query C:' | sed 's/^ok [0-9]* /ok /')"
check "and that device leads back to the drive root C:\\" test "$(volumes_line program-drive-root)" = 'C:\'
check "the first free letter for an ESP is P: (Wine uses C: and Z:)" test "$(volumes_line program-free-letter)" = P:

finish
