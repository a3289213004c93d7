#include "platform/sim/disks/sim_disk_description.hpp"

#include <cstdio>
#include <set>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_json.hpp"
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

// "C" or "C:", upper case.
wchar_t driveLetterOf(const json& value) {
    const std::wstring name = fromUtf8(value.get<std::string>());
    const bool valid = (name.size() == 1 || (name.size() == 2 && name[1] == L':')) && foldCase(name[0]) >= L'A' &&
                       foldCase(name[0]) <= L'Z';
    if (!valid) refuseJson(value, "must be a drive letter such as \"C\" or \"C:\"");
    return foldCase(name[0]);
}

// The host folder that holds a volume's files, as written (made whole against the
// description's folder by the machine description's reader).
std::filesystem::path volumeFolderOf(const json& object) {
    const json& folder = requiredMember(object, "folder", "the host folder holding the volume's files");
    const std::string text = folder.get<std::string>();
    if (text.empty()) refuseJson(folder, "must be a folder path");
    return text;
}

std::uint32_t numberOf(const json& object) {
    return wholeNumber<std::uint32_t>(requiredMember(object, "number", "a whole number"), 0, 0xFFFFFFFF);
}

const json* listMember(const json& object, const char* key, const std::string& what) {
    const auto found = object.find(key);
    if (found == object.end()) return nullptr;
    if (!found->is_array()) refuseJson(*found, "must be " + what);
    return &*found;
}

