// The toolkit's dialogs on a window of the probe's own: a helper thread waits for the dialog that
// the toolkit opens, owned by that window, and answers it with OK or Cancel, as a user would.
// The format dialog, a stub under Wine, is compared with Shell32's own answer.

#include <windows.h>
#include <shlobj.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>

#include "platform/win32/win32_toolkit.hpp"
#include "control_literal.hpp"
#include "probe_report.hpp"

namespace probe {

namespace {

using namespace halvora::testing_names;

using namespace std::chrono_literals;

struct OwnedSearch {
    HWND owner;
    HWND found;
};

HWND visibleDialogOwnedBy(HWND owner) {
    OwnedSearch search{owner, nullptr};
    EnumWindows(
        [](HWND hwnd, LPARAM context) -> BOOL {
            auto* s = reinterpret_cast<OwnedSearch*>(context);
            if (GetWindow(hwnd, GW_OWNER) == s->owner && IsWindowVisible(hwnd) && classOf(hwnd) == L"#32770") {
                s->found = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

void listOwnTopLevels() {
    EnumWindows(
        [](HWND hwnd, LPARAM) -> BOOL {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (pid == GetCurrentProcessId() && IsWindowVisible(hwnd)) {
                say("     window [" + utf8(classOf(hwnd)) + "] \"" + utf8(textOf(hwnd)) + "\" owner " +
                    std::to_string(reinterpret_cast<std::uintptr_t>(GetWindow(hwnd, GW_OWNER))));
            }
            return TRUE;
        },
        0);
}

HWND firstVisibleEdit(HWND dialog) {
    HWND found = nullptr;
    EnumChildWindows(
        dialog,
        [](HWND hwnd, LPARAM context) -> BOOL {
            if (classOf(hwnd) == L"Edit" && IsWindowVisible(hwnd)) {
                *reinterpret_cast<HWND*>(context) = hwnd;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&found));
    return found;
}

// Answers the next dialog owned by `owner` with the button `answer`; `seen` tells whether one came.
// A dialog that does not close on the answer is cancelled, so that a fault cannot hang the probe.
class DialogAnswerer {
public:
    // `typed`, when given, is written into the dialog's name field before the answer.
    DialogAnswerer(HWND owner, int answer, std::wstring typed = {})
        : thread_([this, owner, answer, typed] {
              for (int i = 0; i < 150 && !stop_; ++i) {
                  if (HWND dialog = visibleDialogOwnedBy(owner)) {
                      seen_ = true;
                      std::this_thread::sleep_for(700ms);  // let it finish its own start-up
                      if (!typed.empty()) {
                          HWND field = firstVisibleEdit(dialog);
                          if (field)
                              SendMessageW(field, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(typed.c_str()));
                          else
                              say("     the dialog has no name field to type into");
                      }
                      PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(answer, BN_CLICKED), 0);
                      for (int j = 0; j < 50 && IsWindow(dialog); ++j) std::this_thread::sleep_for(100ms);
                      if (IsWindow(dialog)) {
                          say("     the dialog stayed open after the answer; cancelling it");
                          PostMessageW(dialog, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
                      }
                      return;
                  }
                  std::this_thread::sleep_for(100ms);
              }
              say("     no dialog owned by the window came up; visible windows of this process:");
              listOwnTopLevels();
          }) {}
    ~DialogAnswerer() {
        stop_ = true;
        thread_.join();
    }
    bool seen() const { return seen_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<bool> seen_{false};
    std::thread thread_;
};

std::wstring withoutTrailingBackslash(std::wstring path) {
    while (path.size() > 3 && path.back() == L'\\') path.pop_back();
    return path;
}

bool samePath(const std::wstring& a, const std::wstring& b) {
    return CompareStringOrdinal(withoutTrailingBackslash(a).c_str(), -1, withoutTrailingBackslash(b).c_str(), -1,
                                TRUE) == CSTR_EQUAL;
}

}  // namespace

void checkDialogs(halvora::win32::Win32Toolkit& ui, const halvora::ControlName& window) {
    HWND owner = findNamed(nullptr, window);
    const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    wchar_t tempBuffer[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, tempBuffer);
    const std::wstring temp = tempBuffer;
    const std::wstring file = temp + L"halvora 대화상자.wim";
    HANDLE h = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
        DWORD written = 0;
        WriteFile(h, "MSWIM", 5, &written, nullptr);
        CloseHandle(h);
    }

    const halvora::OpenFileRequest request{L"파일 선택...", file, L"*.WIM; *.SWM|*.WIM;*.SWM|", 0};
    {
        DialogAnswerer answer(owner, IDOK);
        const std::wstring chosen = ui.openFileDialog(window, request);
        check(answer.seen() && chosen == file,
              "the open-file dialog opens on its window with the preset file, and OK gives that file back",
              "got \"" + utf8(chosen) + "\"");
    }
    {
        DialogAnswerer answer(owner, IDCANCEL);
        const std::wstring chosen = ui.openFileDialog(window, {L"파일 선택...", temp, L"*.WIM|*.WIM|", 0});
        check(answer.seen() && chosen.empty(), "a cancelled open-file dialog gives the empty text",
              "got \"" + utf8(chosen) + "\"");
    }
    {
        // A folder typed by its name alone is found in the folder the picker was started in.
        const std::wstring folder = temp + L"halvora 폴더";
        CreateDirectoryW(folder.c_str(), nullptr);
        DialogAnswerer answer(owner, IDOK, L"halvora 폴더");
        const std::wstring chosen = ui.pickFolder(window, {temp, true, 0x860});
        check(answer.seen() && samePath(chosen, folder),
              "the folder picker starts in the folder it was given, and a sub-folder chosen there comes back",
              "got \"" + utf8(chosen) + "\"");
        RemoveDirectoryW(folder.c_str());
    }
    {
        DialogAnswerer answer(owner, IDOK);
        const std::wstring chosen = ui.browseForFolder(window, L"$OEM$ 폴더 선택", temp);
        check(answer.seen() && samePath(chosen, temp),
              "the classic folder browser selects the start folder, and OK gives it back",
              "got \"" + utf8(chosen) + "\"");
    }
    {
        // Wine's format dialog is a stub that answers at once, without a window: the toolkit's
        // call has to hand back what Shell32 itself answers for the same drive and options.
        const std::uint32_t direct = SHFormatDrive(owner, 2, SHFMT_ID_DEFAULT, SHFMT_OPT_FULL);
        const std::uint32_t result = ui.formatDrive(window, 2, SHFMT_ID_DEFAULT, SHFMT_OPT_FULL);
        check(result == direct, "the format dialog's result is Shell32's own",
              "toolkit " + std::to_string(result) + ", SHFormatDrive " + std::to_string(direct));
    }
    DeleteFileW(file.c_str());
    if (SUCCEEDED(com)) CoUninitialize();
}

}  // namespace probe
