// VirtDisk.dll on the simulated machine: ISO files made with xorriso, attached as CD-ROM drives
// through the library as the program calls it, and read back through the machine's own calls.

#include <gtest/gtest.h>

#include <filesystem>

#include "base/utf.hpp"
#include "disks/drive_enumeration.hpp"
#include "iso_factory.hpp"
#include "platform/sim/machine/sim_text.hpp"
#include "sim_session.hpp"
#include "wim_factory.hpp"

namespace halvora::scenario {
namespace {

namespace fs = std::filesystem;

constexpr std::uint32_t kReadAccess = kVirtualDiskAccessAttachRo | kVirtualDiskAccessDetach | kVirtualDiskAccessGetInfo;
constexpr std::uint32_t kAttachFlags = kAttachVirtualDiskReadOnly | kAttachVirtualDiskPermanentLifetime;
constexpr VirtualStorageType kIsoType{kVirtualStorageTypeIso, kVirtualStorageVendorMicrosoft};

// The text of a physical-path buffer, up to its NUL.
std::wstring untilNul(const std::wstring& buffer) { return buffer.substr(0, buffer.find(L'\0')); }

class SimVirtualDisksTest : public ::testing::Test {
protected:
    SimVirtualDisksTest() {
        testing::WimPlan wim;
        wim.images = testing::realisticWindowsImages(1);
        fs::create_directories(machine_.host("iso/sources"));
        EXPECT_EQ(testing::writeWim(machine_.host("iso/sources/install.wim"), wim), "");
        machine_.writeHostFile("iso/Sub/Long File Name.txt", "long");
        makeIso("D/a.iso");
        makeIso("D/b.iso");
        system_ = std::make_unique<sim::SimSystem>(machine_.machine());
        library_ = system_->loadVirtualDiskLibrary();
        EXPECT_TRUE(library_);
    }

    void makeIso(const std::string& relative, const testing::IsoOptions& options = {}) {
        ASSERT_EQ(testing::makeIso(machine_.host("iso"), machine_.host(relative), options), "");
    }

    // Open, attach with `flags`, read the physical path, close: as the program attaches an ISO.
    // `attachError` gets the attach's result; the physical path is "" when it cannot be read.
    std::wstring attach(const std::wstring& iso, std::uint32_t& attachError, std::uint32_t flags = kAttachFlags) {
        VirtualDiskHandle handle = 0;
        attachError = library_->openVirtualDisk(kIsoType, iso, kReadAccess, 0, {}, handle);
        if (attachError != 0) return L"";
        attachError = library_->attachVirtualDisk(handle, flags, 0, {});
        std::wstring path(260, L' ');
        const std::uint32_t error = library_->getPhysicalPath(handle, path);
        library_->closeHandle(handle);
        return error == 0 ? untilNul(path) : L"";
    }
    std::wstring attach(const std::wstring& iso) {
        std::uint32_t error = 0;
        const std::wstring path = attach(iso, error);
        EXPECT_EQ(error, 0u) << "attaching " << toUtf8(iso);
        return path;
    }
    std::uint32_t detach(const std::wstring& iso) {
        VirtualDiskHandle handle = 0;
        if (const std::uint32_t error = library_->openVirtualDisk(kIsoType, iso, kReadAccess, 0, {}, handle))
            return error;
        const std::uint32_t error = library_->detachVirtualDisk(handle, 0, 0);
        library_->closeHandle(handle);
        return error;
    }
    std::wstring rootOf(const std::wstring& physicalPath) {
        return driveRootOfDevice(*system_, volumeDevicePath(*system_, physicalPath));
    }

