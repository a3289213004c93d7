#include "wim_records.hpp"

#include <cstring>

namespace standin {

namespace {

// Both kinds of record start with their tag: the first DWORD behind a handle tells the kind.
DWORD tagOf(HANDLE handle) {
    DWORD tag = 0;
    if (handle) std::memcpy(&tag, handle, sizeof tag);
    return tag;
}

template <typename Record>
Record* recordOf(HANDLE handle, DWORD tag) {
    if (tagOf(handle) != tag) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    return static_cast<Record*>(handle);
}

}  // namespace

WimFile* fileOf(HANDLE handle) { return recordOf<WimFile>(handle, kFileTag); }
WimImage* imageOf(HANDLE handle) { return recordOf<WimImage>(handle, kImageTag); }

}  // namespace standin
