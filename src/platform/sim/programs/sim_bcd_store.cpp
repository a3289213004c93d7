#include "platform/sim/programs/sim_bcd_store.hpp"

#include <cstdint>
#include <cstdio>

#include <nlohmann/json.hpp>

#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"

namespace halvora::sim {

namespace {

using nlohmann::json;

std::uint64_t fnv1a(const std::string& bytes, std::uint64_t hash) {
    for (unsigned char c : bytes) {
        hash ^= c;
        hash *= 0x100000001B3ull;
    }
    return hash;
}

// Real stores get random identifiers; these come from what the entry is and where it stands,
// so that runs repeat.
std::wstring madeIdentifier(const BcdEntry& entry, std::size_t position) {
    const std::string seed = toUtf8(entry.device + L"|" + entry.path) + "|" + std::to_string(position);
    const std::uint64_t high = fnv1a(seed, 0xCBF29CE484222325ull);
    const std::uint64_t low = fnv1a(seed, high);
    char text[40];
    std::snprintf(text, sizeof text, "{%08x-%04x-%04x-%04x-%012llx}", static_cast<unsigned>(high >> 32),
                  static_cast<unsigned>((high >> 16) & 0xFFFF), static_cast<unsigned>(high & 0xFFFF),
                  static_cast<unsigned>(low >> 48), static_cast<unsigned long long>(low & 0xFFFFFFFFFFFFull));
    return fromUtf8(text);
}

}  // namespace

std::string bcdStoreText(const BcdStore& store) {
    json entries = json::array();
    for (const auto& entry : store.entries) {
        entries.push_back({{"identifier", toUtf8(entry.identifier)},
                           {"device", toUtf8(entry.device)},
                           {"path", toUtf8(entry.path)},
                           {"locale", toUtf8(entry.locale)}});
    }
    json root = {{"default", toUtf8(store.defaultEntry)}, {"entries", entries}};
    return root.dump(2) + "\n";
}

void from_json(const json& value, BcdEntry& entry) {
    entry.identifier = fromUtf8(value.at("identifier").get<std::string>());
    entry.device = fromUtf8(value.at("device").get<std::string>());
    entry.path = fromUtf8(value.at("path").get<std::string>());
    entry.locale = fromUtf8(value.at("locale").get<std::string>());
}

std::optional<BcdStore> parseBcdStore(const std::string& text) {
    const json root = json::parse(text, nullptr, /*allow_exceptions=*/false);
    if (root.is_discarded()) return std::nullopt;
    // A store the tool did not write (a text without "default", an entry without its path, ...)
    // is no store; nlohmann-json's exceptions say so and stop here.
    try {
        BcdStore store;
        store.defaultEntry = fromUtf8(root.at("default").get<std::string>());
        store.entries = root.at("entries").get<std::vector<BcdEntry>>();
        return store;
    } catch (const json::exception&) {
        return std::nullopt;
    }
}

std::wstring addBootEntry(BcdStore& store, BcdEntry entry, bool keepDefault) {
    BcdEntry* target = nullptr;
    for (auto& existing : store.entries) {
        if (equalsNoCase(existing.device, entry.device) && equalsNoCase(existing.path, entry.path)) target = &existing;
    }
    if (target) {
        target->locale = entry.locale;
    } else {
        entry.identifier = madeIdentifier(entry, store.entries.size());
        store.entries.push_back(entry);
        target = &store.entries.back();
    }
    if (!keepDefault || store.defaultEntry.empty()) store.defaultEntry = target->identifier;
    return target->identifier;
}

}  // namespace halvora::sim