    SimMachineFixture machine_;
    std::unique_ptr<sim::SimSystem> system_;
    std::unique_ptr<VirtualDiskLibrary> library_;
};

TEST_F(SimVirtualDisksTest, AttachedIsoIsACdRomDriveWithTheFilesItsPhysicalPathLeadsTo) {
    const std::wstring physical = attach(L"D:\\a.iso");
    EXPECT_EQ(physical, L"\\\\.\\CDROM0");
    EXPECT_EQ(volumeDevicePath(*system_, physical), L"\\Device\\CdRom0");
    ASSERT_EQ(rootOf(physical), L"E:\\");  // C: and D: are taken

    Volumes& volumes = system_->volumes();
    EXPECT_EQ(volumes.driveType(L"E:\\"), kDriveCdRom);
    EXPECT_EQ(volumeDevicePath(*system_, L"E:\\"), L"\\Device\\CdRom0");
    VolumeInformation information;
    ASSERT_TRUE(volumes.volumeInformation(L"E:\\", information));
    EXPECT_EQ(information.label, L"HALVORA_TEST");
    EXPECT_EQ(information.fileSystem, L"CDFS");

    const std::string wim = machine_.readHostFile("iso/sources/install.wim");
    EXPECT_EQ(system_->fileSize(L"E:\\sources\\install.wim"), static_cast<std::int64_t>(wim.size()));
    std::string bytes;
    ASSERT_TRUE(system_->readFile(L"E:\\SOURCES\\Install.wim", bytes));
    EXPECT_EQ(bytes, wim);
    EXPECT_EQ(system_->fileSize(L"E:\\Sub\\Long File Name.txt"), 4);  // the Joliet name
    // The image on the disc opens as any other.
    const WimHandle handle =
        system_->imaging().createFile(L"E:\\sources\\install.wim", kWimGenericRead, kWimOpenExisting, 0, 0, nullptr);
    EXPECT_NE(handle, 0u);
    system_->imaging().closeHandle(handle);

    // Every call is in the log, the physical path with the buffer's size in bytes.
    const auto calls = machine_.machine()->calls();
    EXPECT_NE(std::find(calls.begin(), calls.end(), L"AttachVirtualDisk D:\\a.iso 0x5 0x0"), calls.end());
    EXPECT_NE(std::find(calls.begin(), calls.end(), L"GetVirtualDiskPhysicalPath D:\\a.iso 520 -> \\\\.\\CDROM0"),
              calls.end());
}

TEST_F(SimVirtualDisksTest, AttachingAgainChangesNothingAndDetachingTakesTheDriveAway) {
    const std::wstring physical = attach(L"D:\\a.iso");
    const std::uint32_t drives = system_->volumes().logicalDrives();
    const auto folder = machine_.machine()->hostPath(L"E:\\");

    std::uint32_t again = 0;
    EXPECT_EQ(attach(L"d:\\A.ISO", again), physical);  // the same file, spelt otherwise
    EXPECT_EQ(again, 32u);
    EXPECT_EQ(system_->volumes().logicalDrives(), drives);

    EXPECT_EQ(detach(L"D:\\a.iso"), 0u);
    EXPECT_EQ(system_->volumes().logicalDrives(), drives & ~(1u << (L'E' - L'A')));
    EXPECT_EQ(volumeDevicePath(*system_, physical), L"");
    EXPECT_EQ(system_->fileSize(L"E:\\sources\\install.wim"), -1);
    ASSERT_TRUE(folder);
    EXPECT_FALSE(fs::exists(*folder));
    EXPECT_EQ(detach(L"D:\\a.iso"), 55u);  // nothing attached

    // The detached ISO opens still; its physical path cannot be read.
    std::uint32_t error = 0;
    VirtualDiskHandle handle = 0;
    ASSERT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\a.iso", kReadAccess, 0, {}, handle), 0u);
    std::wstring buffer(260, L' ');
    EXPECT_EQ(library_->getPhysicalPath(handle, buffer), 55u);
    library_->closeHandle(handle);
    EXPECT_EQ(attach(L"D:\\a.iso", error), physical);
}

TEST_F(SimVirtualDisksTest, TwoIsosAreTwoDrivesAndAFreedLetterAndNumberAreGivenAgain) {
    EXPECT_EQ(rootOf(attach(L"D:\\a.iso")), L"E:\\");
    EXPECT_EQ(attach(L"D:\\b.iso"), L"\\\\.\\CDROM1");
    EXPECT_EQ(rootOf(L"\\\\.\\CDROM1"), L"F:\\");
    ASSERT_EQ(detach(L"D:\\a.iso"), 0u);
    EXPECT_EQ(system_->fileSize(L"E:\\sources\\install.wim"), -1);
    EXPECT_GT(system_->fileSize(L"F:\\sources\\install.wim"), 0);
    makeIso("D/c.iso");
    EXPECT_EQ(attach(L"D:\\c.iso"), L"\\\\.\\CDROM0");
    EXPECT_EQ(rootOf(L"\\\\.\\CDROM0"), L"E:\\");
}

TEST_F(SimVirtualDisksTest, DiscIsReadOnly) {
    attach(L"D:\\a.iso");
    sim::SimSystem& s = *system_;
    EXPECT_NE(s.fileAttributes(L"E:\\sources\\install.wim") & kFileAttributeReadOnly, 0u);
    EXPECT_FALSE(s.writeFile(L"E:\\new.txt", "x"));
    EXPECT_FALSE(s.writeFile(L"E:\\sources\\install.wim", "x"));
    EXPECT_FALSE(s.deleteFile(L"E:\\sources\\install.wim"));
    EXPECT_FALSE(s.setFileAttributes(L"E:\\sources\\install.wim", kFileAttributeNormal));
    EXPECT_FALSE(s.createFolder(L"E:\\Out"));
    EXPECT_FALSE(s.copyFile(L"D:\\b.iso", L"E:\\b.iso", false));
    EXPECT_TRUE(machine_.machine()->calls().back().ends_with(L" -> error 19"));
    EXPECT_GT(s.fileSize(L"E:\\sources\\install.wim"), 0);
}

TEST_F(SimVirtualDisksTest, RefusalsLeaveNoDrive) {
    const std::uint32_t drives = system_->volumes().logicalDrives();
    VirtualDiskHandle handle = 0;
    EXPECT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\missing.iso", kReadAccess, 0, {}, handle), 2u);
    EXPECT_EQ(handle, 0u);
    EXPECT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\Halvora", kReadAccess, 0, {}, handle), 5u);
    EXPECT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\a.iso", kReadAccess | 0x20000, 0, {}, handle), 5u);
    const VirtualStorageType vhd{2, kVirtualStorageVendorMicrosoft};
    EXPECT_EQ(library_->openVirtualDisk(vhd, L"D:\\a.iso", kReadAccess, 0, {}, handle), 87u);

    // A file that is no disc image opens, and fails to attach.
    machine_.writeHostFile("D/fake.iso", std::string(64 * 1024, 'x'));
    std::uint32_t error = 0;
    EXPECT_EQ(attach(L"D:\\fake.iso", error), L"");
    EXPECT_EQ(error, 13u);
    // An ISO attaches read-only only, and with the right to attach.
    EXPECT_EQ(attach(L"D:\\a.iso", error, kAttachVirtualDiskPermanentLifetime), L"");
    EXPECT_EQ(error, 87u);
    ASSERT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\a.iso", kVirtualDiskAccessGetInfo, 0, {}, handle), 0u);
    EXPECT_EQ(library_->attachVirtualDisk(handle, kAttachFlags, 0, {}), 5u);
    library_->closeHandle(handle);
    EXPECT_EQ(library_->attachVirtualDisk(handle, kAttachFlags, 0, {}), 6u);
    EXPECT_EQ(system_->volumes().logicalDrives(), drives);
}

TEST_F(SimVirtualDisksTest, WithoutPermanentLifetimeTheDiscGoesWithItsHandle) {
    std::uint32_t error = 0;
    EXPECT_EQ(attach(L"D:\\a.iso", error, kAttachVirtualDiskReadOnly), L"\\\\.\\CDROM0");
    EXPECT_EQ(error, 0u);
    EXPECT_EQ(system_->volumes().driveType(L"E:\\"), kDriveNoRootDir);
    // A buffer too small for the text and its NUL is left alone.
    VirtualDiskHandle handle = 0;
    ASSERT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\a.iso", kReadAccess, 0, {}, handle), 0u);
    ASSERT_EQ(library_->attachVirtualDisk(handle, kAttachFlags, 0, {}), 0u);
    std::wstring small(10, L' ');
    EXPECT_EQ(library_->getPhysicalPath(handle, small), 122u);
    EXPECT_EQ(small, std::wstring(10, L' '));
    library_->closeHandle(handle);
    EXPECT_EQ(system_->volumes().driveType(L"E:\\"), kDriveCdRom);
}

TEST_F(SimVirtualDisksTest, TheImageIsHeldOpenWhileItsHandleIsOpenAndWhileItIsAttached) {
    sim::SimSystem& s = *system_;
    const auto deleteFails = [&](std::uint32_t error) {
        const bool refused = !s.deleteFile(L"D:\\A.ISO");
        const auto calls = machine_.machine()->calls();
        return refused && calls.back() == L"DeleteFileW D:\\A.ISO -> error " + std::to_wstring(error);
    };
    VirtualDiskHandle handle = 0;
    ASSERT_EQ(library_->openVirtualDisk(kIsoType, L"D:\\a.iso", kReadAccess, 0, {}, handle), 0u);
    EXPECT_TRUE(deleteFails(32));
    EXPECT_FALSE(s.writeFile(L"D:\\a.iso", "x"));
    library_->closeHandle(handle);

    // Attached for good, it stays open after the handle is closed, until it is detached.
    EXPECT_EQ(attach(L"D:\\a.iso"), L"\\\\.\\CDROM0");
    EXPECT_TRUE(deleteFails(32));
    EXPECT_EQ(detach(L"D:\\a.iso"), 0u);
    EXPECT_TRUE(s.deleteFile(L"D:\\a.iso"));
    EXPECT_FALSE(machine_.hostFileExists("D/a.iso"));
}

TEST(SimVirtualDisks, LibraryIsMissingWithoutItsFileOrWhenTheDescriptionSaysSo) {
    SimMachineFixture noFile;
    std::filesystem::remove(noFile.host("C/Windows/System32/VirtDisk.dll"));
    EXPECT_FALSE(sim::SimSystem(noFile.machine()).loadVirtualDiskLibrary());
    EXPECT_EQ(noFile.machine()->calls().back(), L"LoadLibraryExW C:\\Windows\\System32\\VirtDisk.dll -> error 126");

    SimMachineFixture emptyFile;
    emptyFile.writeHostFile("C/Windows/System32/VirtDisk.dll", "");
    EXPECT_FALSE(sim::SimSystem(emptyFile.machine()).loadVirtualDiskLibrary());

    SimMachineFixture saysMissing(json{{"virtDisk", false}});
    EXPECT_FALSE(sim::SimSystem(saysMissing.machine()).loadVirtualDiskLibrary());
}

TEST(SimVirtualDisks, UnpackedDiscsGoWithTheMachine) {
    fs::path folder;
    {
        SimMachineFixture machine;
        machine.writeHostFile("iso/readme.txt", "hello");
        ASSERT_EQ(testing::makeIso(machine.host("iso"), machine.host("D/r.iso"), {"RR_ONLY", false, true}), "");
        sim::SimSystem system(machine.machine());
        auto library = system.loadVirtualDiskLibrary();
        ASSERT_TRUE(library);
        VirtualDiskHandle handle = 0;
        ASSERT_EQ(library->openVirtualDisk(kIsoType, L"D:\\r.iso", kReadAccess, 0, {}, handle), 0u);
        ASSERT_EQ(library->attachVirtualDisk(handle, kAttachFlags, 0, {}), 0u);
        // Without Joliet names Windows shows the plain ISO 9660 ones, as the sim does.
        const auto entries = system.listFolder(L"E:\\");
        ASSERT_TRUE(entries && entries->size() == 1);
        EXPECT_EQ(entries->front().name, L"README.TXT");
        folder = *machine.machine()->hostPath(L"E:\\");
        EXPECT_TRUE(fs::exists(folder / "README.TXT"));
    }
    EXPECT_FALSE(fs::exists(folder));
}

}  // namespace
}  // namespace halvora::scenario
