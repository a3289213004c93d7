#pragma once
// What the probe's commands share: one line per check, and reading a window of any process.

#include <windows.h>

#include <string>

#include "platform/control_name.hpp"

namespace probe {

extern int failures;  // checks failed so far; the probe's exit code

std::string utf8(const std::wstring& text);
std::string shown(const std::wstring& text);  // with \r, \n and \t escaped: one check, one line
void say(const std::string& line);
// "PASS <what>" or "FAIL <what>: <why>".
void check(bool ok, const std::string& what, const std::string& why = {});

std::string nameOf(HWND hwnd);   // the HalvoraName property the toolkit gives each window
std::wstring textOf(HWND hwnd);  // WM_GETTEXT, which is passed between processes
std::wstring classOf(HWND hwnd);
// The first top-level window (parent null) or child window of `parent` with that name.
HWND findNamed(HWND parent, const std::string& name);

// The toolkit of the program, run in this process against real windows.
int checkToolkit();
// A worker writing lists while the interface thread paints them (toolkit_threads_check.cpp).
int checkToolkitThreads();
// The program's message box left to count down (message_box_check.cpp).
int checkCountdownBox();

}  // namespace probe

namespace halvora::win32 {
class Win32Toolkit;
}

namespace probe {

// A list view or status bar of another process (probe_lists.cpp).
int listColumnCount(HWND list);
std::wstring listColumnTitle(HWND list, int column);
std::wstring listCell(HWND list, int row, int column);
// The row's image-list position (I_IMAGENONE, -2, for none), or -2 when it cannot be read.
int listRowImage(HWND list, int row);
std::wstring statusText(HWND bar, int field);

// The win32 imaging backend in this process (probe_imaging.cpp): with a WIM path, against the
// stand-in wimgapi.dll; without, against Wine's own.
int checkImaging(const std::wstring& wimPath);
// Its apply glue: progress, error and abort messages through the program's callback
// (probe_apply.cpp), against the stand-in.
int checkApply(const std::wstring& wimPath);

// System::runHiddenProgram with the Bcdboot stand-in in System32 (probe_programs.cpp).
int checkPrograms();

// The win32 volume calls in this process (probe_volumes.cpp): one "VOLUMES ..." line per answer.
int checkVolumes();

// The win32 virtual-disk library against Wine's virtdisk.dll, with an ISO file made by the test
// (probe_virtual_disks.cpp): one "VIRTDISK ..." line per answer.
int checkVirtualDisks(const std::wstring& isoPath);

// The toolkit's three dialogs on the named window of `ui`, answered by a helper thread
// (toolkit_dialogs_check.cpp).
void checkDialogs(halvora::win32::Win32Toolkit& ui, const halvora::ControlName& window);

}  // namespace probe
