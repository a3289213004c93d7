#pragma once
// The file calls of the simulated machine, on the host folders behind its drives, with the
// errors Windows gives. SimSystem answers the program's calls with them; the programs the
// machine runs (the boot tool) write their files with them too, so a full or write-protected
// volume stops both alike.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/machine/sim_machine.hpp"
#include "platform/system.hpp"

namespace halvora::sim::files {

// The Windows error codes these calls answer with (0: done).
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kWriteProtect = 19;
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kFileExists = 80;
inline constexpr std::uint32_t kDiskFull = 112;
inline constexpr std::uint32_t kAlreadyExists = 183;

// FILE_ATTRIBUTE_REPARSE_POINT, which a listing gives a symbolic link.
inline constexpr std::uint32_t kAttributeReparsePoint = 0x400;

// GetFileAttributesW: kInvalidFileAttributes for a path that does not exist.
std::uint32_t attributes(const SimMachine& machine, const std::wstring& path);
// SetFileAttributesW.
std::uint32_t setAttributes(SimMachine& machine, const std::wstring& path, std::uint32_t attributes);
// CreateDirectoryW: one folder inside an existing one.
std::uint32_t createFolder(SimMachine& machine, const std::wstring& path);
// CopyFileW: the copy takes the source's attributes. Refused onto a read-only or hidden file,
// onto an existing one when `failIfExists`, onto one held open (32, see sim_open_files.hpp), and
// when the destination volume lacks the room.
std::uint32_t copy(SimMachine& machine, const std::wstring& from, const std::wstring& to, bool failIfExists);

// How a write treats an existing hidden or system file.
enum class HiddenFile {
    Refuse,   // as CreateFileW with CREATE_ALWAYS and FILE_ATTRIBUTE_NORMAL: access denied
    Replace,  // as a program that opens it with matching attributes
};
// Creates or replaces a file (its folder must exist). A read-only file is never replaced, nor
// one held open (32).
std::uint32_t write(SimMachine& machine, const std::wstring& path, const std::string& bytes, HiddenFile hidden);
// DeleteFileW: refused for a read-only file (5) and one held open (32).
std::uint32_t remove(SimMachine& machine, const std::wstring& path);

// FindFirstFileW / FindNextFileW on `folder`\*, without "." and "..". The entries come sorted
// by their host names, byte by byte (so case-sensitively): a stable order, where the host's
// own directory order would differ from machine to machine. Nullopt when `folder` is no folder.
// A host link in the folder that leads out of its drive's folder is listed as a link that
// leads nowhere (kAttributeReparsePoint, size 0): what it points at is not looked at.
std::optional<std::vector<FolderEntry>> list(const SimMachine& machine, const std::wstring& folder);

}  // namespace halvora::sim::files
