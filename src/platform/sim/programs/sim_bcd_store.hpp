#pragma once
// The boot configuration store the simulated boot tool writes: a readable JSON text in place
// of the registry hive a real BCD file is, holding what a test wants to see of it.
//
//   {"default": "{6b1f...}",
//    "entries": [{"identifier": "{6b1f...}", "device": "C:",
//                 "path": "\\Windows\\system32\\winload.efi", "locale": "ko-KR"}]}

#include <optional>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

namespace halvora::sim {

struct BcdEntry {
    std::wstring identifier;  // a GUID in braces, lower case
    std::wstring device;      // the Windows volume, "C:"
    std::wstring path;        // the loader, "\Windows\system32\winload.efi" or "...\winload.exe"
    std::wstring locale;
};

struct BcdStore {
    std::wstring defaultEntry;  // an entry's identifier; empty in a new store
    std::vector<BcdEntry> entries;
};

// An entry read by nlohmann-json's get<BcdEntry>(): all four texts must be there.
void from_json(const nlohmann::json& value, BcdEntry& entry);

std::string bcdStoreText(const BcdStore& store);
// Nullopt when the text is not such a store.
std::optional<BcdStore> parseBcdStore(const std::string& text);

// Adds the loader `entry` (its identifier is made here), or updates the entry that already
// starts the same loader on the same device. It becomes the default unless `keepDefault` and
// the store has one. Returns its identifier.
std::wstring addBootEntry(BcdStore& store, BcdEntry entry, bool keepDefault);

}  // namespace halvora::sim
