#pragma once
// A registry hive opened with hivex. hivex works on a file, so the hive's bytes are copied into
// a temporary host file that lives as long as the object; bytes() writes the edits back there
// and returns the whole file. Keys and values are named in ASCII; text values are the UTF-16LE
// of Windows, converted here.
//
// hivex reads damaged hives with care, but its writes trust the hive they edit: a damaged cell
// can end the process in an assertion. So a hive that comes from outside is only ever read, and
// editing one means copying its keys and values into a new hive the sim wrote itself.

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
    // The hive to read; nullptr when hivex does not take the bytes as a hive (or no temporary
    // file can be made). Its edits fail.
    static std::unique_ptr<RegistryHive> read(const std::string& bytes);
    // A hive to edit holding the keys and values of `bytes` (not their security, class names
    // or times): a new hive with the same root name, keys in the order hivex lists them. Nullptr
    // as for read(), and when the hive is too large or too deep to be a store (more than 20000
    // keys and values, keys more than 64 deep: a damaged hive can loop).
    static std::unique_ptr<RegistryHive> edit(const std::string& bytes);

    hive_node_h root() const;
    // The subkey of that name (without case), or 0.
    hive_node_h child(hive_node_h key, const std::string& name) const;
    // The subkey, added when it is missing; 0 when hivex cannot add it.
    hive_node_h ensureChild(hive_node_h key, const std::string& name);
    std::vector<std::pair<std::string, hive_node_h>> children(hive_node_h key) const;
    std::optional<RegistryValue> value(hive_node_h key, const std::string& name) const;
    std::vector<std::pair<std::string, RegistryValue>> values(hive_node_h key) const;
    std::string name(hive_node_h key) const;
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
    static std::unique_ptr<RegistryHive> openFile(const std::string& bytes, int flags);
    std::optional<RegistryValue> valueOf(hive_value_h value) const;

    HostTempFile file_;  // closed after the handle
    Handle handle_;
};

}  // namespace halvora::sim
