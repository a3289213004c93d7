#pragma once
// The boot configuration store as Windows keeps it: a registry hive, written and read with hivex
// (sim_registry_hive.hpp). The sim's boot tool leaves one on real disks, where a real boot
// manager may read it.
//
//   Description\KeyName = "BCD00000000"                                 REG_SZ
//   Objects\{guid}\Description\Type                                     REG_DWORD
//   Objects\{guid}\Elements\12000004\Element                            by the element's format
//
// Object keys are GUIDs in braces, lower case; element keys are the element's number in eight
// upper-case hex digits. An element's format (bits 24 to 27 of its number) gives its value's
// type: 1 a device (REG_BINARY, sim_bcd_device.hpp), 2 a text (REG_SZ), 3 an object (its GUID
// as REG_SZ), 4 a list of objects (REG_MULTI_SZ), 5 an integer (8 bytes little-endian,
// REG_BINARY), 6 a boolean (REG_BINARY).

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/programs/sim_bcd_device.hpp"
#include "platform/sim/programs/sim_registry_hive.hpp"

namespace halvora::sim {

// Objects every store names.
inline const std::wstring kBcdBootManager = L"{9dea862c-5cdd-4e70-acc1-f32b344d4795}";
inline const std::wstring kBcdGlobalSettings = L"{7ea2e1ac-2e61-4728-aaa3-896d9d0a9f0e}";
inline const std::wstring kBcdLoaderSettings = L"{6efb52bf-1766-41db-a6b3-0ee5eff72bd7}";

// Object types (Description\Type).
inline constexpr std::uint32_t kBcdTypeBootManager = 0x10100002;     // the Windows boot manager
inline constexpr std::uint32_t kBcdTypeLoader = 0x10200003;          // a Windows boot loader
inline constexpr std::uint32_t kBcdTypeGlobalSettings = 0x20100000;  // inherited by any object
inline constexpr std::uint32_t kBcdTypeLoaderSettings = 0x20200003;  // inherited by boot loaders

// Elements.
inline constexpr std::uint32_t kBcdApplicationDevice = 0x11000001;
inline constexpr std::uint32_t kBcdApplicationPath = 0x12000002;
inline constexpr std::uint32_t kBcdDescription = 0x12000004;
inline constexpr std::uint32_t kBcdLocale = 0x12000005;
inline constexpr std::uint32_t kBcdInheritedObjects = 0x14000006;
inline constexpr std::uint32_t kBcdOsDevice = 0x21000001;
inline constexpr std::uint32_t kBcdSystemRoot = 0x22000002;
inline constexpr std::uint32_t kBcdDefaultObject = 0x23000003;
inline constexpr std::uint32_t kBcdDisplayOrder = 0x24000001;
inline constexpr std::uint32_t kBcdTimeout = 0x25000004;

// What one run of the boot tool puts in the store: a boot loader for a Windows, and the boot
// manager that starts it.
struct BcdBootEntry {
    BcdPartitionDevice windowsDevice;  // the loader's application and OS device
    BcdPartitionDevice bootDevice;     // where the boot manager and this store lie
    std::wstring managerPath;          // "\EFI\Microsoft\Boot\bootmgfw.efi"; empty: none (BIOS)
    std::wstring loaderPath;           // "\Windows\system32\winload.efi" or "...\winload.exe"
    std::wstring systemRoot;           // "\Windows"
    std::wstring locale;               // "ko-KR"
    std::wstring description;          // the loader's name in the boot menu
};

// Puts `entry` into the store that `startBytes` hold (an existing store or a template; nullopt:
// a new empty hive) and gives the result in `hive`.
// The loader that already starts the same device and path is updated, so that running the
// tool again adds nothing; otherwise a loader with a new random GUID is added. The boot manager
// is made when missing (with a timeout of 30 seconds); the loader becomes its default unless
// `keepDefault` and it has one, and joins its display order once.
// Returns 0, or 13 (invalid data) when the start bytes are no hive hivex can edit, 29 (write
// fault) when the edited hive cannot be written out.
std::uint32_t writeBcdHive(const std::optional<std::string>& startBytes, const BcdBootEntry& entry, bool keepDefault,
                           std::string& hive);

// One object of a store as read back.
struct BcdObject {
    std::wstring id;  // the key's name
    std::optional<std::uint32_t> type;
    std::map<std::uint32_t, RegistryValue> elements;

    std::optional<std::wstring> text(std::uint32_t element) const;                  // REG_SZ
    std::optional<std::vector<std::wstring>> objects(std::uint32_t element) const;  // REG_MULTI_SZ
    std::optional<std::uint64_t> integer(std::uint32_t element) const;              // 8 bytes
    std::optional<BcdPartitionDevice> device(std::uint32_t element) const;
};

struct BcdStoreContents {
    std::optional<std::wstring> keyName;  // Description\KeyName
    std::vector<BcdObject> objects;       // in the hive's order
    // The object of that id (compared without case), or nullptr.
    const BcdObject* object(const std::wstring& id) const;
};

// Nullopt when the bytes are no hive.
std::optional<BcdStoreContents> readBcdHive(const std::string& bytes);

}  // namespace halvora::sim
