#include "app/feature_support.hpp"

#include <gtest/gtest.h>

namespace halvora {
namespace {

TEST(FeatureSupport, VersionNumberUsesMajorAndMinor) {
    EXPECT_DOUBLE_EQ(osVersionNumber(L"6.3.9600"), 6.3);
    EXPECT_DOUBLE_EQ(osVersionNumber(L"10.0.19041"), 10.0);
    EXPECT_DOUBLE_EQ(osVersionNumber(L""), 0.0);
}

TEST(FeatureSupport, Windows7HasNeitherEsdNorIso) {
    const auto f = evaluateFeatures(L"6.1.7601", true, true);
    EXPECT_EQ(f.report, L" 미지원 BcdBoot. ISO 미지원 VirtDisk. ESD 미지원.");
    EXPECT_FALSE(f.bcdboot || f.iso || f.esd || f.compact);
}

TEST(FeatureSupport, Windows81HasEverythingButCompact) {
    const auto f = evaluateFeatures(L"6.3.9600", true, true);
    EXPECT_EQ(f.report, L" BcdBoot Ok. VirtDisk.dll Ok. ESD Ok.");
    EXPECT_TRUE(f.bcdboot && f.iso && f.esd);
    EXPECT_FALSE(f.compact);
}

TEST(FeatureSupport, Windows10WithoutTheToolsStillHasEsdAndCompact) {
    const auto f = evaluateFeatures(L"10.0.19041", false, false);
    EXPECT_EQ(f.report, L" BcdBoot 없슴. VirtDisk.dll 없슴. ESD Ok.");
    EXPECT_FALSE(f.bcdboot || f.iso);
    EXPECT_TRUE(f.esd && f.compact);
}

TEST(FeatureSupport, UnknownVersionSupportsNothing) {
    const auto f = evaluateFeatures(L"", true, true);
    EXPECT_EQ(f.report, L" 미지원 BcdBoot. ISO 미지원 VirtDisk. ESD 미지원.");
}

}  // namespace
}  // namespace halvora
