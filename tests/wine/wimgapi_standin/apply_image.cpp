// WIMApplyImage without writing an image: it reports progress to the message callbacks as
// wimgapi does, fails on request with an error message first, stops when a callback asks it to,
// and on success leaves a marker file in the target folder so that a test can see it ran. What
// it sends is fixed (see README.md), so that a test can check each message it receives.

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <string>

#include "message_callbacks.hpp"
#include "wim_records.hpp"

namespace {

constexpr wchar_t kFailureVariable[] = L"HALVORA_STANDIN_APPLY_ERROR";
constexpr wchar_t kMarkerName[] = L"halvora-standin-apply.txt";
// The file the error message names, below the target folder; not ASCII, so that a caller that
// reads the path as anything but UTF-16 shows it.
constexpr wchar_t kFailedFile[] = L"Windows\\System32\\드라이버 저장소.dat";
constexpr int kFailAtPercent = 50;

// The error code asked for in the environment, or 0 when the apply is to succeed.
DWORD requestedFailure() {
    wchar_t value[16] = {};
    const DWORD length = GetEnvironmentVariableW(kFailureVariable, value, 16);
    if (length == 0 || length >= 16) return 0;
    return static_cast<DWORD>(std::wcstoul(value, nullptr, 10));
}

std::wstring below(const std::wstring& folder, const std::wstring& name) {
    if (!folder.empty() && folder.back() != L'\\') return folder + L"\\" + name;
    return folder + name;
}

std::string utf8(const std::wstring& text) {
    const int n =
        WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

// "image=N flags=0xHEX file=PATH", one line in UTF-8.
bool writeMarker(const standin::WimImage& image, const std::wstring& target, DWORD flags) {
    char head[64];
    std::snprintf(head, sizeof head, "image=%lu flags=0x%lx file=", image.index, flags);
    const std::string text = head + utf8(image.wimPath) + "\r\n";
    HANDLE file = CreateFileW(below(target, kMarkerName).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    const DWORD error = GetLastError();
    CloseHandle(file);
    SetLastError(error);
    return ok && written == text.size();
}

BOOL aborted() {
    SetLastError(ERROR_REQUEST_ABORTED);
    return FALSE;
}

}  // namespace

extern "C" BOOL WINAPI WIMApplyImage(HANDLE handle, PCWSTR path, DWORD flags) {
    standin::WimImage* image = standin::imageOf(handle);
    if (!image) return FALSE;
    if (!path) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const std::wstring target = path;
    const DWORD attributes = GetFileAttributesW(path);
    if (attributes == INVALID_FILE_ATTRIBUTES) return FALSE;  // GetFileAttributesW's own error
    if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_DIRECTORY);
        return FALSE;
    }

    const DWORD failure = requestedFailure();
    for (int percent = 0; percent <= 100; percent += 10) {
        if (failure && percent == kFailAtPercent) {
            const std::wstring failed = below(target, kFailedFile);
            if (standin::sendMessage(handle, image->wim, standin::kMsgError, reinterpret_cast<WPARAM>(failed.c_str()),
                                     static_cast<LPARAM>(failure)) == standin::kMsgAbortImage) {
                return aborted();
            }
            SetLastError(failure);
            return FALSE;
        }
        const LPARAM millisecondsLeft = (100 - percent) * 100;
        if (standin::sendMessage(handle, image->wim, standin::kMsgProgress, static_cast<WPARAM>(percent),
                                 millisecondsLeft) == standin::kMsgAbortImage) {
            return aborted();
        }
    }
    if (!writeMarker(*image, target, flags)) return FALSE;
    SetLastError(ERROR_SUCCESS);
    return TRUE;
}
