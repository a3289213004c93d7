#include "platform/sim/machine/sim_machine_description.hpp"

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

// Reading stops at the first field with the wrong shape; `error` names it.
struct Reader {
    std::string& error;

    bool fail(const std::string& field, const std::string& expected) {
        error = "machine description: \"" + field + "\" must be " + expected;
        return false;
    }

    bool text(const json& parent, const char* key, std::wstring& out, const std::string& field) {
        if (!parent.contains(key)) return true;
        const json& value = parent.at(key);
        if (!value.is_string()) return fail(field, "a string");
        out = fromUtf8(value.get<std::string>());
        return true;
    }

    bool flag(const json& parent, const char* key, bool& out) {
        if (!parent.contains(key)) return true;
        const json& value = parent.at(key);
        if (!value.is_boolean()) return fail(key, "true or false");
        out = value.get<bool>();
        return true;
    }

    bool number(const json& value, const std::string& field, std::int64_t low, std::int64_t high,
                std::int64_t& out) {
        if (!value.is_number_integer()) return fail(field, "a whole number");
        out = value.get<std::int64_t>();
        if (out < low || out > high) {
            return fail(field, "between " + std::to_string(low) + " and " + std::to_string(high));
        }
        return true;
    }

    bool textList(const json& parent, const char* key, std::vector<std::wstring>& out) {
        if (!parent.contains(key)) return true;
        const json& value = parent.at(key);
        if (!value.is_array()) return fail(key, "a list of strings");
        out.clear();
        for (const auto& item : value) {
            if (!item.is_string()) return fail(key, "a list of strings");
            out.push_back(fromUtf8(item.get<std::string>()));
        }
        return true;
    }

    bool font(const json& value, const std::string& field, FontSpec& out) {
        if (!value.is_object()) return fail(field, "an object with \"face\" and \"height\"");
        if (!value.contains("face") || !value.at("face").is_string()) {
            return fail(field + ".face", "a string");
        }
        std::int64_t height = 0;
        if (!value.contains("height")) return fail(field + ".height", "a whole number");
        if (!number(value.at("height"), field + ".height", -1000, 1000, height)) return false;
        out.face = fromUtf8(value.at("face").get<std::string>());
        out.height = static_cast<int>(height);
        return true;
    }

    bool version(const json& root, MachineDescription& d) {
        if (!root.contains("windowsVersion")) return true;
        const json& v = root.at("windowsVersion");
        if (!v.is_object()) return fail("windowsVersion", "an object");
        std::uint32_t* parts[] = {&d.windowsVersion.major, &d.windowsVersion.minor,
                                  &d.windowsVersion.build};
        const char* names[] = {"major", "minor", "build"};
        for (int i = 0; i < 3; ++i) {
            if (!v.contains(names[i])) continue;
            std::int64_t n = 0;
            if (!number(v.at(names[i]), std::string("windowsVersion.") + names[i], 0, 0xFFFFFFFF, n)) {
                return false;
            }
            *parts[i] = static_cast<std::uint32_t>(n);
        }
        return true;
    }

    bool environment(const json& root, MachineDescription& d) {
        if (!root.contains("environment")) {
            d.environment = {{L"SYSTEMROOT", L"C:\\Windows"},
                             {L"WINDIR", L"C:\\Windows"},
                             {L"SYSTEMDRIVE", L"C:"},
                             {L"TEMP", L"C:\\Temp"},
                             {L"TMP", L"C:\\Temp"}};
            return true;
        }
        const json& env = root.at("environment");
        if (!env.is_object()) return fail("environment", "an object of strings");
        for (const auto& [name, value] : env.items()) {
            if (!value.is_string()) return fail("environment." + name, "a string");
            d.environment[foldCase(fromUtf8(name))] = fromUtf8(value.get<std::string>());
        }
        return true;
    }

    bool drives(const json& root, const std::filesystem::path& base, MachineDescription& d) {
        if (root.contains("drives")) {
            const json& drives = root.at("drives");
            if (!drives.is_object()) return fail("drives", "an object of drive letter to folder");
            for (const auto& [letter, folder] : drives.items()) {
                const std::wstring name = fromUtf8(letter);
                const bool valid = (name.size() == 1 || (name.size() == 2 && name[1] == L':')) &&
                                   foldCase(name[0]) >= L'A' && foldCase(name[0]) <= L'Z';
                if (!valid) return fail("drives." + letter, "keyed by a drive letter");
                if (!folder.is_string()) return fail("drives." + letter, "a folder path");
                std::filesystem::path host = folder.get<std::string>();
                if (host.is_relative()) host = base / host;
                d.drives[foldCase(name[0])] = host.lexically_normal();
            }
        }
        std::vector<std::wstring> readOnly;
        if (!textList(root, "readOnly", readOnly)) return false;
        for (const auto& path : readOnly) {
            auto parsed = parseWindowsPath(path);
            if (!parsed) return fail("readOnly", "a list of drive paths (\"" + toUtf8(path) + "\" is not)");
            d.readOnly.push_back(*parsed);
        }
        return true;
    }

