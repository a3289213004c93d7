// TEMPORARY: the dialogs answer "cancelled" until GetOpenFileNameW, the folder picker object and
// SHBrowseForFolderW land in this same piece of work.
#include "platform/win32/win32_toolkit.hpp"

namespace halvora::win32 {

std::wstring Win32Toolkit::openFileDialog(const std::string&, const OpenFileRequest&) { return L""; }
std::wstring Win32Toolkit::pickFolder(const std::string&, const FolderPickerRequest&) { return L""; }
std::wstring Win32Toolkit::browseForFolder(const std::string&, const std::wstring&, const std::wstring&) { return L""; }

}  // namespace halvora::win32
