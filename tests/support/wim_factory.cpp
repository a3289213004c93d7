#include "wim_factory.hpp"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>
#include <system_error>

#include <wimlib.h>

#include "temp_folder.hpp"

namespace halvora::testing {

namespace fs = std::filesystem;

namespace {

constexpr std::uint64_t kHeaderBytes = 208;

void initialiseWimlib() {
    static std::once_flag once;
    std::call_once(once, [] { wimlib_global_init(0); });
}

std::string wimlibError(const std::string& what, int code) {
    return what + ": " + wimlib_get_error_string(static_cast<wimlib_error_code>(code)) + " (" + std::to_string(code) +
           ")";
}

struct WimFree {
    void operator()(WIMStruct* wim) const { wimlib_free(wim); }
};
using WimPtr = std::unique_ptr<WIMStruct, WimFree>;

std::string fillFolder(const fs::path& folder, const ImagePlan& image) {
    for (const auto& [relative, content] : image.files) {
        const fs::path file = folder / relative;
        std::error_code ec;
        fs::create_directories(file.parent_path(), ec);
        std::ofstream out(file, std::ios::binary);
        out.write(content.data(), static_cast<std::streamsize>(content.size()));
        if (!out.flush()) return "cannot write the scratch file " + file.string();
    }
    return "";
}

wimlib_compression_type compressionType(WimCompression compression) {
    switch (compression) {
        case WimCompression::None:
            return WIMLIB_COMPRESSION_TYPE_NONE;
        case WimCompression::Xpress:
            return WIMLIB_COMPRESSION_TYPE_XPRESS;
        case WimCompression::Lzx:
            return WIMLIB_COMPRESSION_TYPE_LZX;
        case WimCompression::Solid:
            return WIMLIB_COMPRESSION_TYPE_LZMS;
    }
    return WIMLIB_COMPRESSION_TYPE_LZX;
}

std::string nameOf(const ImagePlan& image) {
    for (const auto& [path, value] : image.properties) {
        if (path == "NAME") return value;
    }
    return "";
}

}  // namespace

std::string writeWim(const fs::path& file, const WimPlan& plan) {
    initialiseWimlib();
    WIMStruct* raw = nullptr;
    int rc = wimlib_create_new_wim(compressionType(plan.compression), &raw);
    if (rc != 0) return wimlibError("wimlib_create_new_wim", rc);
    WimPtr wim(raw);

    // wimlib reads the files' contents only when it writes, so every image's folder stays
    // until then.
    std::vector<std::unique_ptr<TempFolder>> folders;
    for (std::size_t i = 0; i < plan.images.size(); ++i) {
        const ImagePlan& image = plan.images[i];
        const TempFolder& scratch = *folders.emplace_back(std::make_unique<TempFolder>("halvora-wim"));
        if (scratch.root().empty()) return "cannot make a scratch folder";
        if (auto error = fillFolder(scratch.root(), image); !error.empty()) return error;
        // Two images may share a name only as wimlib allows: none at all.
        const std::string name = nameOf(image);
        rc = wimlib_add_image(wim.get(), scratch.root().c_str(), name.empty() ? nullptr : name.c_str(), nullptr, 0);
        if (rc != 0) return wimlibError("wimlib_add_image " + std::to_string(i + 1), rc);
        const int index = static_cast<int>(i + 1);
        for (const auto& [path, value] : image.properties) {
            if (value.empty() || path == "NAME") continue;
            rc = wimlib_set_image_property(wim.get(), index, path.c_str(), value.c_str());
            if (rc != 0) return wimlibError("wimlib_set_image_property " + path, rc);
        }
    }

    if (plan.bootIndex != 0) {
        wimlib_wim_info info{};
        info.boot_index = static_cast<std::uint32_t>(plan.bootIndex);
        rc = wimlib_set_wim_info(wim.get(), &info, WIMLIB_CHANGE_BOOT_INDEX);
        if (rc != 0) return wimlibError("wimlib_set_wim_info boot index", rc);
    }

    int flags = 0;
    if (plan.integrityTable) flags |= WIMLIB_WRITE_FLAG_CHECK_INTEGRITY;
    if (plan.compression == WimCompression::Solid) {
        flags |= WIMLIB_WRITE_FLAG_SOLID;
        wimlib_set_output_pack_compression_type(wim.get(), WIMLIB_COMPRESSION_TYPE_LZMS);
    }
    rc = wimlib_write(wim.get(), file.c_str(), WIMLIB_ALL_IMAGES, flags, 1);
    if (rc != 0) return wimlibError("wimlib_write " + file.string(), rc);
    return "";
}

std::string splitWim(const fs::path& wim, const fs::path& firstPart, std::uint64_t partBytes) {
    initialiseWimlib();
    WIMStruct* raw = nullptr;
    int rc = wimlib_open_wim(wim.c_str(), 0, &raw);
    if (rc != 0) return wimlibError("wimlib_open_wim " + wim.string(), rc);
    WimPtr opened(raw);
    rc = wimlib_split(opened.get(), firstPart.c_str(), partBytes, 0);
    if (rc != 0) return wimlibError("wimlib_split " + firstPart.string(), rc);
    wimlib_wim_info info{};
    wimlib_get_wim_info(opened.get(), &info);
    // A split that made one part only would quietly test nothing.
    const fs::path second =
        firstPart.parent_path() / (firstPart.stem().string() + "2" + firstPart.extension().string());
    std::error_code ec;
    if (!fs::exists(second, ec)) {
        return "wimlib_split made one part only: the content of " + wim.string() + " fits in " +
               std::to_string(partBytes) + " bytes";
    }
    return "";
}

std::string corruptResourceData(const fs::path& wim) {
    std::fstream file(wim, std::ios::in | std::ios::out | std::ios::binary);
    if (!file) return "cannot open " + wim.string();
    // The header's lookup-table resource: 7 bytes of size, a flags byte, then its offset.
    unsigned char field[8] = {};
    file.seekg(0x38);
    if (!file.read(reinterpret_cast<char*>(field), sizeof field)) return "no WIM header in " + wim.string();
    std::uint64_t lookupTable = 0;
    for (int i = 7; i >= 0; --i) lookupTable = (lookupTable << 8) | field[i];
    if (lookupTable <= kHeaderBytes + 1) return "no resource data in " + wim.string();
    const std::uint64_t offset = kHeaderBytes + (lookupTable - kHeaderBytes) / 2;
    char byte = 0;
    file.seekg(static_cast<std::streamoff>(offset));
    if (!file.read(&byte, 1)) return "cannot read " + wim.string();
    byte = static_cast<char>(byte ^ 0x5A);
    file.seekp(static_cast<std::streamoff>(offset));
    if (!file.write(&byte, 1) || !file.flush()) return "cannot write " + wim.string();
    return "";
}

std::string pseudoRandomText(std::size_t bytes, std::uint32_t seed) {
    static const char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text(bytes, ' ');
    std::uint64_t state = 0x9E3779B97F4A7C15ull ^ seed;
    for (auto& c : text) {
        // xorshift64*: fast, and 64 symbols leave 6 bits of entropy per byte.
        state ^= state >> 12;
        state ^= state << 25;
        state ^= state >> 27;
        c = kAlphabet[((state * 0x2545F4914F6CDD1Dull) >> 58) & 63];
    }
    return text;
}

namespace {

struct Edition {
    const char* name;
    const char* editionId;
    const char* flags;
    const char* description;
};

constexpr Edition kEditions[] = {
    {"Windows 10 Home", "Core", "Core", "Windows 10 Home"},
    {"Windows 10 Home N", "CoreN", "CoreN", "Windows 10 Home N"},
    {"Windows 10 Home Single Language", "CoreSingleLanguage", "CoreSingleLanguage", "Windows 10 Home Single Language"},
    {"Windows 10 Education", "Education", "Education", "Windows 10 Education"},
    {"Windows 10 Education N", "EducationN", "EducationN", "Windows 10 Education N"},
    {"Windows 10 Pro", "Professional", "Professional", "Windows 10 Pro"},
    {"Windows 10 Pro N", "ProfessionalN", "ProfessionalN", "Windows 10 Pro N"},
    {"Windows 10 Pro Education", "ProfessionalEducation", "ProfessionalEducation", "Windows 10 Pro Education"},
    {"Windows 10 Pro Education N", "ProfessionalEducationN", "ProfessionalEducationN", "Windows 10 Pro Education N"},
    {"Windows 10 Pro for Workstations", "ProfessionalWorkstation", "ProfessionalWorkstation",
     "Windows 10 Pro for Workstations"},
    {"Windows 10 Pro N for Workstations", "ProfessionalWorkstationN", "ProfessionalWorkstationN",
     "Windows 10 Pro N for Workstations"},
};

}  // namespace

std::vector<ImagePlan> realisticWindowsImages(int count) {
    std::vector<ImagePlan> images;
    constexpr int kEditionCount = static_cast<int>(sizeof kEditions / sizeof kEditions[0]);
    for (int i = 0; i < count; ++i) {
        const Edition& edition = kEditions[i % kEditionCount];
        std::string name = edition.name;
        if (i >= kEditionCount) name += " (" + std::to_string(i / kEditionCount + 1) + ")";
        ImagePlan image;
        image.properties = {
            {"NAME", name},
            {"DESCRIPTION", edition.description},
            {"DISPLAYNAME", name},
            {"DISPLAYDESCRIPTION", edition.description},
            {"FLAGS", edition.flags},
            {"WINDOWS/ARCH", "9"},
            {"WINDOWS/PRODUCTNAME", "Microsoft\u00ae Windows\u00ae Operating System"},
            {"WINDOWS/EDITIONID", edition.editionId},
            {"WINDOWS/INSTALLATIONTYPE", "Client"},
            {"WINDOWS/SERVICINGDATA/GDRDUREVISION", "0"},
            {"WINDOWS/SERVICINGDATA/PKEYCONFIGVERSION", "10.0.19041.3930;2016-01-01T00:00:00Z"},
            {"WINDOWS/SERVICINGDATA/IMAGESTATE", "IMAGE_STATE_COMPLETE"},
            {"WINDOWS/PRODUCTTYPE", "WinNT"},
            {"WINDOWS/PRODUCTSUITE", "Terminal Server"},
            {"WINDOWS/HAL", "acpiapic"},
            {"WINDOWS/LANGUAGES/LANGUAGE", "ko-KR"},
            {"WINDOWS/LANGUAGES/FALLBACK", "en-US"},
            {"WINDOWS/LANGUAGES/DEFAULT", "ko-KR"},
            {"WINDOWS/VERSION/MAJOR", "10"},
            {"WINDOWS/VERSION/MINOR", "0"},
            {"WINDOWS/VERSION/BUILD", "19041"},
            {"WINDOWS/VERSION/SPBUILD", "1415"},
            {"WINDOWS/VERSION/SPLEVEL", "0"},
            {"WINDOWS/VERSION/BRANCH", "vb_release"},
            {"WINDOWS/SYSTEMROOT", "WINDOWS"},
            {"WIMBOOT", "0"},
        };
        image.files = {
            {"Windows/System32/ntoskrnl.exe", "kernel of " + name},
            {"Windows/System32/config/SOFTWARE", "EditionID=" + std::string(edition.editionId)},
            {"Windows/explorer.exe", "shell"},
            {"Program Files/readme.txt", "image " + std::to_string(i + 1)},
        };
        images.push_back(std::move(image));
    }
    return images;
}

}  // namespace halvora::testing
