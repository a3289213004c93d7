#pragma once
// A disc image's files unpacked into a host folder, as Windows shows a mounted ISO: the Joliet
// names where the disc has them, the plain ISO 9660 names (upper case, no version suffix)
// otherwise. Rock Ridge names are not read, as Windows does not read them either.

#include <cstdint>
#include <filesystem>
#include <string>

namespace halvora::sim {

struct UnpackedDisc {
    std::wstring label;  // the primary volume descriptor's volume identifier, trailing spaces cut
};

// Unpacks `image` into the existing, empty `folder`; the files are left without the host's
// write permission, so that they report the read-only attribute as a disc's files do. Returns 0
// or a Windows error: 13 (ERROR_INVALID_DATA) when the file is no ISO 9660 image that libarchive
// reads (UDF-only discs among them) or its data cannot be read, 29 (ERROR_WRITE_FAULT) when the
// host folder cannot take the files. On an error the folder may hold part of the files.
std::uint32_t unpackDisc(const std::filesystem::path& image, const std::filesystem::path& folder, UnpackedDisc& disc);

}  // namespace halvora::sim
