// The file and folder dialogs, and the format dialog. Each runs on the interface thread (its COM
// apartment and its message loop), owned by the named window; the file and folder dialogs give
// back a path or "" when cancelled, the format dialog its own result.
// comdlg32.dll and the Shell32 functions are found at run time in System32, so the program's
// imports stay the ones every Windows and WinPE has.

#include <shlobj.h>

#include <string>
#include <vector>

#include "platform/win32/win32_system_library.hpp"
#include "platform/win32/win32_toolkit.hpp"

namespace halvora::win32 {

namespace {

// {DC1C5A9C-E88A-4DDE-A5A1-60F82A20AEF7}
constexpr CLSID kFileOpenDialogClass = {0xDC1C5A9C, 0xE88A, 0x4DDE, {0xA5, 0xA1, 0x60, 0xF8, 0x2A, 0x20, 0xAE, 0xF7}};
// {D57C7288-D4AD-4768-BE02-9D969532D960}
constexpr IID kFileOpenDialogInterface = {0xD57C7288, 0xD4AD, 0x4768, {0xBE, 0x02, 0x9D, 0x96, 0x95, 0x32, 0xD9, 0x60}};
// {43826D1E-E718-42EE-BC55-A1E261C37BFE}
constexpr IID kShellItemInterface = {0x43826D1E, 0xE718, 0x42EE, {0xBC, 0x55, 0xA1, 0xE2, 0x61, 0xC3, 0x7B, 0xFE}};

constexpr DWORD kAllContexts = 0x17;           // CLSCTX_ALL
constexpr DWORD kOpenFileBufferChars = 32768;  // room for a long (\\?\) path

using GetOpenFileNameFn = BOOL(WINAPI*)(LPOPENFILENAMEW);
using CreateItemFromParsingNameFn = HRESULT(WINAPI*)(PCWSTR, IBindCtx*, REFIID, void**);
using BrowseForFolderFn = PIDLIST_ABSOLUTE(WINAPI*)(LPBROWSEINFOW);
using PathFromIdListFn = BOOL(WINAPI*)(PCIDLIST_ABSOLUTE, LPWSTR);
using FormatDriveFn = DWORD(WINAPI*)(HWND, UINT, UINT, UINT);

// "description|pattern|..." as OPENFILENAMEW wants it: NUL between the items, two at the end.
std::wstring filterItems(const std::wstring& filter) {
    std::wstring items = filter;
    for (wchar_t& c : items) {
        if (c == L'|') c = L'\0';
    }
    while (items.size() < 2 || items[items.size() - 1] != L'\0' || items[items.size() - 2] != L'\0') {
        items.push_back(L'\0');
    }
    return items;
}

// A shell item's memory from CoTaskMemAlloc.
struct TaskMemory {
    void* data = nullptr;
    ~TaskMemory() {
        if (data) CoTaskMemFree(data);
    }
};

// Selects the start folder once the classic browser is up.
int CALLBACK browseCallback(HWND hwnd, UINT message, LPARAM, LPARAM start) {
    const auto* folder = reinterpret_cast<const wchar_t*>(start);
    if (message == BFFM_INITIALIZED && folder && *folder) {
        SendMessageW(hwnd, BFFM_SETSELECTIONW, TRUE, start);
    }
    return 0;
}

}  // namespace

std::wstring Win32Toolkit::openFileDialog(const ControlName& owner, const OpenFileRequest& request) {
    std::wstring chosen;
    runOnUiThread([&] {
        // Loaded on first use and kept, as Shell32 is: the dialog leaves shell extensions and
        // their threads behind in the process, and freeing the library that brought them in
        // could pull code from under them.
        if (!comdlg32_) comdlg32_ = loadSystemLibrary(L"comdlg32.dll");
        auto getOpenFileName = procAddress<GetOpenFileNameFn>(comdlg32_.get(), "GetOpenFileNameW");
        if (!getOpenFileName) return;

        std::vector<wchar_t> file(kOpenFileBufferChars, L'\0');
        std::wstring folder;
        if (!request.start.empty() && request.start.back() == L'\\') {
            folder = request.start;
        } else if (!request.start.empty()) {
            request.start.copy(file.data(), std::min<size_t>(request.start.size(), file.size() - 1));
            const auto slash = request.start.find_last_of(L'\\');
            if (slash != std::wstring::npos) folder = request.start.substr(0, slash + 1);
        }
        const std::wstring filter = filterItems(request.filter);

        OPENFILENAMEW dialog{};
        dialog.lStructSize = sizeof dialog;
        dialog.hwndOwner = handleOf(owner);
        dialog.lpstrFilter = request.filter.empty() ? nullptr : filter.c_str();
        dialog.nFilterIndex = static_cast<DWORD>(request.filterIndex + 1);
        dialog.lpstrFile = file.data();
        dialog.nMaxFile = static_cast<DWORD>(file.size());
        dialog.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
        dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
        dialog.Flags = OFN_FILEMUSTEXIST | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_EXPLORER;
        if (request.keepCurrentFolder) dialog.Flags |= OFN_NOCHANGEDIR;
        if (getOpenFileName(&dialog)) chosen.assign(file.data());
    });
    return chosen;
}

std::wstring Win32Toolkit::pickFolder(const ControlName& owner, const FolderPickerRequest& request) {
    std::wstring chosen;
    runOnUiThread([&] {
        ComPtr<IFileOpenDialog> dialog;
        if (FAILED(CoCreateInstance(kFileOpenDialogClass, nullptr, kAllContexts, kFileOpenDialogInterface,
                                    dialog.out())) ||
            !dialog) {
            return;
        }
        {
            auto createItem = procAddress<CreateItemFromParsingNameFn>(shell32_.get(), "SHCreateItemFromParsingName");
            ComPtr<IShellItem> folder;
            if (createItem &&
                SUCCEEDED(createItem(request.defaultFolder.c_str(), nullptr, kShellItemInterface, folder.out())) &&
                folder) {
                dialog->SetDefaultFolder(folder.get());
                if (request.setFolder) dialog->SetFolder(folder.get());
            }
        }
        // The dialog's own options (FOS_PATHMUSTEXIST, FOS_FILEMUSTEXIST, FOS_NOCHANGEDIR, ...)
        // stay: the request only adds to them.
        FILEOPENDIALOGOPTIONS options = 0;
        if (FAILED(dialog->GetOptions(&options))) options = 0;
        dialog->SetOptions(options | request.options);
        if (FAILED(dialog->Show(handleOf(owner)))) return;
        ComPtr<IShellItem> result;
        if (FAILED(dialog->GetResult(reinterpret_cast<IShellItem**>(result.out()))) || !result) return;
        TaskMemory path;
        if (SUCCEEDED(result->GetDisplayName(SIGDN_FILESYSPATH, reinterpret_cast<LPWSTR*>(&path.data))) && path.data) {
            chosen.assign(static_cast<const wchar_t*>(path.data));
        }
    });
    return chosen;
}

std::wstring Win32Toolkit::browseForFolder(const ControlName& owner, const std::wstring& title,
                                           const std::wstring& start) {
    std::wstring chosen;
    runOnUiThread([&] {
        auto browse = procAddress<BrowseForFolderFn>(shell32_.get(), "SHBrowseForFolderW");
        auto pathOf = procAddress<PathFromIdListFn>(shell32_.get(), "SHGetPathFromIDListW");
        if (!browse || !pathOf) return;

        wchar_t displayName[MAX_PATH] = {};
        BROWSEINFOW info{};
        info.hwndOwner = handleOf(owner);
        info.pszDisplayName = displayName;
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        info.lpfn = browseCallback;
        info.lParam = reinterpret_cast<LPARAM>(start.c_str());
        TaskMemory list;
        list.data = browse(&info);
        if (!list.data) return;
        wchar_t path[MAX_PATH] = {};
        if (pathOf(static_cast<PCIDLIST_ABSOLUTE>(list.data), path)) chosen.assign(path);
    });
    return chosen;
}

std::uint32_t Win32Toolkit::formatDrive(const ControlName& owner, std::uint32_t drive, std::uint32_t formatId,
                                        std::uint32_t options) {
    // Where Shell32 has no format dialog, the program sees the dialog's own error result.
    std::uint32_t result = static_cast<std::uint32_t>(SHFMT_ERROR);
    runOnUiThread([&] {
        auto format = procAddress<FormatDriveFn>(shell32_.get(), "SHFormatDrive");
        if (format) result = format(handleOf(owner), drive, formatId, options);
    });
    return result;
}

}  // namespace halvora::win32
