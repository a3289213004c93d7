#include "app/feature_support.hpp"

#include "base/text.hpp"

namespace halvora {

std::wstring osVersionText(System& system) {
    const auto version = system.rtlGetVersion();
    if (!version) return L"";
    return std::to_wstring(version->major) + L"." + std::to_wstring(version->minor) + L"." +
           std::to_wstring(version->build);
}

double osVersionNumber(const std::wstring& versionText) {
    const auto fields = split(versionText, L'.');
    if (versionText.empty()) return 0.0;
    const double major = static_cast<double>(parseLeadingInteger(fields[0]));
    if (fields.size() < 2) return major;
    double fraction = 0.0;
    double scale = 0.1;
    for (wchar_t c : fields[1]) {
        if (c < L'0' || c > L'9') break;
        fraction += (c - L'0') * scale;
        scale /= 10.0;
    }
    return major + fraction;
}

FeatureSupport evaluateFeatures(const std::wstring& versionText, bool bcdbootPresent, bool virtDiskPresent) {
    FeatureSupport f;
    const double v = osVersionNumber(versionText);
    const bool newerThanWindows7 = v > 6.1;
    if (!bcdbootPresent) {
        f.report += L" BcdBoot 없슴.";
    } else if (newerThanWindows7) {
        f.bcdboot = true;
        f.report += L" BcdBoot Ok.";
    } else {
        f.report += L" 미지원 BcdBoot.";
    }
    if (!virtDiskPresent) {
        f.report += L" VirtDisk.dll 없슴.";
    } else if (newerThanWindows7) {
        f.iso = true;
        f.report += L" VirtDisk.dll Ok.";
    } else {
        f.report += L" ISO 미지원 VirtDisk.";
    }
    if (newerThanWindows7) {
        f.esd = true;
        f.report += L" ESD Ok.";
        f.compact = v > 6.3;
    } else {
        f.report += L" ESD 미지원.";
    }
    return f;
}

}  // namespace halvora