    bool versionResource(const json& entry, const std::string& field, VersionResource& out) {
        if (!entry.is_object()) return fail(field, "an object");
        if (entry.contains("translation")) {
            const json& t = entry.at("translation");
            if (!t.is_array() || t.empty() || t.size() % 2 != 0) {
                return fail(field + ".translation", "a list of language and code page pairs");
            }
            std::vector<std::uint16_t> values;
            for (const auto& item : t) {
                std::int64_t n = 0;
                if (!number(item, field + ".translation", 0, 0xFFFF, n)) return false;
                values.push_back(static_cast<std::uint16_t>(n));
            }
            out.translation = std::move(values);
        }
        if (entry.contains("strings")) {
            const json& s = entry.at("strings");
            if (!s.is_object()) return fail(field + ".strings", "an object of strings");
            for (const auto& [name, value] : s.items()) {
                if (!value.is_string()) return fail(field + ".strings." + name, "a string");
                out.strings[fromUtf8(name)] = fromUtf8(value.get<std::string>());
            }
        }
        return text(entry, "languageName", out.languageName, field + ".languageName");
    }

    bool versionResources(const json& root, MachineDescription& d) {
        if (!root.contains("versionResources")) return true;
        const json& all = root.at("versionResources");
        if (!all.is_object()) return fail("versionResources", "an object keyed by file path");
        for (const auto& [path, entry] : all.items()) {
            const std::wstring key = versionResourceKey(fromUtf8(path));
            const std::string field = "versionResources." + path;
            if (key.empty()) return fail(field, "keyed by a drive path");
            VersionResource resource;
            if (!versionResource(entry, field, resource)) return false;
            d.versionResources[key] = std::move(resource);
        }
        return true;
    }

    bool fonts(const json& root, MachineDescription& d) {
        if (!textList(root, "fonts", d.fonts)) return false;
        if (root.contains("smallCaptionFont")) {
            const json& f = root.at("smallCaptionFont");
            if (f.is_null()) {
                d.smallCaptionFont.reset();
            } else {
                FontSpec caption;
                if (!font(f, "smallCaptionFont", caption)) return false;
                d.smallCaptionFont = caption;
            }
        }
        if (root.contains("guiFont") && !font(root.at("guiFont"), "guiFont", d.guiFont)) return false;
        if (root.contains("dpi")) {
            std::int64_t dpi = 0;
            if (!number(root.at("dpi"), "dpi", 48, 960, dpi)) return false;
            d.dpi = static_cast<int>(dpi);
        }
        return true;
    }

    // "bcdboot": false removes the program; {"exitCode": N} makes it fail with N.
    bool bootTool(const json& root, MachineDescription& d) {
        if (!root.contains("bcdboot")) return true;
        const json& value = root.at("bcdboot");
        if (value.is_boolean()) {
            d.bcdboot.present = value.get<bool>();
            return true;
        }
        if (!value.is_object()) return fail("bcdboot", "true, false or an object with \"exitCode\"");
        if (value.contains("exitCode")) {
            std::int64_t code = 0;
            if (!number(value.at("exitCode"), "bcdboot.exitCode", 0, 0xFFFFFFFF, code)) return false;
            d.bcdboot.exitCode = static_cast<std::uint32_t>(code);
        }
        return true;
    }

    bool threadStarts(const json& root, MachineDescription& d) {
        if (!root.contains("threadStartError")) return true;
        std::int64_t code = 0;
        if (!number(root.at("threadStartError"), "threadStartError", 0, 0xFFFFFFFF, code)) return false;
        d.threadStartError = static_cast<std::uint32_t>(code);
        return true;
    }

    bool isoLetters(const json& root, MachineDescription& d) {
        if (!root.contains("isoLetterDelay")) return true;
        constexpr std::int64_t kOneDay = 86400000;
        std::int64_t delay = 0;
        if (!number(root.at("isoLetterDelay"), "isoLetterDelay", 0, kOneDay, delay)) return false;
        d.isoLetterDelay = static_cast<std::uint64_t>(delay);
        return true;
    }

    bool read(const json& root, const std::filesystem::path& base, MachineDescription& d) {
        if (!root.is_object()) {
            error = "machine description: the top level must be an object";
            return false;
        }
        d.raw = root;
        return version(root, d) && flag(root, "ntdllMissing", d.ntdllMissing) &&
               environment(root, d) && text(root, "tempPath", d.tempPath, "tempPath") &&
               text(root, "programPath", d.programPath, "programPath") &&
               text(root, "systemDirectory", d.systemDirectory, "systemDirectory") &&
               text(root, "localeName", d.localeName, "localeName") &&
               textList(root, "arguments", d.arguments) && drives(root, base, d) &&
               parseStorageDescription(root, base, d.drives, d.storage, error) &&
               versionResources(root, d) && flag(root, "versionDllMissing", d.versionDllMissing) &&
               flag(root, "virtDisk", d.virtDisk) &&
               fonts(root, d) && flag(root, "taskbarMissing", d.taskbarMissing) && bootTool(root, d) &&
               threadStarts(root, d) && isoLetters(root, d);
    }
};

}  // namespace

std::optional<MachineDescription> parseMachineDescription(const nlohmann::json& json,
                                                          const std::filesystem::path& baseFolder,
                                                          std::string& error) {
    MachineDescription description;
    try {
        Reader reader{error};
        if (!reader.read(json, baseFolder, description)) return std::nullopt;
    } catch (const nlohmann::json::exception& e) {
        // The checks above should leave nothing to throw; a gap in them is still no crash.
        error = std::string("machine description: ") + e.what();
        return std::nullopt;
    }
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
