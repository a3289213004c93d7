#include "platform/sim/machine/sim_machine_description.hpp"

#include "base/utf.hpp"
#include "platform/sim/machine/sim_json.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

std::wstring textOf(const json& value) { return fromUtf8(value.get<std::string>()); }

// The window system's and the system's own records are read here rather than by from_json
// functions beside them: the boundary does not know the description.
FontSpec descriptionFont(const json& value) {
    expectObject(value, "an object with \"face\" and \"height\"");
    refuseUnknownMembers(value, {"face", "height"});
    FontSpec font;
    font.face = textOf(requiredMember(value, "face", "a string"));
    font.height = wholeNumber(requiredMember(value, "height", "a whole number"), -1000, 1000);
    return font;
}

void readVersion(const json& value, OsVersion& version) {
    expectObject(value, "an object with \"major\", \"minor\" and \"build\"");
    refuseUnknownMembers(value, {"major", "minor", "build"});
    const std::pair<const char*, std::uint32_t*> parts[] = {
        {"major", &version.major}, {"minor", &version.minor}, {"build", &version.build}};
    for (const auto& [name, part] : parts) {
        if (const auto found = value.find(name); found != value.end()) {
            *part = wholeNumber<std::uint32_t>(*found, 0, 0xFFFFFFFF);
        }
    }
}

// "C" or "C:", upper case.
wchar_t driveLetterKey(const json& value, const std::string& key) {
    const std::wstring name = fromUtf8(key);
    const bool valid = (name.size() == 1 || (name.size() == 2 && name[1] == L':')) && foldCase(name[0]) >= L'A' &&
                       foldCase(name[0]) <= L'Z';
    if (!valid) refuseJson(value, "must be keyed by a drive letter such as \"C\" or \"C:\"");
    return foldCase(name[0]);
}

std::filesystem::path madeWhole(const std::filesystem::path& folder, const std::filesystem::path& base) {
    return (folder.is_relative() ? base / folder : folder).lexically_normal();
}

}  // namespace

void from_json(const json& value, VersionResource& resource) {
    expectObject(value, "an object with \"translation\", \"strings\" and \"languageName\"");
    refuseUnknownMembers(value, {"translation", "strings", "languageName"});
    if (const auto t = value.find("translation"); t != value.end()) {
        if (!t->is_array() || t->empty() || t->size() % 2 != 0) {
            refuseJson(*t, "must be a list of language and code page pairs, such as [1033, 1200]");
        }
        std::vector<std::uint16_t> values;
        for (const auto& item : *t) values.push_back(wholeNumber<std::uint16_t>(item, 0, 0xFFFF));
        resource.translation = std::move(values);
    }
    if (const auto s = value.find("strings"); s != value.end()) {
        for (const auto& [name, text] : s->get<std::map<std::string, std::string>>()) {
            resource.strings[fromUtf8(name)] = fromUtf8(text);
        }
    }
    if (const auto name = value.find("languageName"); name != value.end()) resource.languageName = textOf(*name);
}

void from_json(const json& value, BootToolDescription& tool) {
    if (value.is_boolean()) {
        tool.present = value.get<bool>();
        return;
    }
    expectObject(value, "true, false or an object with \"exitCode\"");
    refuseUnknownMembers(value, {"exitCode"});
    if (const auto code = value.find("exitCode"); code != value.end()) {
        tool.exitCode = wholeNumber<std::uint32_t>(*code, 0, 0xFFFFFFFF);
    }
}

