#include "install/oem_placement.hpp"

#include "base/paths.hpp"
#include "ui/status_bar.hpp"

namespace halvora {

namespace {

std::wstring joined(const std::wstring& folder, const std::wstring& name) {
    return withTrailingBackslash(folder) + name;
}

// Creates `folder` and the folders above it that are missing.
bool ensureFolder(System& system, const std::wstring& folder) {
    std::wstring path = folder;
    while (!path.empty() && path.back() == L'\\') path.pop_back();
    if (path.empty() || system.folderExists(path)) return true;
    const std::size_t slash = path.find_last_of(L'\\');
    if (slash != std::wstring::npos && !ensureFolder(system, path.substr(0, slash))) return false;
    return system.createFolder(path) || system.folderExists(path);
}

void clearProtection(System& system, const std::wstring& path) {
    const std::uint32_t attributes = system.fileAttributes(path);
    if (attributes == kInvalidFileAttributes) return;
    system.setFileAttributes(path,
                             attributes & ~(kFileAttributeReadOnly | kFileAttributeHidden | kFileAttributeSystem));
}

}  // namespace

bool copyFolderTree(System& system, const std::wstring& from, const std::wstring& to) {
    const auto entries = system.listFolder(from);
    if (!entries) return false;
    bool complete = ensureFolder(system, to);
    for (const FolderEntry& entry : *entries) {
        const std::wstring source = joined(from, entry.name);
        const std::wstring destination = joined(to, entry.name);
        // A failure leaves the rest to copy: as much of the customisation as possible lands.
        if (entry.attributes & kFileAttributeDirectory) {
            complete = copyFolderTree(system, source, destination) && complete;
        } else {
            complete = system.copyFile(source, destination, false) && complete;
        }
    }
    return complete;
}

OemCopyResult copyOemFolders(Program& program, const std::wstring& oemPath, const std::wstring& target) {
    System& sys = program.system;
    if (oemPath.empty() || !sys.folderExists(oemPath)) return {};
    showStatus(program, L"$OEM$ 복사 진행");
    static const std::pair<const wchar_t*, const wchar_t*> kMapping[] = {
        {L"$$", L"\\Windows\\"}, {L"$1", L"\\"}, {L"$Progs", L"\\Program Files\\"}};
    OemCopyResult result;
    for (const auto& [source, destination] : kMapping) {
        const std::wstring folder = joined(oemPath, source);
        if (!sys.folderExists(folder)) continue;
        ++result.present;
        if (copyFolderTree(sys, folder, target + destination)) ++result.copied;
    }
    return result;
}

int placeAnswerFile(Program& program, const std::wstring& answerFile, const std::wstring& target) {
    System& sys = program.system;
    if (sys.fileSize(answerFile) <= 1 || target.empty() || !sys.folderExists(volumeRoot(target))) return 0;
    showStatus(program, L"XML 복사 진행");
    const std::wstring panther = target + L"\\Windows\\Panther\\";
    if (!sys.folderExists(panther)) sys.createFolder(panther);
    const std::wstring destination = panther + L"unattend.xml";
    if (sys.fileAttributes(destination) != kInvalidFileAttributes) {
        clearProtection(sys, destination);
        sys.deleteFile(destination);
    }
    return sys.copyFile(answerFile, destination, false) ? 1 : 0;
}

std::wstring oemSummaryLine(bool chosen, const OemCopyResult& result) {
    if (!chosen && result.copied == 0) return L"";
    std::wstring line = L"$OEM$: " + std::to_wstring(result.copied);
    if (result.copied < result.present) line += L"/" + std::to_wstring(result.present);
    return line + L".";
}

std::wstring answerFileSummaryLine(bool chosen, int placed) {
    if (!chosen && placed == 0) return L"";
    return L"XML: " + std::to_wstring(placed) + L".";
}

}  // namespace halvora
