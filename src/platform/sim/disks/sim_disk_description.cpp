#include "platform/sim/disks/sim_disk_description.hpp"

#include <cstdio>
#include <set>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reading stops at the first bad field; `error` names it by its path in the description.
struct StorageReader {
    std::string& error;
    const std::filesystem::path& base;
    std::set<wchar_t> letters;

    bool fail(const std::string& field, const std::string& what) {
        error = "machine description: \"" + field + "\" " + what;
        return false;
    }
    bool mustBe(const std::string& field, const std::string& expected) { return fail(field, "must be " + expected); }

    bool wholeNumber(const json& parent, const char* key, const std::string& field, std::uint64_t high,
                     std::uint64_t& out, bool required) {
        if (!parent.contains(key)) return required ? mustBe(field, "given (a whole number)") : true;
        const json& value = parent.at(key);
        if (!value.is_number_integer() || (value.is_number_integer() && !value.is_number_unsigned() &&
                                           value.get<std::int64_t>() < 0)) {
            return mustBe(field, "a whole number from 0 to " + std::to_string(high));
        }
        out = value.get<std::uint64_t>();
        if (out > high) return mustBe(field, "a whole number from 0 to " + std::to_string(high));
        return true;
    }

    bool flag(const json& parent, const char* key, const std::string& field, bool& out) {
        if (!parent.contains(key)) return true;
        if (!parent.at(key).is_boolean()) return mustBe(field, "true or false");
        out = parent.at(key).get<bool>();
        return true;
    }

    bool text(const json& parent, const char* key, const std::string& field, std::string& out) {
        if (!parent.contains(key)) return true;
        if (!parent.at(key).is_string()) return mustBe(field, "a string");
        out = parent.at(key).get<std::string>();
        return true;
    }

    bool folder(const json& parent, const std::string& field, std::filesystem::path& out) {
        if (!parent.contains("folder")) return mustBe(field, "given: the host folder holding the volume's files");
        if (!parent.at("folder").is_string() || parent.at("folder").get<std::string>().empty()) {
            return mustBe(field, "a folder path");
        }
        std::filesystem::path host = parent.at("folder").get<std::string>();
        if (host.is_relative()) host = base / host;
        out = host.lexically_normal();
        return true;
    }

    // "C" or "C:"; each letter once across the whole machine.
    bool letter(const json& parent, const std::string& field, bool required, wchar_t& out) {
        if (!parent.contains("letter")) return required ? mustBe(field, "given (a drive letter)") : true;
        const json& value = parent.at("letter");
        const std::wstring name = value.is_string() ? fromUtf8(value.get<std::string>()) : L"";
        const bool valid = (name.size() == 1 || (name.size() == 2 && name[1] == L':')) &&
                           foldCase(name[0]) >= L'A' && foldCase(name[0]) <= L'Z';
        if (!valid) return mustBe(field, "a drive letter such as \"C\" or \"C:\"");
        out = foldCase(name[0]);
        if (!letters.insert(out).second) return fail(field, toUtf8(std::wstring(1, out)) + ": is used twice");
        return true;
    }

    bool partition(const json& p, const std::string& field, PartitionStyle style, std::set<std::uint32_t>& numbers,
                   PartitionDescription& out) {
        if (!p.is_object()) return mustBe(field, "an object");
        std::uint64_t n = 0;
        if (!wholeNumber(p, "number", field + ".number", 0xFFFFFFFF, n, true)) return false;
        out.number = static_cast<std::uint32_t>(n);
        if (!numbers.insert(out.number).second) return fail(field + ".number", std::to_string(n) + " is used twice on the disk");
        if (style != PartitionStyle::Mbr && (p.contains("mbrType") || p.contains("active"))) {
            return fail(field + (p.contains("mbrType") ? ".mbrType" : ".active"), "belongs to MBR disks only");
        }
        if (style != PartitionStyle::Gpt && (p.contains("gptType") || p.contains("gptName"))) {
            return fail(field + (p.contains("gptType") ? ".gptType" : ".gptName"), "belongs to GPT disks only");
        }
        if (!wholeNumber(p, "mbrType", field + ".mbrType", 255, n, false)) return false;
        if (p.contains("mbrType")) out.mbrType = static_cast<std::uint8_t>(n);
        if (!flag(p, "active", field + ".active", out.active)) return false;
        if (p.contains("gptType")) {
            const json& value = p.at("gptType");
            const auto guid = value.is_string() ? parseGuid(value.get<std::string>()) : std::nullopt;
            if (!guid) return mustBe(field + ".gptType", "a GUID in braces, e.g. \"{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}\"");
            out.gptType = *guid;
        }
        std::string utf8;
        if (!text(p, "gptName", field + ".gptName", utf8)) return false;
        out.gptName = fromUtf8(utf8);
        if (out.gptName.size() > 36) return mustBe(field + ".gptName", "at most 36 characters");
        if (!letter(p, field + ".letter", false, out.letter)) return false;
        utf8.clear();
        if (!text(p, "label", field + ".label", utf8)) return false;
        out.label = fromUtf8(utf8);
        utf8 = toUtf8(out.fileSystem);
        if (!text(p, "fileSystem", field + ".fileSystem", utf8)) return false;
        out.fileSystem = fromUtf8(utf8);
        if (!wholeNumber(p, "size", field + ".size", 0x7FFFFFFFFFFFFFFF, out.size, false)) return false;
        return folder(p, field + ".folder", out.folder);
    }

