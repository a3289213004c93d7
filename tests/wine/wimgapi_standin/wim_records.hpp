#pragma once
// What the stand-in's handles point to: an open WIM file, or an image loaded from one. Each
// record starts with a tag, so that a handle of the wrong kind (or a freed one) is refused with
// ERROR_INVALID_HANDLE instead of being read as something it is not.

#include <windows.h>

#include <string>

#include "wim_header.hpp"

namespace standin {

inline constexpr DWORD kFileTag = 0x4E494453;   // "SDIN"
inline constexpr DWORD kImageTag = 0x4D494453;  // "SDIM"

struct WimFile {
    DWORD tag = kFileTag;
    HANDLE file = INVALID_HANDLE_VALUE;
    std::wstring path;
    DWORD openFlags = 0;
    WimHeader header;
};

// An image keeps what the apply needs by value, so closing its file first does no harm.
struct WimImage {
    DWORD tag = kImageTag;
    HANDLE wim = nullptr;  // the WIMCreateFile handle it was loaded from
    std::wstring wimPath;
    DWORD index = 0;
};

// The record behind a handle, or null with ERROR_INVALID_HANDLE.
WimFile* fileOf(HANDLE handle);
WimImage* imageOf(HANDLE handle);

}  // namespace standin
