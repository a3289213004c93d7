#pragma once
// The Windows imaging library (wimgapi.dll) as the program calls it: the same operations with
// the same arguments, flags and results. Handles are opaque numbers; 0 means failure, and
// lastError() then tells why (GetLastError of the calling thread). The win32 backend loads
// wimgapi.dll from System32 at run time; the sim backend answers with wimlib.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>

namespace halvora {

using WimHandle = std::uint64_t;

// WIMCreateFile
inline constexpr std::uint32_t kWimGenericRead = 0x80000000;
inline constexpr std::uint32_t kWimOpenExisting = 3;
inline constexpr std::uint32_t kWimFlagVerify = 0x00000002;        // check the integrity table
inline constexpr std::uint32_t kWimFlagSolidAllowed = 0x20000000;  // solid (LZMS) resources, ESD
// WIMApplyImage
inline constexpr std::uint32_t kWimApplyVerify = 0x00000002;
inline constexpr std::uint32_t kWimApplyWimBoot = 0x00002000;
inline constexpr std::uint32_t kWimApplyCompact = 0x00004000;
// WIMSetReferenceFile
inline constexpr std::uint32_t kWimReferenceAppend = 0x00010000;
// WIMRegisterLogFile
inline constexpr std::uint32_t kWimLogFlags = 1;

// Messages to the callback.
inline constexpr std::uint32_t kWimMsgProgress = 0x9478;  // wParam percent, lParam ms left
inline constexpr std::uint32_t kWimMsgError = 0x947F;     // wParam const wchar_t* path, lParam error
inline constexpr std::uint32_t kWimMsgRetry = 0x9481;
inline constexpr std::uint32_t kWimMsgWarning = 0x9485;
// Callback results.
inline constexpr std::uint32_t kWimMsgSuccess = 0;
inline constexpr std::uint32_t kWimMsgAbortImage = 0xFFFFFFFF;
// WIMRegisterMessageCallback's failure result.
inline constexpr std::uint32_t kWimInvalidCallback = 0xFFFFFFFF;

// WIM_INFO as WIMGetAttributes fills it: 560 bytes, decoded above the boundary, and where its
// fields lie (WimPath is 260 wide characters, a GUID follows).
inline constexpr std::uint32_t kWimInfoSize = 560;
namespace record {
inline constexpr std::size_t kWimPath = 0;
inline constexpr std::size_t kWimPathCharacters = 260;
inline constexpr std::size_t kWimGuid = 520;
inline constexpr std::size_t kWimImageCount = 536;
inline constexpr std::size_t kWimCompressionType = 540;
inline constexpr std::size_t kWimPartNumber = 544;
inline constexpr std::size_t kWimTotalParts = 546;
inline constexpr std::size_t kWimBootIndex = 548;
inline constexpr std::size_t kWimAttributes = 552;
inline constexpr std::size_t kWimFlagsAndAttr = 556;
}  // namespace record

// The callback, run on the thread that performs the operation (the apply runs it on the
// worker that called applyImage). wParam and lParam are as wimgapi passes them; for the error
// message wParam points to a NUL-terminated wide path. Its result goes back to the library:
// kWimMsgAbortImage stops the operation.
using WimMessageCallback =
    std::function<std::uint32_t(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam)>;

class ImagingLibrary {
public:
    virtual ~ImagingLibrary() = default;

    // GetLastError on this thread after the last call that failed.
    virtual std::uint32_t lastError() = 0;

    // WIMCreateFile. `creationResult` may be null.
    virtual WimHandle createFile(const std::wstring& path, std::uint32_t access, std::uint32_t disposition,
                                 std::uint32_t flags, std::uint32_t compression, std::uint32_t* creationResult) = 0;
    // WIMCloseHandle, for file and image handles alike.
    virtual bool closeHandle(WimHandle handle) = 0;
    // WIMGetImageInformation: the UTF-16 buffer exactly as the library hands it out (byte-order
    // mark first); the backend frees the library's buffer.
    virtual bool getImageInformation(WimHandle handle, std::u16string& information) = 0;
    // WIMGetAttributes into `info` of `size` bytes (a WIM_INFO).
    virtual bool getAttributes(WimHandle handle, void* info, std::uint32_t size) = 0;
    virtual bool setReferenceFile(WimHandle handle, const std::wstring& path, std::uint32_t flags) = 0;
    virtual bool setTemporaryPath(WimHandle handle, const std::wstring& path) = 0;
    virtual WimHandle loadImage(WimHandle handle, std::uint32_t index) = 0;
    // WIMApplyImage: blocks until done; the callbacks run on the calling thread.
    virtual bool applyImage(WimHandle image, const std::wstring& path, std::uint32_t flags) = 0;

    // WIMRegisterMessageCallback: handle 0 means every handle. Returns the callback's index or
    // kWimInvalidCallback.
    virtual std::uint32_t registerMessageCallback(WimHandle handle, WimMessageCallback callback) = 0;
    // WIMUnregisterMessageCallback with no callback: removes every callback of the handle
    // (handle 0: all of them).
    virtual bool unregisterMessageCallback(WimHandle handle) = 0;

    virtual bool registerLogFile(const std::wstring& path, std::uint32_t flags) = 0;
    virtual bool unregisterLogFile(const std::wstring& path) = 0;
};

}  // namespace halvora
