#pragma once
// Opening and closing image files through the imaging library, with the options of the options
// menu (integrity check, imaging log), and the first look at a chosen file.

#include <cstdint>
#include <string>

#include "platform/imaging.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// The options menu's items that opening an image file follows.
struct ImageFileOptions {
    bool checkIntegrity = false;  // "Check"
    bool log = false;             // "Log"
};

// Opens the file for reading; 0 when the library refuses it. Solid (ESD) files are allowed where
// this Windows supports them, the integrity table is checked when "Check" is marked, and the
// library's log is started first when "Log" is marked.
WimHandle openImageFile(Program& program, const std::wstring& path);
// The same with the options given rather than read from the menu.
WimHandle openImageFile(Program& program, const std::wstring& path, const ImageFileOptions& options);
// Closes the handle (0 is ignored) and stops the library's log when "Log" is marked.
void closeImageFile(Program& program, WimHandle handle);

// The library's XML description of the file, as text up to its first NUL; empty on any failure.
std::wstring readImageXml(Program& program, const std::wstring& path);

// What the status bar says of a chosen file that is not used, followed by its path.
inline const std::wstring kEmptyImageFileText = L"빈 파일 입니다: ";
inline const std::wstring kFirstPartMissingText = L"분할 파일의 첫번째 파일을 찾을 수 없습니다: ";
inline const std::wstring kNotAnImageText = L"이미지 파일이 아니거나 손상된 파일 입니다. ";
inline const std::wstring kNoImageInformationText = L"이미지 정보를 읽을 수 없습니다: ";
inline const std::wstring kNoImagesText = L"이미지가 없는 파일 입니다: ";

// "이미지 파일이 아니거나 손상된 파일 입니다. (에러 코드: 13) E:\a.wim"; without the code
// when the library gave none.
std::wstring notAnImageText(const std::wstring& path, std::uint32_t error);

// The file to use for `path`: the path itself when it is an image file (or the first part of a
// split set), the first part when a later part was chosen, or empty when it cannot be opened as
// an image. With `showSummary`, a good file's summary goes to the status bar, and so does why
// any other file is not used (empty, not an image, a split set without its first part).
std::wstring checkImageFile(Program& program, const std::wstring& path, bool showSummary);

}  // namespace halvora
