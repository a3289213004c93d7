// wimgapi on the simulated machine: real WIM, SWM and ESD files made with wimlib, opened and read
// through the imaging interface as the program calls it, with wimgapi's error codes and records.

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <cstring>
#include <filesystem>
#include <thread>

#include "base/utf.hpp"
#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;
using testing::ImagePlan;
using testing::WimCompression;
using testing::WimPlan;

constexpr std::uint32_t kReadFlags = kWimFlagSolidAllowed | kWimFlagVerify;

std::uint32_t u32(const std::array<unsigned char, kWimInfoSize>& info, std::size_t at) {
    std::uint32_t value;
    std::memcpy(&value, info.data() + at, 4);
    return value;
}

std::uint16_t u16(const std::array<unsigned char, kWimInfoSize>& info, std::size_t at) {
    return static_cast<std::uint16_t>(info[at] | (info[at + 1] << 8));
}

std::wstring wimPath(const std::array<unsigned char, kWimInfoSize>& info) {
    std::wstring path;
    for (std::size_t i = 0; i < 520 && u16(info, i); i += 2) path.push_back(static_cast<wchar_t>(u16(info, i)));
    return path;
}

class SimImagingTest : public ::testing::Test {
protected:
    // Writes a WIM made from `plan` at `relative` under the machine's root ("D/sources/x.wim").
    void makeWim(const std::string& relative, const WimPlan& plan) {
        const fs::path file = machine_.host(relative);
        fs::create_directories(file.parent_path());
        ASSERT_EQ(testing::writeWim(file, plan), "");
    }
    ImagingLibrary& imaging() {
        if (!system_) system_ = std::make_unique<sim::SimSystem>(machine_.machine());
        return system_->imaging();
    }
    WimHandle open(const std::wstring& path, std::uint32_t flags = kReadFlags) {
        return imaging().createFile(path, kWimGenericRead, kWimOpenExisting, flags, 0, nullptr);
    }
    std::uint32_t openError(const std::wstring& path, std::uint32_t flags = kReadFlags) {
        const WimHandle handle = open(path, flags);
        if (handle != 0) {
            imaging().closeHandle(handle);
            return 0;
        }
        return imaging().lastError();
    }
    std::array<unsigned char, kWimInfoSize> attributes(WimHandle handle) {
        std::array<unsigned char, kWimInfoSize> info{};
        EXPECT_TRUE(imaging().getAttributes(handle, info.data(), kWimInfoSize)) << imaging().lastError();
        return info;
    }

    SimMachineFixture machine_;
    std::unique_ptr<sim::SimSystem> system_;
};

WimPlan threeEditions() {
    WimPlan plan;
    plan.images = testing::realisticWindowsImages(3);
    plan.bootIndex = 2;
    return plan;
}

// --- reading an image file --------------------------------------------------------------------

TEST_F(SimImagingTest, OpensAWimAndReadsItsStoredXmlAfterOneByteOrderMark) {
    makeWim("D/sources/install.wim", threeEditions());
    std::uint32_t creation = 99;
    const WimHandle handle =
        imaging().createFile(L"D:\\Sources\\INSTALL.wim", kWimGenericRead, kWimOpenExisting, kReadFlags, 0, &creation);
    ASSERT_NE(handle, 0u) << imaging().lastError();
    EXPECT_EQ(creation, 1u);  // WIM_OPENED_EXISTING
    EXPECT_EQ(imaging().lastError(), 0u);

    std::u16string xml;
    ASSERT_TRUE(imaging().getImageInformation(handle, xml));
    ASSERT_GE(xml.size(), 2u);
    EXPECT_EQ(xml[0], u'\xFEFF');
    EXPECT_NE(xml[1], u'\xFEFF');
    EXPECT_EQ(xml.substr(1, 5), u"<WIM>");
    const std::wstring text = fromUtf16(xml);
    EXPECT_NE(text.find(L"<NAME>Windows 10 Home</NAME>"), std::wstring::npos);
    EXPECT_NE(text.find(L"<EDITIONID>CoreSingleLanguage</EDITIONID>"), std::wstring::npos);
    EXPECT_NE(text.find(L"<DEFAULT>ko-KR</DEFAULT>"), std::wstring::npos);
    // Kept as stored: one compact line, wimlib's line break after it included.
    EXPECT_GT(text.find(L"\n"), text.find(L"</WIM>"));

    // A loaded image describes itself only.
    const WimHandle image = imaging().loadImage(handle, 2);
    ASSERT_NE(image, 0u);
    std::u16string own;
    ASSERT_TRUE(imaging().getImageInformation(image, own));
    EXPECT_EQ(own[0], u'\xFEFF');
    EXPECT_EQ(fromUtf16(own).find(L"<IMAGE INDEX=\"2\">"), 1u);
    EXPECT_NE(fromUtf16(own).find(L"Windows 10 Home N"), std::wstring::npos);
    EXPECT_EQ(fromUtf16(own).find(L"CoreSingleLanguage"), std::wstring::npos);

    // Handles are distinct, and each open holds its own file.
    const WimHandle second = open(L"D:\\sources\\install.wim");
    EXPECT_NE(second, 0u);
    EXPECT_NE(second, handle);
    EXPECT_NE(second, image);
    EXPECT_TRUE(imaging().closeHandle(image));
    EXPECT_TRUE(imaging().closeHandle(handle));
    EXPECT_TRUE(imaging().getImageInformation(second, xml));
    EXPECT_FALSE(imaging().closeHandle(handle));
    EXPECT_EQ(imaging().lastError(), 6u);
    EXPECT_FALSE(imaging().getImageInformation(handle, xml));
    EXPECT_EQ(imaging().lastError(), 6u);
}