void from_json(const json& value, MachineDescription& d) {
    expectObject(value, "an object");
    refuseUnknownMembers(
        value, {"windowsVersion",  "ntdllMissing", "environment",      "tempPath",         "programPath",
                "systemDirectory", "localeName",   "arguments",        "drives",           "readOnly",
                "disks",           "cdroms",       "otherDrives",      "versionResources", "versionDllMissing",
                "virtDisk",        "fonts",        "smallCaptionFont", "guiFont",          "dpi",
                "taskbarMissing",  "bcdboot",      "threadStartError", "isoLetterDelay",   "failCalls"});
    if (const auto v = value.find("windowsVersion"); v != value.end()) readVersion(*v, d.windowsVersion);
    readMember(value, "ntdllMissing", d.ntdllMissing);
    if (const auto env = value.find("environment"); env != value.end()) {
        for (const auto& [name, text] : env->get<std::map<std::string, std::string>>()) {
            d.environment[foldCase(fromUtf8(name))] = fromUtf8(text);
        }
    } else {
        d.environment = {{L"SYSTEMROOT", L"C:\\Windows"},
                         {L"WINDIR", L"C:\\Windows"},
                         {L"SYSTEMDRIVE", L"C:"},
                         {L"TEMP", L"C:\\Temp"},
                         {L"TMP", L"C:\\Temp"}};
    }
    const std::pair<const char*, std::wstring*> texts[] = {{"tempPath", &d.tempPath},
                                                           {"programPath", &d.programPath},
                                                           {"systemDirectory", &d.systemDirectory},
                                                           {"localeName", &d.localeName}};
    for (const auto& [key, out] : texts) {
        if (const auto found = value.find(key); found != value.end()) *out = textOf(*found);
    }
    if (const auto args = value.find("arguments"); args != value.end()) {
        d.arguments.clear();
        for (const auto& arg : args->get<std::vector<std::string>>()) d.arguments.push_back(fromUtf8(arg));
    }
    if (const auto drives = value.find("drives"); drives != value.end()) {
        expectObject(*drives, "an object of drive letter to folder");
        for (const auto& [letter, folder] : drives->items()) {
            d.drives[driveLetterKey(folder, letter)] = std::filesystem::path(folder.get<std::string>());
        }
    }
    if (const auto readOnly = value.find("readOnly"); readOnly != value.end()) {
        const auto paths = readOnly->get<std::vector<std::string>>();
        for (std::size_t i = 0; i < paths.size(); ++i) {
            const auto parsed = parseWindowsPath(fromUtf8(paths[i]));
            if (!parsed) refuseJson((*readOnly)[i], "must be a drive path such as \"D:\\\\Halvora\"");
            d.readOnly.push_back(*parsed);
        }
    }
    // The disks, CD-ROMs and other drives, whose letters must differ from the plain drives'.
    d.storage = readStorageDescription(value, d.drives);
    if (const auto resources = value.find("versionResources"); resources != value.end()) {
        expectObject(*resources, "an object keyed by file path");
        for (const auto& [path, entry] : resources->items()) {
            const std::wstring key = versionResourceKey(fromUtf8(path));
            if (key.empty())
                refuseJson(entry, "must be keyed by a drive path such as \"C:\\\\Windows\\\\System32\\\\wimgapi.dll\"");
            d.versionResources[key] = entry.get<VersionResource>();
        }
    }
    readMember(value, "versionDllMissing", d.versionDllMissing);
    readMember(value, "virtDisk", d.virtDisk);
    if (const auto fonts = value.find("fonts"); fonts != value.end()) {
        d.fonts.clear();
        for (const auto& face : fonts->get<std::vector<std::string>>()) d.fonts.push_back(fromUtf8(face));
    }
    if (const auto caption = value.find("smallCaptionFont"); caption != value.end()) {
        d.smallCaptionFont = caption->is_null() ? std::nullopt : std::optional<FontSpec>(descriptionFont(*caption));
    }
    if (const auto gui = value.find("guiFont"); gui != value.end()) d.guiFont = descriptionFont(*gui);
    if (const auto dpi = value.find("dpi"); dpi != value.end()) d.dpi = wholeNumber(*dpi, 48, 960);
    readMember(value, "taskbarMissing", d.taskbarMissing);
    readMember(value, "bcdboot", d.bcdboot);
    if (const auto code = value.find("threadStartError"); code != value.end()) {
        d.threadStartError = wholeNumber<std::uint32_t>(*code, 0, 0xFFFFFFFF);
    }
    if (const auto delay = value.find("isoLetterDelay"); delay != value.end()) {
        constexpr std::uint64_t kOneDay = 86400000;
        d.isoLetterDelay = wholeNumber<std::uint64_t>(*delay, 0, kOneDay);
    }
    readMember(value, "failCalls", d.failCalls);
}

std::optional<MachineDescription> parseMachineDescription(const nlohmann::json& json,
                                                          const std::filesystem::path& baseFolder, std::string& error) {
    MachineDescription description;
    if (!readJson("machine description", error, [&] { json.get_to(description); })) return std::nullopt;
    // Folders are written relative to the description's own folder.
    for (auto& [letter, folder] : description.drives) folder = madeWhole(folder, baseFolder);
    for (auto& disk : description.storage.disks) {
        for (auto& partition : disk.partitions) partition.folder = madeWhole(partition.folder, baseFolder);
        if (disk.real && disk.real->kind == RealDiskKind::Image)
            disk.real->path = madeWhole(disk.real->path, baseFolder);
    }
    for (auto& cd : description.storage.cdroms) cd.folder = madeWhole(cd.folder, baseFolder);
    for (auto& drive : description.storage.otherDrives) drive.folder = madeWhole(drive.folder, baseFolder);
    return description;
}

std::wstring versionResourceKey(const std::wstring& path) {
    const auto parsed = parseWindowsPath(path);
    if (!parsed) return L"";
    std::wstring key(1, parsed->drive);
    key += L':';
    for (const auto& component : parsed->components) key += L'\\' + foldCase(component);
    return key;
}

}  // namespace halvora::sim
