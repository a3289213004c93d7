#include "platform/sim/programs/sim_registry_hive.hpp"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "base/little_endian.hpp"
#include "base/utf.hpp"
#include "platform/sim/programs/sim_empty_hive.hpp"

namespace halvora::sim {

namespace {

// What hivex hands out is the caller's to free.
struct Free {
    void operator()(void* memory) const { std::free(memory); }
};
template <typename T>
using Owned = std::unique_ptr<T, Free>;

std::string utf16Bytes(const std::wstring& text) {
    std::string bytes;
    for (const char16_t unit : toUtf16(text)) {
        bytes.push_back(static_cast<char>(unit & 0xFF));
        bytes.push_back(static_cast<char>(unit >> 8));
    }
    return bytes;
}

// The UTF-16LE texts of a value, split at each NUL; an odd last byte is not text.
std::vector<std::wstring> utf16Texts(const std::string& bytes) {
    std::vector<std::wstring> texts;
    std::u16string current;
    for (std::size_t at = 0; at + 1 < bytes.size(); at += 2) {
        const auto unit = static_cast<char16_t>(static_cast<unsigned char>(bytes[at]) |
                                                static_cast<unsigned char>(bytes[at + 1]) << 8);
        if (unit == 0) {
            texts.push_back(fromUtf16(current));
            current.clear();
        } else {
            current.push_back(unit);
        }
    }
    if (!current.empty()) texts.push_back(fromUtf16(current));
    return texts;
}

constexpr std::size_t kCopyBudget = 20000;  // keys and values
constexpr int kCopyDepth = 64;

// Copies the values and subkeys of `from` into `to`, spending one of `budget` per key and value.
bool copyKey(const RegistryHive& source, hive_node_h from, RegistryHive& target, hive_node_h to, int depth,
             std::size_t& budget) {
    if (depth > kCopyDepth) return false;
    for (const auto& [name, value] : source.values(from)) {
        if (budget == 0 || !target.setValue(to, name, value)) return false;
        --budget;
    }
    for (const auto& [name, key] : source.children(from)) {
        if (budget == 0) return false;
        --budget;
        const hive_node_h copy = target.ensureChild(to, name);
        if (copy == 0 || !copyKey(source, key, target, copy, depth + 1, budget)) return false;
    }
    return true;
}

}  // namespace

RegistryValue registryString(const std::wstring& text) {
    return RegistryValue{static_cast<std::uint32_t>(RegistryType::String), utf16Bytes(text) + std::string(2, '\0')};
}

RegistryValue registryMultiString(const std::vector<std::wstring>& texts) {
    std::string bytes;
    for (const auto& text : texts) bytes += utf16Bytes(text) + std::string(2, '\0');
    return RegistryValue{static_cast<std::uint32_t>(RegistryType::MultiString), bytes + std::string(2, '\0')};
}

RegistryValue registryDword(std::uint32_t value) {
    std::string bytes(4, '\0');
    writeLe32(reinterpret_cast<std::uint8_t*>(bytes.data()), value);
    return RegistryValue{static_cast<std::uint32_t>(RegistryType::Dword), bytes};
}

RegistryValue registryBinary(std::string bytes) {
    return RegistryValue{static_cast<std::uint32_t>(RegistryType::Binary), std::move(bytes)};
}

std::optional<std::wstring> stringOf(const RegistryValue& value) {
    if (value.type != static_cast<std::uint32_t>(RegistryType::String)) return std::nullopt;
    const auto texts = utf16Texts(value.data);
    return texts.empty() ? std::wstring() : texts.front();
}

std::optional<std::vector<std::wstring>> multiStringOf(const RegistryValue& value) {
    if (value.type != static_cast<std::uint32_t>(RegistryType::MultiString)) return std::nullopt;
    std::vector<std::wstring> texts = utf16Texts(value.data);
    // The list ends at its first empty text: the closing NUL.
    const auto end = std::find(texts.begin(), texts.end(), std::wstring());
    texts.erase(end, texts.end());
    return texts;
}

std::optional<std::uint32_t> dwordOf(const RegistryValue& value) {
    if (value.type != static_cast<std::uint32_t>(RegistryType::Dword) || value.data.size() != 4) return std::nullopt;
    return readLe32(reinterpret_cast<const std::uint8_t*>(value.data.data()));
}

std::unique_ptr<RegistryHive> RegistryHive::openFile(const std::string& bytes, int flags) {
    auto file = HostTempFile::create(bytes);
    if (!file) return nullptr;
    Handle handle(hivex_open(file->path().c_str(), flags));
    if (!handle) return nullptr;
    return std::unique_ptr<RegistryHive>(new RegistryHive(std::move(*file), std::move(handle)));
}

std::unique_ptr<RegistryHive> RegistryHive::read(const std::string& bytes) { return openFile(bytes, 0); }

std::unique_ptr<RegistryHive> RegistryHive::edit(const std::string& bytes) {
    const auto source = read(bytes);
    if (!source) return nullptr;
    const std::string rootName = source->name(source->root());
    const bool plain = !rootName.empty() && std::all_of(rootName.begin(), rootName.end(),
                                                        [](char c) { return c > 0x20 && c < 0x7F && c != '\\'; });
    auto copy = openFile(emptyRegistryHive(plain ? rootName : "ROOT"), HIVEX_OPEN_WRITE);
    std::size_t budget = kCopyBudget;
    if (!copy || !copyKey(*source, source->root(), *copy, copy->root(), 0, budget)) return nullptr;
    return copy;
}

hive_node_h RegistryHive::root() const { return hivex_root(handle_.get()); }

hive_node_h RegistryHive::child(hive_node_h key, const std::string& name) const {
    return key == 0 ? 0 : hivex_node_get_child(handle_.get(), key, name.c_str());
}

hive_node_h RegistryHive::ensureChild(hive_node_h key, const std::string& name) {
    if (key == 0) return 0;
    if (const hive_node_h existing = child(key, name)) return existing;
    return hivex_node_add_child(handle_.get(), key, name.c_str());
}

std::vector<std::pair<std::string, hive_node_h>> RegistryHive::children(hive_node_h key) const {
    std::vector<std::pair<std::string, hive_node_h>> result;
    if (key == 0) return result;
    const Owned<hive_node_h> nodes(hivex_node_children(handle_.get(), key));
    if (!nodes) return result;
    for (const hive_node_h* node = nodes.get(); *node != 0; ++node) {
        const Owned<char> name(hivex_node_name(handle_.get(), *node));
        if (name) result.emplace_back(name.get(), *node);
    }
    return result;
}

std::optional<RegistryValue> RegistryHive::value(hive_node_h key, const std::string& name) const {
    if (key == 0) return std::nullopt;
    const hive_value_h found = hivex_node_get_value(handle_.get(), key, name.c_str());
    return found == 0 ? std::nullopt : valueOf(found);
}

std::vector<std::pair<std::string, RegistryValue>> RegistryHive::values(hive_node_h key) const {
    std::vector<std::pair<std::string, RegistryValue>> result;
    if (key == 0) return result;
    const Owned<hive_value_h> found(hivex_node_values(handle_.get(), key));
    if (!found) return result;
    for (const hive_value_h* value = found.get(); *value != 0; ++value) {
        const Owned<char> name(hivex_value_key(handle_.get(), *value));
        auto data = valueOf(*value);
        if (name && data) result.emplace_back(name.get(), std::move(*data));
    }
    return result;
}

std::string RegistryHive::name(hive_node_h key) const {
    const Owned<char> name(key == 0 ? nullptr : hivex_node_name(handle_.get(), key));
    return name ? std::string(name.get()) : std::string();
}

std::optional<RegistryValue> RegistryHive::valueOf(hive_value_h found) const {
    // hivex stores the type as the hive has it, which can be any number: read as hive_type, a
    // number outside the enumeration would be undefined, so it is taken from the bytes.
    alignas(hive_type) unsigned char typeBytes[sizeof(hive_type)] = {};
    std::size_t length = 0;
    const Owned<char> data(hivex_value_value(handle_.get(), found, reinterpret_cast<hive_type*>(typeBytes), &length));
    if (!data) return std::nullopt;
    std::uint32_t type = 0;
    static_assert(sizeof type == sizeof(hive_type));
    std::memcpy(&type, typeBytes, sizeof type);
    return RegistryValue{type, std::string(data.get(), length)};
}

bool RegistryHive::setValue(hive_node_h key, const std::string& name, const RegistryValue& value) {
    if (key == 0) return false;
    std::string keyName = name;
    std::string data = value.data;
    hive_set_value set{keyName.data(), hive_t_REG_NONE, data.size(), data.data()};
    // Any type number a hive holds is copied as it is; as a hive_type it could be out of range.
    static_assert(sizeof set.t == sizeof value.type);
    std::memcpy(&set.t, &value.type, sizeof set.t);
    return hivex_node_set_value(handle_.get(), key, &set, 0) == 0;
}

std::optional<std::string> RegistryHive::bytes() {
    if (hivex_commit(handle_.get(), file_.path().c_str(), 0) != 0) return std::nullopt;
    return file_.read();
}

}  // namespace halvora::sim
