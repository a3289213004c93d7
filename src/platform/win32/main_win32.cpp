// The Windows program: prepare the process, then run the program over the win32 backend.

#include <windows.h>
#include <commctrl.h>
#include <objbase.h>

#include "app/program.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_system_library.hpp"
#include "platform/win32/win32_toolkit.hpp"

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    // First of all: the program runs elevated, so no DLL may come from its own folder or the
    // current folder, where anyone could have put one. SetDefaultDllDirectories reached Windows 7
    // and older WinPE images only with update KB2533623; imported by name it would keep the
    // program from starting there at all, so it is looked up. Without it the current folder at
    // least leaves the search order, and every DLL the program loads itself is named by its full
    // System32 path (loadSystemLibrary).
    using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
    const auto setDefaultDllDirectories = halvora::win32::procAddress<SetDefaultDllDirectoriesFn>(
        GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (!setDefaultDllDirectories || !setDefaultDllDirectories(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
        SetDllDirectoryW(L"");
    }

    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    INITCOMMONCONTROLSEX controls{};
    controls.dwSize = sizeof(controls);
    controls.dwICC = ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES | ICC_TAB_CLASSES | ICC_UPDOWN_CLASS | ICC_PROGRESS_CLASS;
    InitCommonControlsEx(&controls);

    int exitCode = 0;
    {
        halvora::win32::Win32System system;
        halvora::win32::Win32Toolkit toolkit(instance);
        exitCode = halvora::runProgram(system, toolkit);
    }
    if (SUCCEEDED(com)) CoUninitialize();
    return exitCode;
}
