#pragma once
// Opening and closing image files through the imaging library, with the options of the options
// menu (integrity check, imaging log), and the first look at a chosen file.

#include <string>

#include "platform/imaging.hpp"
#include "ui/program_context.hpp"

namespace halvora {

// Opens the file for reading; 0 when the library refuses it. Solid (ESD) files are allowed where
// this Windows supports them, the integrity table is checked when "Check" is marked, and the
// library's log is started first when "Log" is marked.
WimHandle openImageFile(Program& program, const std::wstring& path);
// Closes the handle (0 is ignored) and stops the library's log when "Log" is marked.
void closeImageFile(Program& program, WimHandle handle);

// The library's XML description of the file, as text up to its first NUL; empty on any failure.
std::wstring readImageXml(Program& program, const std::wstring& path);

// The file to use for `path`: the path itself when it is an image file (or the first part of a
// split set), the first part when a later part was chosen, or empty when it cannot be opened as
// an image. With `showSummary`, a good file's summary goes to the status bar.
std::wstring checkImageFile(Program& program, const std::wstring& path, bool showSummary);

}  // namespace halvora
