// Reading a list view and a status bar of another process. Their text messages carry pointers,
// which Windows does not carry across processes for common controls, so the probe lends the
// control a buffer inside the program's own address space (VirtualAllocEx) and reads it back.

#include <windows.h>
#include <commctrl.h>

#include <string>
#include <vector>

#include "probe_report.hpp"

namespace probe {

namespace {

constexpr SIZE_T kTextChars = 4096;

// A block of memory in the process that owns a window, freed with the object.
class RemoteBlock {
public:
    RemoteBlock(HWND window, SIZE_T size) : size_(size) {
        DWORD pid = 0;
        GetWindowThreadProcessId(window, &pid);
        process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
        if (process_) address_ = VirtualAllocEx(process_, nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    }
    RemoteBlock(const RemoteBlock&) = delete;
    RemoteBlock& operator=(const RemoteBlock&) = delete;
    ~RemoteBlock() {
        if (address_) VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
        if (process_) CloseHandle(process_);
    }
    bool valid() const { return address_ != nullptr; }
    char* at(SIZE_T offset) const { return static_cast<char*>(address_) + offset; }
    bool write(SIZE_T offset, const void* data, SIZE_T size) {
        return WriteProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }
    bool read(SIZE_T offset, void* data, SIZE_T size) {
        return ReadProcessMemory(process_, at(offset), data, size, nullptr) != FALSE;
    }
    SIZE_T size() const { return size_; }

private:
    HANDLE process_ = nullptr;
    void* address_ = nullptr;
    SIZE_T size_;
};

std::wstring readText(RemoteBlock& block, SIZE_T offset) {
    std::vector<wchar_t> text(kTextChars, L'\0');
    if (!block.read(offset, text.data(), kTextChars * sizeof(wchar_t))) return L"<unreadable>";
    text.back() = L'\0';
    return text.data();
}

}  // namespace

int listColumnCount(HWND list) {
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    return header ? static_cast<int>(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
}

std::wstring listColumnTitle(HWND list, int column) {
    RemoteBlock block(list, sizeof(LVCOLUMNW) + kTextChars * sizeof(wchar_t));
    if (!block.valid()) return L"<no remote memory>";
    LVCOLUMNW c{};
    c.mask = LVCF_TEXT;
    c.pszText = reinterpret_cast<LPWSTR>(block.at(sizeof c));
    c.cchTextMax = static_cast<int>(kTextChars);
    if (!block.write(0, &c, sizeof c) ||
        !SendMessageW(list, LVM_GETCOLUMNW, static_cast<WPARAM>(column), reinterpret_cast<LPARAM>(block.at(0)))) {
        return L"<none>";
    }
    return readText(block, sizeof c);
}

std::wstring listCell(HWND list, int row, int column) {
    RemoteBlock block(list, sizeof(LVITEMW) + kTextChars * sizeof(wchar_t));
    if (!block.valid()) return L"<no remote memory>";
    LVITEMW item{};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<LPWSTR>(block.at(sizeof item));
    item.cchTextMax = static_cast<int>(kTextChars);
    if (!block.write(0, &item, sizeof item)) return L"<unwritable>";
    SendMessageW(list, LVM_GETITEMTEXTW, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(block.at(0)));
    return readText(block, sizeof item);
}

int listRowImage(HWND list, int row) {
    RemoteBlock block(list, sizeof(LVITEMW));
    if (!block.valid()) return -2;
    LVITEMW item{};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iImage = -2;
    if (!block.write(0, &item, sizeof item) ||
        !SendMessageW(list, LVM_GETITEMW, 0, reinterpret_cast<LPARAM>(block.at(0))) ||
        !block.read(0, &item, sizeof item)) {
        return -2;
    }
    return item.iImage;
}

std::wstring statusText(HWND bar, int field) {
    RemoteBlock block(bar, kTextChars * sizeof(wchar_t));
    if (!block.valid()) return L"<no remote memory>";
    const LRESULT length = SendMessageW(bar, SB_GETTEXTLENGTHW, static_cast<WPARAM>(field), 0);
    if (LOWORD(length) >= kTextChars) return L"<too long>";
    const wchar_t nothing = L'\0';
    block.write(0, &nothing, sizeof nothing);
    SendMessageW(bar, SB_GETTEXTW, static_cast<WPARAM>(field), reinterpret_cast<LPARAM>(block.at(0)));
    return readText(block, 0);
}

}  // namespace probe
