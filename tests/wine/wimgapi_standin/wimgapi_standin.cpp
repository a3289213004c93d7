// A stand-in for wimgapi.dll under Wine, whose own wimgapi.dll is a stub. It opens a real WIM
// file for reading and answers from its header and its XML resource, through the documented
// signatures, so that halvora.exe's binary glue with the library (calling convention, WIM_INFO's
// layout, the LocalAlloc'd information buffer, image handles) runs for real. The apply and the
// message callbacks live in apply_image.cpp and message_callbacks.cpp. What it has no answer for
// fails with ERROR_CALL_NOT_IMPLEMENTED, as Wine's stub does. Only for the Wine tests; never
// shipped.

#include <windows.h>

#include <cstdint>
#include <cstring>
#include <string>

#include "wim_header.hpp"
#include "wim_records.hpp"

namespace {

constexpr DWORD kGenericRead = 0x80000000;
constexpr DWORD kOpenExisting = 3;
constexpr DWORD kOpenedExisting = 1;  // WIM_OPENED_EXISTING, the creation result

// WIM_INFO in its published layout (560 bytes).
struct WimInfo {
    WCHAR WimPath[MAX_PATH];
    GUID Guid;
    DWORD ImageCount;
    DWORD CompressionType;
    USHORT PartNumber;
    USHORT TotalParts;
    DWORD BootIndex;
    DWORD WimAttributes;
    DWORD WimFlagsAndAttr;
};
static_assert(sizeof(WimInfo) == 560, "WIM_INFO is 560 bytes");

using standin::fileOf;
using standin::WimFile;
using standin::WimImage;

bool readAt(HANDLE file, std::uint64_t offset, void* buffer, DWORD size) {
    LARGE_INTEGER position;
    position.QuadPart = static_cast<LONGLONG>(offset);
    DWORD got = 0;
    if (!SetFilePointerEx(file, position, nullptr, FILE_BEGIN)) return false;
    if (!ReadFile(file, buffer, size, &got, nullptr)) return false;
    if (got != size) {
        SetLastError(ERROR_HANDLE_EOF);
        return false;
    }
    return true;
}

BOOL notImplemented() {
    SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
    return FALSE;
}

}  // namespace

extern "C" {

HANDLE WINAPI WIMCreateFile(PCWSTR path, DWORD access, DWORD disposition, DWORD flags, DWORD /*compression*/,
                            PDWORD creationResult) {
    if (!path || access != kGenericRead || disposition != kOpenExisting) {
        // Creating or writing images is beyond the stand-in.
        SetLastError(ERROR_CALL_NOT_IMPLEMENTED);
        return nullptr;
    }
    HANDLE file =
        CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;  // CreateFileW's own error stays

    std::uint8_t bytes[standin::kWimHeaderSize];
    standin::WimHeader header;
    if (!readAt(file, 0, bytes, sizeof bytes) || !standin::parseWimHeader(bytes, sizeof bytes, header)) {
        CloseHandle(file);
        SetLastError(ERROR_BAD_FORMAT);
        return nullptr;
    }
    auto* record = new WimFile;
    record->file = file;
    record->path = path;
    record->openFlags = flags;
    record->header = header;
    if (creationResult) *creationResult = kOpenedExisting;
    SetLastError(ERROR_SUCCESS);
    return record;
}

// Closes a file or an image handle.
BOOL WINAPI WIMCloseHandle(HANDLE handle) {
    if (WimFile* record = fileOf(handle)) {
        CloseHandle(record->file);
        record->tag = 0;
        delete record;
        return TRUE;
    }
    WimImage* image = standin::imageOf(handle);
    if (!image) return FALSE;
    image->tag = 0;
    delete image;
    return TRUE;
}

BOOL WINAPI WIMGetAttributes(HANDLE handle, PVOID buffer, DWORD size) {
    WimFile* record = fileOf(handle);
    if (!record) return FALSE;
    if (!buffer || size < sizeof(WimInfo)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return FALSE;
    }
    const standin::WimHeader& h = record->header;
    WimInfo info{};
    record->path.copy(info.WimPath, MAX_PATH - 1);
    std::memcpy(&info.Guid, h.guid, sizeof info.Guid);
    info.ImageCount = h.imageCount;
    info.CompressionType = standin::compressionType(h);
    info.PartNumber = h.partNumber;
    info.TotalParts = h.totalParts;
    info.BootIndex = h.bootIndex;
    info.WimAttributes = standin::wimAttributes(h);
    info.WimFlagsAndAttr = record->openFlags;
    std::memcpy(buffer, &info, sizeof info);
    return TRUE;
}

// The XML resource as stored: UTF-16LE with its byte-order mark, in a buffer the caller frees
// with LocalFree.
BOOL WINAPI WIMGetImageInformation(HANDLE handle, PVOID* buffer, PDWORD size) {
    WimFile* record = fileOf(handle);
    if (!record) return FALSE;
    if (!buffer || !size) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return FALSE;
    }
    const standin::ResourceHeader& xml = record->header.xml;
    if (xml.storedSize == 0 || xml.storedSize > 0x10000000 || (xml.flags & standin::kResourceCompressed)) {
        SetLastError(ERROR_INVALID_DATA);
        return FALSE;
    }
    const auto bytes = static_cast<DWORD>(xml.storedSize);
    // Two more zero bytes, so that a caller that reads the text up to its NUL stops in time.
    void* copy = LocalAlloc(LMEM_FIXED | LMEM_ZEROINIT, bytes + 2);
    if (!copy) return FALSE;
    if (!readAt(record->file, xml.offset, copy, bytes)) {
        const DWORD error = GetLastError();
        LocalFree(copy);
        SetLastError(error);
        return FALSE;
    }
    *buffer = copy;
    *size = bytes;
    return TRUE;
}

BOOL WINAPI WIMRegisterLogFile(PCWSTR, DWORD) { return TRUE; }
BOOL WINAPI WIMUnregisterLogFile(PCWSTR) { return TRUE; }

BOOL WINAPI WIMSetReferenceFile(HANDLE, PCWSTR, DWORD) { return notImplemented(); }

// Nothing is written there, but the folder has to exist, as for wimgapi.
BOOL WINAPI WIMSetTemporaryPath(HANDLE handle, PCWSTR path) {
    if (!fileOf(handle)) return FALSE;
    const DWORD attributes = path ? GetFileAttributesW(path) : INVALID_FILE_ATTRIBUTES;
    if (attributes == INVALID_FILE_ATTRIBUTES || !(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
        SetLastError(ERROR_PATH_NOT_FOUND);
        return FALSE;
    }
    return TRUE;
}

// An image handle for image `index` (1 to the image count) of an open file.
HANDLE WINAPI WIMLoadImage(HANDLE handle, DWORD index) {
    WimFile* record = fileOf(handle);
    if (!record) return nullptr;
    if (index < 1 || index > record->header.imageCount) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
    }
    auto* image = new WimImage;
    image->wim = handle;
    image->wimPath = record->path;
    image->index = index;
    SetLastError(ERROR_SUCCESS);
    return image;
}

}  // extern "C"
