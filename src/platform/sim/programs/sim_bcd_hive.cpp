#include "platform/sim/programs/sim_bcd_hive.hpp"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <random>

#include "base/little_endian.hpp"
#include "base/utf.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "platform/sim/programs/sim_empty_hive.hpp"

namespace halvora::sim {

namespace {

constexpr std::uint32_t kStoreInvalidData = 13;
constexpr std::uint32_t kStoreWriteFault = 29;

// The root key's name in a store the tool starts itself. Nothing reads it: Windows mounts the
// store under a name of its own (BCD00000000, which KeyName repeats).
const char* const kRootName = "ROOT";
const wchar_t* const kKeyName = L"BCD00000000";
const wchar_t* const kManagerDescription = L"Windows Boot Manager";
constexpr std::uint64_t kNewManagerTimeout = 30;  // seconds

std::string elementKeyName(std::uint32_t element) {
    char name[9];
    std::snprintf(name, sizeof name, "%08X", element);
    return name;
}

std::optional<std::uint32_t> elementNumber(const std::string& keyName) {
    if (keyName.size() != 8 || !std::all_of(keyName.begin(), keyName.end(),
                                            [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    return static_cast<std::uint32_t>(std::stoul(keyName, nullptr, 16));
}

// Windows stores have random object identifiers (version 4 GUIDs).
std::wstring randomObjectId() {
    std::random_device random;
    Guid guid;
    guid.data1 = random();
    guid.data2 = static_cast<std::uint16_t>(random());
    guid.data3 = static_cast<std::uint16_t>((random() & 0x0FFF) | 0x4000);
    for (auto& byte : guid.data4) byte = static_cast<std::uint8_t>(random());
    guid.data4[0] = static_cast<std::uint8_t>((guid.data4[0] & 0x3F) | 0x80);
    std::wstring text = guidText(guid);
    std::transform(text.begin(), text.end(), text.begin(),
                   [](wchar_t c) { return c >= L'A' && c <= L'F' ? c - L'A' + L'a' : c; });
    return text;
}

std::string integerBytes(std::uint64_t value) {
    std::string bytes(8, '\0');
    writeLe64(reinterpret_cast<std::uint8_t*>(bytes.data()), value);
    return bytes;
}

BcdStoreContents readContents(const RegistryHive& hive) {
    BcdStoreContents contents;
    if (const auto name = hive.value(hive.child(hive.root(), "Description"), "KeyName")) {
        contents.keyName = stringOf(*name);
    }
    for (const auto& [name, key] : hive.children(hive.child(hive.root(), "Objects"))) {
        BcdObject object;
        object.id = fromUtf8(name);
        if (const auto type = hive.value(hive.child(key, "Description"), "Type")) object.type = dwordOf(*type);
        for (const auto& [elementName, elementKey] : hive.children(hive.child(key, "Elements"))) {
            const auto number = elementNumber(elementName);
            const auto value = hive.value(elementKey, "Element");
            if (number && value) object.elements[*number] = *value;
        }
        contents.objects.push_back(std::move(object));
    }
    return contents;
}

bool sameObject(const std::wstring& a, const std::wstring& b) { return equalsNoCase(a, b); }

// Edits one store through hivex; every step reports whether hivex took it.
class StoreEditor {
public:
    explicit StoreEditor(RegistryHive& hive) : hive_(hive) {}

    bool setKeyName() {
        return hive_.setValue(hive_.ensureChild(hive_.root(), "Description"), "KeyName", registryString(kKeyName));
    }
    bool setType(const std::wstring& object, std::uint32_t type) {
        return hive_.setValue(hive_.ensureChild(objectKey(object), "Description"), "Type", registryDword(type));
    }
    bool set(const std::wstring& object, std::uint32_t element, const RegistryValue& value) {
        const hive_node_h elements = hive_.ensureChild(objectKey(object), "Elements");
        return hive_.setValue(hive_.ensureChild(elements, elementKeyName(element)), "Element", value);
    }
    bool setText(const std::wstring& object, std::uint32_t element, const std::wstring& text) {
        return set(object, element, registryString(text));
    }
    bool setObjects(const std::wstring& object, std::uint32_t element, const std::vector<std::wstring>& ids) {
        return set(object, element, registryMultiString(ids));
    }
    bool setDevice(const std::wstring& object, std::uint32_t element, const BcdPartitionDevice& device) {
        return set(object, element, registryBinary(bcdDeviceElement(device)));
    }
    bool setInteger(const std::wstring& object, std::uint32_t element, std::uint64_t value) {
        return set(object, element, registryBinary(integerBytes(value)));
    }

private:
    hive_node_h objectKey(const std::wstring& object) {
        return hive_.ensureChild(hive_.ensureChild(hive_.root(), "Objects"), toUtf8(object));
    }

    RegistryHive& hive_;
};

// The loader that already starts `entry`'s Windows: the same device and loader path.
std::optional<std::wstring> existingLoader(const BcdStoreContents& store, const BcdBootEntry& entry) {
    for (const auto& object : store.objects) {
        if (object.type != kBcdTypeLoader) continue;
        const auto device = object.device(kBcdApplicationDevice);
        const auto path = object.text(kBcdApplicationPath);
        if (device && *device == entry.windowsDevice && path && equalsNoCase(*path, entry.loaderPath)) return object.id;
    }
    return std::nullopt;
}

bool writeLoader(StoreEditor& editor, const std::wstring& id, const BcdBootEntry& entry) {
    return editor.setType(id, kBcdTypeLoader) && editor.setDevice(id, kBcdApplicationDevice, entry.windowsDevice) &&
           editor.setText(id, kBcdApplicationPath, entry.loaderPath) &&
           editor.setText(id, kBcdDescription, entry.description) && editor.setText(id, kBcdLocale, entry.locale) &&
           editor.setObjects(id, kBcdInheritedObjects, {kBcdLoaderSettings}) &&
           editor.setDevice(id, kBcdOsDevice, entry.windowsDevice) &&
           editor.setText(id, kBcdSystemRoot, entry.systemRoot);
}

// The settings the loader and the boot manager inherit. A template brings them with much more;
// a new store gets them bare, so that what the objects inherit is there.
bool writeMissingSettings(StoreEditor& editor, const BcdStoreContents& store, const BcdBootEntry& entry) {
    if (!store.object(kBcdGlobalSettings) && !(editor.setType(kBcdGlobalSettings, kBcdTypeGlobalSettings) &&
                                               editor.setText(kBcdGlobalSettings, kBcdLocale, entry.locale))) {
        return false;
    }
    if (!store.object(kBcdLoaderSettings) &&
        !(editor.setType(kBcdLoaderSettings, kBcdTypeLoaderSettings) &&
          editor.setObjects(kBcdLoaderSettings, kBcdInheritedObjects, {kBcdGlobalSettings}))) {
        return false;
    }
    return true;
}

bool writeManager(StoreEditor& editor, const BcdStoreContents& store, const BcdBootEntry& entry,
                  const std::wstring& loader, bool keepDefault) {
    const BcdObject* const manager = store.object(kBcdBootManager);
    const std::wstring& id = kBcdBootManager;
    if (!manager) {
        if (!editor.setType(id, kBcdTypeBootManager) ||
            !editor.setObjects(id, kBcdInheritedObjects, {kBcdGlobalSettings})) {
            return false;
        }
    }
    if (!manager || !manager->integer(kBcdTimeout)) {
        if (!editor.setInteger(id, kBcdTimeout, kNewManagerTimeout)) return false;
    }
    // The boot manager's own device is the partition the files were placed on, named by its
    // partition identity (type 6) rather than as "the boot device" (type 5). The boot device
    // only means something once firmware has started from a disk; a named partition reads the
    // same in a store looked at from anywhere, and a store copied to another disk then still
    // says where its boot manager was meant to be, instead of silently following the copy.
    if (!editor.setDevice(id, kBcdApplicationDevice, entry.bootDevice)) return false;
    if (!entry.managerPath.empty() && !editor.setText(id, kBcdApplicationPath, entry.managerPath)) return false;
    if (!editor.setText(id, kBcdDescription, kManagerDescription) || !editor.setText(id, kBcdLocale, entry.locale)) {
        return false;
    }

    const auto currentDefault = manager ? manager->text(kBcdDefaultObject) : std::nullopt;
    if (!(keepDefault && currentDefault && !currentDefault->empty())) {
        if (!editor.setText(id, kBcdDefaultObject, loader)) return false;
    }
    std::vector<std::wstring> order = manager ? manager->objects(kBcdDisplayOrder).value_or(std::vector<std::wstring>{})
                                              : std::vector<std::wstring>{};
    const bool listed =
        std::any_of(order.begin(), order.end(), [&](const std::wstring& shown) { return sameObject(shown, loader); });
    if (!listed) order.push_back(loader);
    return editor.setObjects(id, kBcdDisplayOrder, order);
}

}  // namespace

std::optional<std::wstring> BcdObject::text(std::uint32_t element) const {
    const auto found = elements.find(element);
    return found == elements.end() ? std::nullopt : stringOf(found->second);
}

std::optional<std::vector<std::wstring>> BcdObject::objects(std::uint32_t element) const {
    const auto found = elements.find(element);
    return found == elements.end() ? std::nullopt : multiStringOf(found->second);
}

std::optional<std::uint64_t> BcdObject::integer(std::uint32_t element) const {
    const auto found = elements.find(element);
    if (found == elements.end() || found->second.type != static_cast<std::uint32_t>(RegistryType::Binary) ||
        found->second.data.size() != 8) {
        return std::nullopt;
    }
    return readLe64(reinterpret_cast<const std::uint8_t*>(found->second.data.data()));
}

std::optional<BcdPartitionDevice> BcdObject::device(std::uint32_t element) const {
    const auto found = elements.find(element);
    if (found == elements.end() || found->second.type != static_cast<std::uint32_t>(RegistryType::Binary)) {
        return std::nullopt;
    }
    return parseBcdDeviceElement(found->second.data);
}

const BcdObject* BcdStoreContents::object(const std::wstring& id) const {
    const auto found = std::find_if(objects.begin(), objects.end(),
                                    [&](const BcdObject& object) { return sameObject(object.id, id); });
    return found == objects.end() ? nullptr : &*found;
}

std::uint32_t writeBcdHive(const std::optional<std::string>& startBytes, const BcdBootEntry& entry, bool keepDefault,
                           std::string& hive) {
    const auto store = RegistryHive::edit(startBytes ? *startBytes : emptyRegistryHive(kRootName));
    if (!store) return kStoreInvalidData;
    const BcdStoreContents before = readContents(*store);
    const std::wstring loader = existingLoader(before, entry).value_or(randomObjectId());

    StoreEditor editor(*store);
    if (!editor.setKeyName() || !writeLoader(editor, loader, entry) || !writeMissingSettings(editor, before, entry) ||
        !writeManager(editor, before, entry, loader, keepDefault)) {
        return kStoreInvalidData;
    }
    auto bytes = store->bytes();
    if (!bytes) return kStoreWriteFault;
    hive = std::move(*bytes);
    return 0;
}

std::optional<BcdStoreContents> readBcdHive(const std::string& bytes) {
    const auto hive = RegistryHive::read(bytes);
    if (!hive) return std::nullopt;
    return readContents(*hive);
}

}  // namespace halvora::sim