// Each drive letter once across the machine: plain drives, partitions, CD-ROMs, other drives.
struct LetterBook {
    std::set<wchar_t> taken;
    void take(const json& object, wchar_t letter) {
        if (letter == 0) return;
        if (!taken.insert(letter).second) {
            refuseJson(object.at("letter"), "the letter " + toUtf8(std::wstring(1, letter)) + ": is used twice");
        }
    }
    // The same, where the letter itself is the JSON value named.
    void takeAt(const json& value, wchar_t letter) {
        if (!taken.insert(letter).second) {
            refuseJson(value, "the letter " + toUtf8(std::wstring(1, letter)) + ": is used twice");
        }
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
    guid.data1 =
        (std::uint32_t(bytes[0]) << 24) | (std::uint32_t(bytes[1]) << 16) | (std::uint32_t(bytes[2]) << 8) | bytes[3];
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

void from_json(const json& value, Guid& guid) {
    const auto parsed = parseGuid(value.get<std::string>());
    if (!parsed) refuseJson(value, "must be a GUID in braces, e.g. \"{C12A7328-F81F-11D2-BA4B-00A0C93EC93B}\"");
    guid = *parsed;
}

void from_json(const json& value, PartitionStyle& style) {
    const std::string text = value.get<std::string>();
    if (text == "MBR") {
        style = PartitionStyle::Mbr;
    } else if (text == "GPT") {
        style = PartitionStyle::Gpt;
    } else if (text == "RAW") {
        style = PartitionStyle::Raw;
    } else {
        refuseJson(value, "must be \"MBR\", \"GPT\" or \"RAW\"");
    }
}

void from_json(const json& value, PartitionDescription& p) {
    expectObject(value, "an object");
    refuseUnknownMembers(value, {"number", "mbrType", "active", "gptType", "gptName", "letter", "label", "fileSystem",
                                 "size", "folder"});
    p.number = numberOf(value);
    if (const auto type = value.find("mbrType"); type != value.end())
        p.mbrType = wholeNumber<std::uint8_t>(*type, 0, 255);
    readMember(value, "active", p.active);
    readMember(value, "gptType", p.gptType);
    if (const auto name = value.find("gptName"); name != value.end()) {
        p.gptName = fromUtf8(name->get<std::string>());
        if (p.gptName.size() > 36) refuseJson(*name, "must be at most 36 characters");
    }
    if (const auto letter = value.find("letter"); letter != value.end()) p.letter = driveLetterOf(*letter);
    if (const auto label = value.find("label"); label != value.end()) p.label = fromUtf8(label->get<std::string>());
    if (const auto fs = value.find("fileSystem"); fs != value.end()) p.fileSystem = fromUtf8(fs->get<std::string>());
    if (const auto size = value.find("size"); size != value.end()) {
        p.size = wholeNumber<std::uint64_t>(*size, 0, 0x7FFFFFFFFFFFFFFF);
    }
    p.folder = volumeFolderOf(value);
}

namespace {

void readDiskIdentity(const json& value, DiskDescription& d) {
    if (const auto bus = value.find("bus"); bus != value.end()) d.bus = wholeNumber<std::uint32_t>(*bus, 0, 0xFFFF);
    readMember(value, "removable", d.removable);
    if (const auto vendor = value.find("vendor"); vendor != value.end()) d.vendor = vendor->get<std::string>();
    if (const auto product = value.find("product"); product != value.end()) d.product = product->get<std::string>();
}

// A real disk: its partitions come from its table when the machine starts, so only where its
// sectors are and the letters of its partitions are read here.
void readRealDisk(const json& value, DiskDescription& d) {
    for (const char* key : {"style", "partitions"}) {
        if (value.contains(key)) refuseJsonMember(value, key, "comes from the real disk's own partition table");
    }
    refuseUnknownMembers(value, {"number", "image", "device", "letters", "bus", "removable", "vendor", "product"});
    if (value.contains("image") && value.contains("device")) {
        refuseJsonMember(value, "device", "cannot stand beside \"image\": a disk is one or the other");
    }
    RealDiskSource source;
    const bool image = value.contains("image");
    source.kind = image ? RealDiskKind::Image : RealDiskKind::Device;
    const json& path = value.at(image ? "image" : "device");
    source.path = path.get<std::string>();
    if (source.path.empty()) refuseJson(path, "must name a file");
    if (!image && source.path.is_relative()) refuseJson(path, "must be a whole path such as \"/dev/sdb\"");
    d.real = std::move(source);
    if (const json* letters = value.contains("letters") ? &value.at("letters") : nullptr) {
        if (!letters->is_object()) refuseJson(*letters, "must be an object of partition numbers and letters");
        for (const auto& [key, letter] : letters->items()) {
            std::uint32_t number = 0;
            const bool digits =
                !key.empty() && key.size() <= 9 && key.find_first_not_of("0123456789") == std::string::npos;
            if (digits) number = static_cast<std::uint32_t>(std::stoul(key));
            if (!digits || number == 0) refuseJson(letter, "the key must be a partition number from 1 on");
            d.letters[number] = driveLetterOf(letter);
        }
    }
    readDiskIdentity(value, d);
}

}  // namespace

void from_json(const json& value, DiskDescription& d) {
    expectObject(value, "an object");
    if (value.contains("image") || value.contains("device")) {
        d.number = numberOf(value);
        readRealDisk(value, d);
        return;
    }
    refuseUnknownMembers(value, {"number", "style", "bus", "removable", "vendor", "product", "partitions"});
    d.number = numberOf(value);
    requiredMember(value, "style", "\"MBR\", \"GPT\" or \"RAW\"").get_to(d.style);
    readDiskIdentity(value, d);
    const json* partitions = listMember(value, "partitions", "a list of partitions");
    if (!partitions) return;
    std::set<std::uint32_t> numbers;
    for (const json& p : *partitions) {
        // What belongs to the other style is refused before the partition is read, naming it.
        if (p.is_object()) {
            for (const char* key : {"mbrType", "active"}) {
                if (d.style != PartitionStyle::Mbr && p.contains(key))
                    refuseJsonMember(p, key, "belongs to MBR disks only");
            }
            for (const char* key : {"gptType", "gptName"}) {
                if (d.style != PartitionStyle::Gpt && p.contains(key))
                    refuseJsonMember(p, key, "belongs to GPT disks only");
            }
        }
        auto partition = p.get<PartitionDescription>();
        if (!numbers.insert(partition.number).second) {
            refuseJson(p.at("number"), std::to_string(partition.number) + " is used twice on the disk");
        }
        d.partitions.push_back(std::move(partition));
    }
}

void from_json(const json& value, CdRomDescription& cd) {
    expectObject(value, "an object");
    refuseUnknownMembers(value, {"letter", "folder"});
    cd.letter = driveLetterOf(requiredMember(value, "letter", "a drive letter"));
    cd.folder = volumeFolderOf(value);
}

void from_json(const json& value, OtherDriveDescription& drive) {
    expectObject(value, "an object");
    refuseUnknownMembers(value, {"letter", "kind", "folder"});
    drive.letter = driveLetterOf(requiredMember(value, "letter", "a drive letter"));
    const json& kind = requiredMember(value, "kind", "\"network\" or \"ramdisk\"");
    const std::string text = kind.get<std::string>();
    if (text == "network") {
        drive.kind = OtherDriveKind::Network;
    } else if (text == "ramdisk") {
        drive.kind = OtherDriveKind::RamDisk;
    } else {
        refuseJson(kind, "must be \"network\" or \"ramdisk\"");
    }
    drive.folder = volumeFolderOf(value);
}

StorageDescription readStorageDescription(const nlohmann::json& root, const DriveFolders& plainDrives) {
    StorageDescription out;
    LetterBook letters;
    for (const auto& entry : plainDrives) letters.taken.insert(entry.first);
    if (const json* disks = listMember(root, "disks", "a list of disks")) {
        std::set<std::uint32_t> numbers;
        for (const json& d : *disks) {
            auto disk = d.get<DiskDescription>();
            if (!numbers.insert(disk.number).second) {
                refuseJson(d.at("number"), std::to_string(disk.number) + " is used twice");
            }
            for (std::size_t i = 0; i < disk.partitions.size(); ++i) {
                letters.take(d.at("partitions").at(i), disk.partitions[i].letter);
            }
            for (const auto& [number, letter] : disk.letters) {
                letters.takeAt(d.at("letters").at(std::to_string(number)), letter);
            }
            out.disks.push_back(std::move(disk));
        }
    }
    if (const json* cdroms = listMember(root, "cdroms", "a list of CD-ROM drives")) {
        for (const json& c : *cdroms) {
            out.cdroms.push_back(c.get<CdRomDescription>());
            letters.take(c, out.cdroms.back().letter);
        }
    }
    if (const json* others = listMember(root, "otherDrives", "a list of drives")) {
        for (const json& o : *others) {
            out.otherDrives.push_back(o.get<OtherDriveDescription>());
            letters.take(o, out.otherDrives.back().letter);
        }
    }
    return out;
}

}  // namespace halvora::sim
