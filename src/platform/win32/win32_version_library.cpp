// Version.dll, loaded from System32 and freed with the object that uses it.

#include <algorithm>

#include <windows.h>

#include "platform/win32/win32_handles.hpp"
#include "platform/win32/win32_system.hpp"
#include "platform/win32/win32_system_library.hpp"

namespace halvora::win32 {

namespace {

using GetFileVersionInfoSizeWFn = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
using GetFileVersionInfoWFn = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
using VerQueryValueWFn = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
using VerLanguageNameWFn = DWORD(WINAPI*)(DWORD, LPWSTR, DWORD);

class Win32VersionLibrary final : public VersionLibrary {
public:
    explicit Win32VersionLibrary(UniqueModule module) : module_(std::move(module)) {
        sizeFn_ = procAddress<GetFileVersionInfoSizeWFn>(module_.get(), "GetFileVersionInfoSizeW");
        infoFn_ = procAddress<GetFileVersionInfoWFn>(module_.get(), "GetFileVersionInfoW");
        queryFn_ = procAddress<VerQueryValueWFn>(module_.get(), "VerQueryValueW");
        languageFn_ = procAddress<VerLanguageNameWFn>(module_.get(), "VerLanguageNameW");
    }

    bool complete() const { return sizeFn_ && infoFn_ && queryFn_ && languageFn_; }

    std::uint32_t getFileVersionInfoSize(const std::wstring& path) override {
        DWORD handle = 0;
        return sizeFn_(path.c_str(), &handle);
    }

    bool getFileVersionInfo(const std::wstring& path, std::uint32_t size, std::vector<std::uint8_t>& block) override {
        block.assign(size, 0);
        return size != 0 && infoFn_(path.c_str(), 0, size, block.data()) != FALSE;
    }

    bool queryTranslation(const std::vector<std::uint8_t>& block, std::uint16_t& language,
                          std::uint16_t& codePage) override {
        void* value = nullptr;
        UINT length = 0;
        if (block.empty() || !queryFn_(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || !value ||
            length < 4) {
            return false;
        }
        const auto* pair = static_cast<const WORD*>(value);
        language = pair[0];
        codePage = pair[1];
        return true;
    }

    bool queryString(const std::vector<std::uint8_t>& block, const std::wstring& subBlock,
                     std::wstring& value) override {
        void* text = nullptr;
        UINT length = 0;
        if (block.empty() || !queryFn_(block.data(), subBlock.c_str(), &text, &length) || !text) {
            return false;
        }
        value.assign(static_cast<const wchar_t*>(text), length);
        return true;
    }

    std::wstring languageName(std::uint32_t language) override {
        wchar_t name[128] = {};
        DWORD n = languageFn_(language, name, 128);
        return std::wstring(name, std::min<DWORD>(n, 127));
    }

private:
    UniqueModule module_;
    GetFileVersionInfoSizeWFn sizeFn_ = nullptr;
    GetFileVersionInfoWFn infoFn_ = nullptr;
    VerQueryValueWFn queryFn_ = nullptr;
    VerLanguageNameWFn languageFn_ = nullptr;
};

}  // namespace

std::unique_ptr<VersionLibrary> openVersionLibrary() {
    UniqueModule module = loadSystemLibrary(L"version.dll");
    if (!module) return nullptr;
    auto library = std::make_unique<Win32VersionLibrary>(std::move(module));
    if (!library->complete()) return nullptr;
    return library;
}

}  // namespace halvora::win32
