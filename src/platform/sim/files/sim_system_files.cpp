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
    if (machine_->enterCall("WriteFile")) return false;
    return files::write(*machine_, path, bytes, files::HiddenFile::Refuse) == 0;
}

bool SimSystem::deleteFile(const std::wstring& path) {
    std::uint32_t error = machine_->enterCall("DeleteFileW");
    if (error == 0) error = files::remove(*machine_, path);
    return logged(*machine_, L"DeleteFileW " + path, error);
}

std::uint32_t SimSystem::fileAttributes(const std::wstring& path) {
    if (machine_->enterCall("GetFileAttributesW")) return kInvalidFileAttributes;
    return files::attributes(*machine_, path);
}

bool SimSystem::setFileAttributes(const std::wstring& path, std::uint32_t attributes) {
    std::uint32_t error = machine_->enterCall("SetFileAttributesW");
    if (error == 0) error = files::setAttributes(*machine_, path, attributes);
    return logged(*machine_, L"SetFileAttributesW " + path + L" " + hexText(attributes), error);
}

bool SimSystem::createFolder(const std::wstring& path) {
    std::uint32_t error = machine_->enterCall("CreateDirectoryW");
    if (error == 0) error = files::createFolder(*machine_, path);
    return logged(*machine_, L"CreateDirectoryW " + path, error);
}

bool SimSystem::copyFile(const std::wstring& from, const std::wstring& to, bool failIfExists) {
    std::uint32_t error = machine_->enterCall("CopyFileW");
    if (error == 0) error = files::copy(*machine_, from, to, failIfExists);
    return logged(*machine_, L"CopyFileW " + from + L" " + to + (failIfExists ? L" 1" : L" 0"), error);
}

std::optional<std::vector<FolderEntry>> SimSystem::listFolder(const std::wstring& folder) {
    machine_->listingGate().pass(folder);
    if (machine_->enterCall("FindFirstFileW")) return std::nullopt;
    return files::list(*machine_, folder);
}

}  // namespace halvora::sim
