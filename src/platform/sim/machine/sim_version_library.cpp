#include "platform/sim/machine/sim_version_library.hpp"

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_json.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

// Marks a block as one of ours, so that a block the program made up itself is not read.
constexpr char kMagic[] = "HalvoraSimVersionBlock\n";

// What blockOf writes after the mark: the translation pairs (none when the resource has no
// translation table) and the strings of the first table.
struct VersionBlock {
    std::vector<std::uint16_t> translation;
    std::map<std::string, std::string> strings;
};

void from_json(const nlohmann::json& value, VersionBlock& block) {
    readMember(value, "translation", block.translation);
    readMember(value, "strings", block.strings);
}

std::optional<VersionBlock> readBlock(const std::vector<std::uint8_t>& block) {
    const std::size_t magic = sizeof(kMagic) - 1;
    if (block.size() < magic || std::memcmp(block.data(), kMagic, magic) != 0) return std::nullopt;
    // The buffer may be longer than the block; the block ends at the first NUL.
    std::size_t end = magic;
    while (end < block.size() && block[end] != 0) ++end;
    const std::string text(block.begin() + magic, block.begin() + end);
    const nlohmann::json json = nlohmann::json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (json.is_discarded() || !json.is_object()) return std::nullopt;
    // A block the program changed into another shape is no version block; the exception stops here.
    try {
        return json.get<VersionBlock>();
    } catch (const nlohmann::json::exception&) {
        return std::nullopt;
    }
}

std::wstring hex4(unsigned value) {
    char buffer[8];
    std::snprintf(buffer, sizeof buffer, "%04X", value & 0xFFFFu);
    return fromUtf8(buffer);
}

}  // namespace

SimVersionLibrary::SimVersionLibrary(std::shared_ptr<SimMachine> machine) : machine_(std::move(machine)) {}

std::string SimVersionLibrary::blockOf(const std::wstring& path) const {
    const auto& resources = machine_->description().versionResources;
    const auto entry = resources.find(versionResourceKey(path));
    if (entry == resources.end()) return {};
    const auto host = machine_->hostPath(path);
    std::error_code ec;
    if (!host || !std::filesystem::is_regular_file(*host, ec) || std::filesystem::file_size(*host, ec) == 0 || ec) {
        return {};
    }
    const VersionResource& resource = entry->second;
    nlohmann::json json = nlohmann::json::object();
    if (resource.translation) json["translation"] = *resource.translation;
    nlohmann::json strings = nlohmann::json::object();
    for (const auto& [name, value] : resource.strings) strings[toUtf8(name)] = toUtf8(value);
    json["strings"] = strings;
    return std::string(kMagic) + json.dump();
}

std::uint32_t SimVersionLibrary::getFileVersionInfoSize(const std::wstring& path) {
    if (machine_->enterCall("GetFileVersionInfoSizeW")) return 0;
    const std::string block = blockOf(path);
    return block.empty() ? 0 : static_cast<std::uint32_t>(block.size() + 1);
}

bool SimVersionLibrary::getFileVersionInfo(const std::wstring& path, std::uint32_t size,
                                           std::vector<std::uint8_t>& block) {
    if (machine_->enterCall("GetFileVersionInfoW")) return false;
    std::string bytes = blockOf(path);
    if (bytes.empty()) return false;
    bytes.push_back('\0');
    // As GetFileVersionInfoW: a buffer that is too small gets the block cut short.
    block.assign(size, 0);
    std::memcpy(block.data(), bytes.data(), std::min<std::size_t>(size, bytes.size()));
    return true;
}

bool SimVersionLibrary::queryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                                         std::uint16_t& codePage) {
    if (machine_->enterCall("VerQueryValueW")) return false;
    const auto read = readBlock(block);
    if (!read || read->translation.size() < 2) return false;
    language = read->translation[0];
    codePage = read->translation[1];
    return true;
}

bool SimVersionLibrary::queryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                                    std::wstring& value) {
    if (machine_->enterCall("VerQueryValueW")) return false;
    const auto read = readBlock(block);
    if (!read) return false;
    // "\StringFileInfo\<language><code page>\<name>", the table named as the resource
    // compiler writes it: four and four upper-case hex digits.
    const std::wstring prefix = L"\\StringFileInfo\\";
    if (subBlock.compare(0, prefix.size(), prefix) != 0) return false;
    const std::size_t tableEnd = subBlock.find(L'\\', prefix.size());
    if (tableEnd == std::wstring::npos) return false;
    const std::wstring table = subBlock.substr(prefix.size(), tableEnd - prefix.size());
    const std::wstring name = subBlock.substr(tableEnd + 1);
    if (read->translation.size() < 2) return false;
    const std::wstring expected = hex4(read->translation[0]) + hex4(read->translation[1]);
    if (table != expected) return false;
    const auto found = read->strings.find(toUtf8(name));
    if (found == read->strings.end()) return false;
    // VerQueryValueW counts the terminating NUL in the length it reports.
    value = fromUtf8(found->second);
    value.push_back(L'\0');
    return true;
}

std::wstring SimVersionLibrary::languageName(std::uint32_t language) {
    if (machine_->enterCall("VerLanguageNameW")) return L"";
    for (const auto& [key, resource] : machine_->description().versionResources) {
        if (resource.translation && resource.translation->front() == language && !resource.languageName.empty()) {
            // The program's buffer holds 128 characters, the NUL included.
            return resource.languageName.substr(0, 127);
        }
    }
    return language == 0 ? L"Language Neutral" : L"";
}

}  // namespace halvora::sim