TEST_F(SimImagingTest, WimInfoCarriesCountCompressionBootIndexPathAndFlags) {
    makeWim("D/sources/install.wim", threeEditions());
    WimPlan checked;
    checked.images = {{{{"NAME", "One"}}, {{"a.txt", "a"}}}};
    checked.compression = WimCompression::Xpress;
    checked.integrityTable = true;
    makeWim("D/checked.wim", checked);

    const WimHandle lzx = open(L"D:\\sources\\install.wim", kWimFlagSolidAllowed);
    ASSERT_NE(lzx, 0u);
    auto info = attributes(lzx);
    EXPECT_EQ(wimPath(info), L"D:\\sources\\install.wim");
    EXPECT_EQ(u32(info, 536), 3u);          // ImageCount
    EXPECT_EQ(u32(info, 540), 2u);          // LZX
    EXPECT_EQ(u16(info, 544), 1u);          // PartNumber
    EXPECT_EQ(u16(info, 546), 1u);          // TotalParts
    EXPECT_EQ(u32(info, 548), 2u);          // BootIndex
    EXPECT_EQ(u32(info, 552) & ~0x8u, 0u);  // no integrity table, not spanned (RP_FIX as written)
    EXPECT_EQ(u32(info, 556), kWimFlagSolidAllowed);
    const std::array<unsigned char, 16> noGuid{};
    EXPECT_NE(std::memcmp(info.data() + 520, noGuid.data(), 16), 0) << "the GUID is set";

    const WimHandle xpress = open(L"D:\\checked.wim");
    ASSERT_NE(xpress, 0u);
    info = attributes(xpress);
    EXPECT_EQ(u32(info, 536), 1u);
    EXPECT_EQ(u32(info, 540), 1u);  // XPRESS
    EXPECT_EQ(u32(info, 548), 0u);
    EXPECT_EQ(u32(info, 552) & ~0x8u, 0x4u);  // VERIFY_DATA
    EXPECT_EQ(u32(info, 556), kReadFlags);

    std::array<unsigned char, kWimInfoSize> small{};
    EXPECT_FALSE(imaging().getAttributes(xpress, small.data(), kWimInfoSize - 1));
    EXPECT_EQ(imaging().lastError(), 122u);
}