    bool disk(const json& d, const std::string& field, std::set<std::uint32_t>& numbers, DiskDescription& out) {
        if (!d.is_object()) return mustBe(field, "an object");
        std::uint64_t n = 0;
        if (!wholeNumber(d, "number", field + ".number", 0xFFFFFFFF, n, true)) return false;
        out.number = static_cast<std::uint32_t>(n);
        if (!numbers.insert(out.number).second) return fail(field + ".number", std::to_string(n) + " is used twice");
        if (!d.contains("style")) return mustBe(field + ".style", "given (\"MBR\", \"GPT\" or \"RAW\")");
        const std::string style = d.at("style").is_string() ? d.at("style").get<std::string>() : "";
        if (style == "MBR") {
            out.style = PartitionStyle::Mbr;
        } else if (style == "GPT") {
            out.style = PartitionStyle::Gpt;
        } else if (style == "RAW") {
            out.style = PartitionStyle::Raw;
        } else {
            return mustBe(field + ".style", "\"MBR\", \"GPT\" or \"RAW\"");
        }
        if (!wholeNumber(d, "bus", field + ".bus", 0xFFFF, n, false)) return false;
        if (d.contains("bus")) out.bus = static_cast<std::uint32_t>(n);
        if (!flag(d, "removable", field + ".removable", out.removable)) return false;
        for (const char* key : {"vendor", "product"}) {
            std::string value;
            if (!d.contains(key)) continue;
            if (!text(d, key, field + "." + key, value)) return false;
            (std::string(key) == "vendor" ? out.vendor : out.product) = value;
        }
        if (!d.contains("partitions")) return true;
        if (!d.at("partitions").is_array()) return mustBe(field + ".partitions", "a list of partitions");
        std::set<std::uint32_t> partitionNumbers;
        std::size_t i = 0;
        for (const auto& p : d.at("partitions")) {
            PartitionDescription partitionOut;
            if (!partition(p, field + ".partitions[" + std::to_string(i++) + "]", out.style, partitionNumbers,
                           partitionOut)) {
                return false;
            }
            out.partitions.push_back(std::move(partitionOut));
        }
        return true;
    }

    bool list(const json& root, const char* key) {
        if (!root.contains(key)) return true;
        return root.at(key).is_array() || mustBe(key, "a list");
    }

    bool read(const json& root, StorageDescription& out) {
        if (!list(root, "disks") || !list(root, "cdroms") || !list(root, "otherDrives")) return false;
        std::size_t i = 0;
        if (root.contains("disks")) {
            std::set<std::uint32_t> numbers;
            for (const auto& d : root.at("disks")) {
                DiskDescription diskOut;
                if (!disk(d, "disks[" + std::to_string(i++) + "]", numbers, diskOut)) return false;
                out.disks.push_back(std::move(diskOut));
            }
        }
        i = 0;
        if (root.contains("cdroms")) {
            for (const auto& c : root.at("cdroms")) {
                const std::string field = "cdroms[" + std::to_string(i++) + "]";
                CdRomDescription cd;
                if (!c.is_object()) return mustBe(field, "an object");
                if (!letter(c, field + ".letter", true, cd.letter) || !folder(c, field + ".folder", cd.folder)) {
                    return false;
                }
                out.cdroms.push_back(std::move(cd));
            }
        }
        i = 0;
        if (root.contains("otherDrives")) {
            for (const auto& o : root.at("otherDrives")) {
                const std::string field = "otherDrives[" + std::to_string(i++) + "]";
                OtherDriveDescription drive;
                if (!o.is_object()) return mustBe(field, "an object");
                if (!letter(o, field + ".letter", true, drive.letter)) return false;
                const std::string kind = o.contains("kind") && o.at("kind").is_string() ? o.at("kind").get<std::string>() : "";
                if (kind == "network") {
                    drive.kind = OtherDriveKind::Network;
                } else if (kind == "ramdisk") {
                    drive.kind = OtherDriveKind::RamDisk;
                } else {
                    return mustBe(field + ".kind", "\"network\" or \"ramdisk\"");
                }
                if (!folder(o, field + ".folder", drive.folder)) return false;
                out.otherDrives.push_back(std::move(drive));
            }
        }
        return true;
    }
};

}  // namespace

std::optional<Guid> parseGuid(const std::string& text) {
    // {XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}
    if (text.size() != 38 || text.front() != '{' || text.back() != '}') return std::nullopt;
    for (std::size_t dash : {9u, 14u, 19u, 24u}) {
        if (text[dash] != '-') return std::nullopt;
    }
    std::vector<std::uint8_t> bytes;  // the 16 bytes in text order
    for (std::size_t i = 1; i + 1 < text.size();) {
        if (text[i] == '-') {
            ++i;
            continue;
        }
        const int high = hexDigit(text[i]);
        const int low = hexDigit(text[i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        bytes.push_back(static_cast<std::uint8_t>(high * 16 + low));
        i += 2;
    }
    if (bytes.size() != 16) return std::nullopt;
    Guid guid;
    guid.data1 = (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) | bytes[3];
    guid.data2 = static_cast<std::uint16_t>((bytes[4] << 8) | bytes[5]);
    guid.data3 = static_cast<std::uint16_t>((bytes[6] << 8) | bytes[7]);
    for (int i = 0; i < 8; ++i) guid.data4[i] = bytes[8 + i];
    return guid;
}

std::wstring guidText(const Guid& g) {
    char text[40];
    std::snprintf(text, sizeof text, "{%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X}", g.data1, g.data2, g.data3,
                  g.data4[0], g.data4[1], g.data4[2], g.data4[3], g.data4[4], g.data4[5], g.data4[6], g.data4[7]);
    return fromUtf8(text);
}

bool parseStorageDescription(const nlohmann::json& root, const std::filesystem::path& baseFolder,
                             const DriveFolders& plainDrives, StorageDescription& out, std::string& error) {
    StorageReader reader{error, baseFolder, {}};
    for (const auto& entry : plainDrives) reader.letters.insert(entry.first);
    return reader.read(root, out);
}

}  // namespace halvora::sim
