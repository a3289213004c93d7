// The file calls that change the machine's drives. Changes go to the call log, with the
// error when one failed, so that a test sees what the program did and why it did not work.

#include "platform/sim/files/sim_files.hpp"
#include "platform/sim/machine/sim_system.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

bool logged(SimMachine& machine, const std::wstring& call, std::uint32_t error) {
    machine.record(error ? call + L" -> error " + std::to_wstring(error) : call);
    return error == 0;
}

}  // namespace

bool SimSystem::writeFile(const std::wstring& path, const std::string& bytes) {
    return files::write(*machine_, path, bytes, files::HiddenFile::Refuse) == 0;
}

bool SimSystem::deleteFile(const std::wstring& path) {
    return logged(*machine_, L"DeleteFileW " + path, files::remove(*machine_, path));
}

std::uint32_t SimSystem::fileAttributes(const std::wstring& path) { return files::attributes(*machine_, path); }

bool SimSystem::setFileAttributes(const std::wstring& path, std::uint32_t attributes) {
    return logged(*machine_, L"SetFileAttributesW " + path + L" " + hexText(attributes),
                  files::setAttributes(*machine_, path, attributes));
}

bool SimSystem::createFolder(const std::wstring& path) {
    return logged(*machine_, L"CreateDirectoryW " + path, files::createFolder(*machine_, path));
}

bool SimSystem::copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    return logged(*machine_, L"CopyFileW " + from + L" " + to + (failIfExists ? L" 1" : L" 0"),
                  files::copy(*machine_, from, to, failIfExists));
}

std::optional<std::vector<FolderEntry>> SimSystem::listFolder(const std::wstring& folder) {
    machine_->listingGate().pass(folder);
    return files::list(*machine_, folder);
}

}  // namespace halvora::sim