TEST_F(SimImagingTest, SplitSetPartsReportTheirNumbersAndTheFirstCarriesTheXml) {
    WimPlan big;
    big.images = {{{{"NAME", "Windows 10 Pro"}, {"WINDOWS/VERSION/BUILD", "19045"}},
                   {{"Windows/a.bin", testing::pseudoRandomText(400000, 1)},
                    {"Windows/b.bin", testing::pseudoRandomText(400000, 2)}}}};
    makeWim("big.wim", big);
    fs::create_directories(machine_.host("D/sources"));
    ASSERT_EQ(testing::splitWim(machine_.host("big.wim"), machine_.host("D/sources/install.swm"), 450000), "");

    const WimHandle first = open(L"D:\\sources\\install.swm");
    ASSERT_NE(first, 0u) << imaging().lastError();
    auto info = attributes(first);
    EXPECT_EQ(u16(info, 544), 1u);
    EXPECT_GE(u16(info, 546), 2u);
    EXPECT_EQ(u32(info, 552) & 0x10u, 0x10u);  // SPANNED
    std::u16string xml;
    ASSERT_TRUE(imaging().getImageInformation(first, xml));
    EXPECT_NE(fromUtf16(xml).find(L"<BUILD>19045</BUILD>"), std::wstring::npos);

    const WimHandle second = open(L"D:\\sources\\install2.swm");
    ASSERT_NE(second, 0u);
    EXPECT_EQ(u16(attributes(second), 544), 2u);

    EXPECT_TRUE(imaging().setReferenceFile(first, L"D:\\sources\\install2.swm", kWimReferenceAppend));
    EXPECT_FALSE(imaging().setReferenceFile(first, L"D:\\sources\\install9.swm", kWimReferenceAppend));
    EXPECT_EQ(imaging().lastError(), 2u);
    EXPECT_FALSE(imaging().setReferenceFile(first, L"D:\\nowhere\\install2.swm", kWimReferenceAppend));
    EXPECT_EQ(imaging().lastError(), 3u);
}

// --- open rules and errors ----------------------------------------------------------------------

TEST_F(SimImagingTest, VerifyRefusesACorruptedFileAndEsdNeedsTheSolidFlag) {
    WimPlan checked;
    checked.images = testing::realisticWindowsImages(1);
    checked.integrityTable = true;
    makeWim("D/checked.wim", checked);
    ASSERT_EQ(testing::corruptResourceData(machine_.host("D/checked.wim")), "");
    EXPECT_EQ(openError(L"D:\\checked.wim", kWimFlagVerify), 1392u);  // ERROR_FILE_CORRUPT
    EXPECT_EQ(openError(L"D:\\checked.wim", 0), 0u) << "without the check the header still reads";

    WimPlan esd;
    esd.images = testing::realisticWindowsImages(2);
    esd.compression = WimCompression::Solid;
    makeWim("D/sources/install.esd", esd);
    EXPECT_EQ(openError(L"D:\\sources\\install.esd", kWimFlagVerify), 50u);  // ERROR_NOT_SUPPORTED
    const WimHandle handle = open(L"D:\\sources\\install.esd", kWimFlagSolidAllowed);
    ASSERT_NE(handle, 0u) << imaging().lastError();
    const auto info = attributes(handle);
    EXPECT_EQ(u32(info, 536), 2u);
    EXPECT_EQ(u32(info, 540), 3u);  // LZMS
}

TEST_F(SimImagingTest, FilesThatAreNotUsableWimsGiveWindowsErrors) {
    makeWim("D/sources/install.wim", threeEditions());
    const std::string whole = machine_.readHostFile("D/sources/install.wim");
    machine_.writeHostFile("D/empty.wim", "");
    machine_.writeHostFile("D/short.wim", whole.substr(0, 100));
    machine_.writeHostFile("D/truncated.wim", whole.substr(0, whole.size() / 2));
    machine_.writeHostFile("D/text.wim", std::string(4096, 'x'));
    fs::create_directories(machine_.host("D/folder.wim"));

    EXPECT_EQ(openError(L"D:\\sources\\missing.wim"), 2u);
    EXPECT_EQ(openError(L"D:\\nowhere\\install.wim"), 3u);
    EXPECT_EQ(openError(L"Q:\\install.wim"), 3u);  // no such drive
    EXPECT_EQ(openError(L"D:\\folder.wim"), 5u);
    EXPECT_EQ(openError(L"D:"), 5u);
    EXPECT_EQ(openError(L"D:\\empty.wim"), 13u);
    EXPECT_EQ(openError(L"D:\\short.wim"), 13u);
    EXPECT_EQ(openError(L"D:\\truncated.wim"), 13u);
    EXPECT_EQ(openError(L"D:\\text.wim"), 13u);
    EXPECT_EQ(openError(L"D:\\a?b.wim"), 123u);

    EXPECT_EQ(imaging().createFile(L"D:\\sources\\install.wim", 0x40000000, kWimOpenExisting, 0, 0, nullptr), 0u);
    EXPECT_EQ(imaging().lastError(), 87u);
    EXPECT_EQ(imaging().createFile(L"D:\\sources\\install.wim", kWimGenericRead, 2, 0, 0, nullptr), 0u);
    EXPECT_EQ(imaging().lastError(), 87u);
}

