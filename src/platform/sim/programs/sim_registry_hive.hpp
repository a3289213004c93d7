#pragma once
// A registry hive opened for editing with hivex. hivex works on a file, so the hive's bytes are
// copied into a temporary host file that lives as long as the object; bytes() writes the edits
// back there and returns the whole file. Keys and values are named in ASCII; text values are
// the UTF-16LE of Windows, converted here.

#include <hivex.h>

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/programs/sim_host_temp_file.hpp"

namespace halvora::sim {

// The registry's value types (REG_SZ, ...), as hivex numbers them.
enum class RegistryType : std::uint32_t {
    String = hive_t_REG_SZ,
    Binary = hive_t_REG_BINARY,
    Dword = hive_t_REG_DWORD,
    MultiString = hive_t_REG_MULTI_SZ,
};

struct RegistryValue {
    std::uint32_t type = 0;  // a RegistryType, or any other type a hive holds
    std::string data;        // the raw bytes
    bool operator==(const RegistryValue&) const = default;
};

// Values made from what they hold: texts end in a NUL character, a list of texts in two.
RegistryValue registryString(const std::wstring& text);
RegistryValue registryMultiString(const std::vector<std::wstring>& texts);
RegistryValue registryDword(std::uint32_t value);
RegistryValue registryBinary(std::string bytes);
// What they hold; nullopt for a value of another type or of a size that does not fit.
std::optional<std::wstring> stringOf(const RegistryValue& value);
std::optional<std::vector<std::wstring>> multiStringOf(const RegistryValue& value);
std::optional<std::uint32_t> dwordOf(const RegistryValue& value);

class RegistryHive {
public:
    // Nullptr when hivex does not take the bytes as a hive (or no temporary file can be made).
    static std::unique_ptr<RegistryHive> open(const std::string& bytes);

    hive_node_h root() const;
    // The subkey of that name (without case), or 0.
    hive_node_h child(hive_node_h key, const std::string& name) const;
    // The subkey, added when it is missing; 0 when hivex cannot add it.
    hive_node_h ensureChild(hive_node_h key, const std::string& name);
    std::vector<std::pair<std::string, hive_node_h>> children(hive_node_h key) const;
    std::optional<RegistryValue> value(hive_node_h key, const std::string& name) const;
    // Adds or replaces the value; false when hivex refuses.
    bool setValue(hive_node_h key, const std::string& name, const RegistryValue& value);

    // The hive with the edits made so far; nullopt when it cannot be written out.
    std::optional<std::string> bytes();

private:
    struct Close {
        void operator()(hive_h* handle) const { hivex_close(handle); }
    };
    using Handle = std::unique_ptr<hive_h, Close>;

    RegistryHive(HostTempFile file, Handle handle) : file_(std::move(file)), handle_(std::move(handle)) {}

    HostTempFile file_;  // closed after the handle
    Handle handle_;
};

}  // namespace halvora::sim
