#pragma once
// The install-file list (SearchResultList): a row per drive that holds results, followed by
// that drive's files, and the check mark on the row of the current install file. The search
// worker fills it; the interface thread changes it only while no search runs.

#include <cstdint>
#include <string>

#include "images/search_file_kind.hpp"
#include "ui/program_context.hpp"

namespace halvora {

inline const ControlName& kSearchResultList = controls::SearchResultList;
inline constexpr int kSearchPathColumn = 0;
inline constexpr int kSearchSizeColumn = 1;
inline constexpr int kSearchTypeColumn = 2;
// What column 2 ("Type", hidden) says a row is.
inline const std::wstring kSearchFileRow = L"1";
inline const std::wstring kSearchDriveRow = L"3";

// The row icons, by the drive type they stand for, and the check mark.
enum class SearchIcon { CdRom, WindowsDrive, FixedDrive, RamDisk, Remote, Removable, Other, CheckMark, Count };

// The drive icon for a GetDriveTypeW result; `windows` tells a fixed drive holding a Windows
// installation apart.
SearchIcon searchDriveIcon(std::uint32_t driveType, bool windows);

// "E:" + five spaces + label, the count still empty; returns the row.
int addSearchDriveRow(Program& program, const std::wstring& drive, const std::wstring& label, SearchIcon icon);
void addSearchFileRow(Program& program, const std::wstring& path, std::uint64_t size, SearchFileKind kind);
// Removes a row; the check mark stays with the row that carries it.
void removeSearchRow(Program& program, int row);

// Shows the check mark on the row of the file in ImageFileEdit, and takes it off the row that
// had it before.
void markCurrentResult(Program& program);

}  // namespace halvora