TEST_F(SimImagingTest, ImagesLoadByOneBasedIndexAndTemporaryPathsMustExist) {
    makeWim("D/sources/install.wim", threeEditions());
    const WimHandle handle = open(L"D:\\sources\\install.wim");
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(imaging().loadImage(handle, 0), 0u);
    EXPECT_EQ(imaging().lastError(), 87u);
    EXPECT_EQ(imaging().loadImage(handle, 4), 0u);
    EXPECT_EQ(imaging().lastError(), 87u);
    const WimHandle third = imaging().loadImage(handle, 3);
    EXPECT_NE(third, 0u);
    EXPECT_EQ(imaging().loadImage(third, 1), 0u) << "an image is loaded from a file handle";
    EXPECT_EQ(imaging().lastError(), 6u);

    EXPECT_TRUE(imaging().setTemporaryPath(handle, L"C:"));
    EXPECT_TRUE(imaging().setTemporaryPath(handle, L"C:\\Temp"));
    EXPECT_FALSE(imaging().setTemporaryPath(handle, L"C:\\NoSuchFolder"));
    EXPECT_EQ(imaging().lastError(), 3u);
    EXPECT_FALSE(imaging().setTemporaryPath(handle, L"Q:"));
    EXPECT_EQ(imaging().lastError(), 3u);
}

TEST_F(SimImagingTest, WithoutWimgapiEveryCallFailsWithModuleNotFound) {
    fs::remove(machine_.host("C/Windows/System32/wimgapi.dll"));
    makeWim("D/sources/install.wim", threeEditions());
    EXPECT_EQ(openError(L"D:\\sources\\install.wim"), 126u);
    EXPECT_FALSE(imaging().registerLogFile(L"C:\\Temp\\wim.log", kWimLogFlags));
    EXPECT_EQ(imaging().lastError(), 126u);
    EXPECT_EQ(imaging().registerMessageCallback(0, [](std::uint32_t, std::uintptr_t, std::intptr_t) { return 0u; }),
              kWimInvalidCallback);
    EXPECT_EQ(imaging().lastError(), 126u);
    EXPECT_FALSE(machine_.hostFileExists("C/Temp/wim.log"));
}

TEST_F(SimImagingTest, LastErrorBelongsToTheCallingThread) {
    EXPECT_EQ(openError(L"D:\\missing.wim"), 2u);
    std::uint32_t workerError = 0;
    std::thread worker([&] {
        EXPECT_EQ(imaging().lastError(), 0u) << "a fresh thread has no error yet";
        imaging().createFile(L"D:\\", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr);
        workerError = imaging().lastError();
    });
    worker.join();
    EXPECT_EQ(workerError, 5u);
    EXPECT_EQ(imaging().lastError(), 2u);
}

TEST_F(SimImagingTest, HandlesServeSeveralThreadsAtOnce) {
    makeWim("D/sources/install.wim", threeEditions());
    ImagingLibrary& library = imaging();
    const WimHandle shared = open(L"D:\\sources\\install.wim");
    ASSERT_NE(shared, 0u);
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&] {
            for (int i = 0; i < 10; ++i) {
                const WimHandle own =
                    library.createFile(L"D:\\sources\\install.wim", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr);
                std::u16string xml;
                std::array<unsigned char, kWimInfoSize> info{};
                const WimHandle image = library.loadImage(shared, 1 + i % 3);
                if (own == 0 || image == 0 || !library.getImageInformation(shared, xml) ||
                    !library.getAttributes(own, info.data(), kWimInfoSize) || !library.closeHandle(image) ||
                    !library.closeHandle(own)) {
                    ++failures;
                }
            }
        });
    }
    for (auto& thread : threads) thread.join();
    EXPECT_EQ(failures.load(), 0);
}

// --- callbacks, log file, call log ----------------------------------------------------------------

