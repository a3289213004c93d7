// The test-image factory: what it makes must really be what the other tests take it for.

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <memory>

#include <wimlib.h>

#include "temp_folder.hpp"
#include "wim_factory.hpp"

namespace halvora::testing {
namespace {

namespace fs = std::filesystem;

class FactoryFolder : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(root_.empty());
        wimlib_global_init(0);
    }

    struct Opened {
        int rc = 0;
        WIMStruct* wim = nullptr;
        wimlib_wim_info info{};
        ~Opened() {
            if (wim) wimlib_free(wim);
        }
    };
    std::unique_ptr<Opened> open(const fs::path& file, int flags = 0) {
        auto opened = std::make_unique<Opened>();
        opened->rc = wimlib_open_wim(file.c_str(), flags, &opened->wim);
        if (opened->rc == 0) wimlib_get_wim_info(opened->wim, &opened->info);
        return opened;
    }

    TempFolder folder_{"halvora-factory"};
    const fs::path& root_ = folder_.root();
};

TEST_F(FactoryFolder, WritesImagesWithTheirPropertiesCompressionAndBootIndex) {
    WimPlan plan;
    plan.images = {
        {{{"NAME", "Windows 10 Pro"}, {"WINDOWS/VERSION/BUILD", "19041"}, {"DISPLAYNAME", ""}},
         {{"Windows/System32/a.txt", "hello"}}},
        {{{"NAME", "Windows 10 Home"}, {"WINDOWS/LANGUAGES/DEFAULT", "ko-KR"}}, {}},
    };
    plan.compression = WimCompression::Xpress;
    plan.bootIndex = 2;
    const fs::path file = root_ / "install.wim";
    ASSERT_EQ(writeWim(file, plan), "");

    auto opened = open(file);
    ASSERT_EQ(opened->rc, 0);
    EXPECT_EQ(opened->info.image_count, 2u);
    EXPECT_EQ(opened->info.boot_index, 2u);
    EXPECT_EQ(opened->info.compression_type, WIMLIB_COMPRESSION_TYPE_XPRESS);
    EXPECT_STREQ(wimlib_get_image_property(opened->wim, 1, "WINDOWS/VERSION/BUILD"), "19041");
    EXPECT_STREQ(wimlib_get_image_property(opened->wim, 2, "NAME"), "Windows 10 Home");
    // An empty value leaves the element out.
    EXPECT_EQ(wimlib_get_image_property(opened->wim, 1, "DISPLAYNAME"), nullptr);
}

TEST_F(FactoryFolder, SolidWimsAreLzmsAndIntegrityTablesCatchCorruption) {
    WimPlan esd;
    esd.images = realisticWindowsImages(2);
    esd.compression = WimCompression::Solid;
    ASSERT_EQ(writeWim(root_ / "install.esd", esd), "");
    auto solid = open(root_ / "install.esd");
    ASSERT_EQ(solid->rc, 0);
    EXPECT_EQ(solid->info.wim_version, 0xE00u) << "solid resources need the solid WIM version";

    WimPlan checked;
    checked.images = realisticWindowsImages(1);
    checked.integrityTable = true;
    const fs::path file = root_ / "checked.wim";
    ASSERT_EQ(writeWim(file, checked), "");
    EXPECT_EQ(open(file, WIMLIB_OPEN_FLAG_CHECK_INTEGRITY)->rc, 0);
    ASSERT_EQ(corruptResourceData(file), "");
    EXPECT_EQ(open(file, WIMLIB_OPEN_FLAG_CHECK_INTEGRITY)->rc, WIMLIB_ERR_INTEGRITY);
}

TEST_F(FactoryFolder, SplitGivesNumberedPartsOfOneSet) {
    WimPlan plan;
    plan.images = {{{{"NAME", "Big"}},
                    {{"a.bin", pseudoRandomText(300000, 1)},
                     {"b.bin", pseudoRandomText(300000, 2)},
                     {"c.bin", pseudoRandomText(300000, 3)}}}};
    ASSERT_EQ(writeWim(root_ / "big.wim", plan), "");
    ASSERT_EQ(splitWim(root_ / "big.wim", root_ / "install.swm", 400000), "");
    auto first = open(root_ / "install.swm");
    auto second = open(root_ / "install2.swm");
    ASSERT_EQ(first->rc, 0);
    ASSERT_EQ(second->rc, 0);
    EXPECT_EQ(first->info.part_number, 1);
    EXPECT_GE(first->info.total_parts, 2);
    EXPECT_EQ(second->info.part_number, 2);

    // Content that fits one part is reported, not passed off as a split set.
    WimPlan small;
    small.images = realisticWindowsImages(1);
    ASSERT_EQ(writeWim(root_ / "small.wim", small), "");
    EXPECT_NE(splitWim(root_ / "small.wim", root_ / "small.swm", 1 << 20), "");
}

TEST_F(FactoryFolder, RealisticImagesCarryRealSizedXml) {
    WimPlan plan;
    plan.images = realisticWindowsImages(3);
    ASSERT_EQ(writeWim(root_ / "install.wim", plan), "");
    auto opened = open(root_ / "install.wim");
    ASSERT_EQ(opened->rc, 0);
    void* xml = nullptr;
    size_t bytes = 0;
    ASSERT_EQ(wimlib_get_xml_data(opened->wim, &xml, &bytes), 0);
    free(xml);
    // A real edition's IMAGE element is some 1300 to 2000 characters.
    const size_t perImage = bytes / 2 / 3;
    EXPECT_GE(perImage, 1250u);
    EXPECT_LE(perImage, 2100u);
    EXPECT_STREQ(wimlib_get_image_property(opened->wim, 3, "WINDOWS/EDITIONID"), "CoreSingleLanguage");
}

}  // namespace
}  // namespace halvora::testing