TEST_F(SimImagingTest, CallbacksAreIndexedPerHandleAndUnregisteredTogether) {
    makeWim("D/sources/install.wim", threeEditions());
    const WimHandle handle = open(L"D:\\sources\\install.wim");
    auto callback = [](std::uint32_t, std::uintptr_t, std::intptr_t) { return kWimMsgSuccess; };
    EXPECT_EQ(imaging().registerMessageCallback(handle, callback), 0u);
    EXPECT_EQ(imaging().registerMessageCallback(handle, callback), 1u);
    EXPECT_EQ(imaging().registerMessageCallback(0, callback), 0u);
    EXPECT_EQ(imaging().registerMessageCallback(handle + 1000, callback), kWimInvalidCallback);
    EXPECT_EQ(imaging().lastError(), 6u);
    EXPECT_EQ(imaging().registerMessageCallback(handle, nullptr), kWimInvalidCallback);
    EXPECT_TRUE(imaging().unregisterMessageCallback(handle));
    EXPECT_EQ(imaging().registerMessageCallback(handle, callback), 0u) << "the handle's list starts again";
    EXPECT_TRUE(imaging().unregisterMessageCallback(0));
    EXPECT_EQ(imaging().registerMessageCallback(0, callback), 0u);
}

TEST_F(SimImagingTest, RegisteredLogFileGetsOneLinePerOperationUntilUnregistered) {
    makeWim("D/sources/install.wim", threeEditions());
    machine_.writeHostFile("C/Temp/HalvoraWimGAPI.log", "old text");
    ASSERT_TRUE(imaging().registerLogFile(L"C:\\Temp\\HalvoraWimGAPI.log", kWimLogFlags));
    const WimHandle handle = open(L"D:\\sources\\install.wim");
    ASSERT_NE(handle, 0u);
    EXPECT_EQ(open(L"D:\\x.wim"), 0u);
    EXPECT_TRUE(imaging().closeHandle(handle));
    EXPECT_TRUE(imaging().unregisterLogFile(L"C:\\temp\\halvorawimgapi.log"));
    EXPECT_FALSE(imaging().unregisterLogFile(L"C:\\Temp\\HalvoraWimGAPI.log"));
    EXPECT_EQ(open(L"D:\\after.wim"), 0u);

    const std::string log = machine_.readHostFile("C/Temp/HalvoraWimGAPI.log");
    EXPECT_EQ(log.find("old text"), std::string::npos);
    EXPECT_NE(log.find("WIMCreateFile D:\\sources\\install.wim ok\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("WIMCreateFile D:\\x.wim error 2\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("WIMCloseHandle"), std::string::npos) << log;
    EXPECT_EQ(log.find("after.wim"), std::string::npos) << log;

    EXPECT_FALSE(imaging().registerLogFile(L"C:\\NoFolder\\wim.log", kWimLogFlags));
    EXPECT_EQ(imaging().lastError(), 3u);
    EXPECT_FALSE(imaging().registerLogFile(L"C:\\Temp", kWimLogFlags));
    EXPECT_EQ(imaging().lastError(), 5u);
}

TEST_F(SimImagingTest, CallLogKeepsEachCallWithItsFlags) {
    makeWim("D/sources/install.wim", threeEditions());
    machine_.machine()->clearCalls();
    imaging().registerLogFile(L"C:\\Temp\\HalvoraWimGAPI.log", kWimLogFlags);
    const WimHandle handle = open(L"D:\\sources\\install.wim", kReadFlags);
    std::array<unsigned char, kWimInfoSize> info{};
    imaging().getAttributes(handle, info.data(), kWimInfoSize);
    const WimHandle image = imaging().loadImage(handle, 1);
    imaging().applyImage(image, L"E:\\", kWimApplyVerify | kWimApplyWimBoot);
    imaging().closeHandle(image);
    imaging().closeHandle(handle);
    const auto calls = machine_.machine()->calls();
    const std::vector<std::wstring> expected = {
        L"WIMRegisterLogFile C:\\Temp\\HalvoraWimGAPI.log 1",
        L"WIMCreateFile D:\\sources\\install.wim 0x80000000 3 0x20000002",
        L"WIMGetAttributes 560",
        L"WIMLoadImage 1",
        L"WIMApplyImage E:\\ 0x2002",
        L"WIMCloseHandle",
        L"WIMCloseHandle",
    };
    EXPECT_EQ(calls, expected);
}

}  // namespace
}  // namespace halvora::scenario
