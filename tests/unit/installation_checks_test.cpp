// The installation's checks and the confirmation they lead to, decided from a request alone.

#include <gtest/gtest.h>

#include "install/install_checks.hpp"
#include "install/install_command.hpp"
#include "install/installation_request.hpp"
#include "platform/imaging.hpp"

namespace halvora {
namespace {

const std::wstring kNoImageText = L"설치 파일(Wim, Swm, ESD)을 지정 하세요.";
const std::wstring kMissingImageText = L"설치 파일이 지정한 위치에 없습니다.";
const std::wstring kNoTargetText = L"윈도우를 설치 할 위치를 지정하세요.";
const std::wstring kSystemTargetText = L"선택한 설치 위치는 현재 사용 중인 시스템 드라이브 입니다.";

// Image 1 of D:\sources\install.wim onto E: of a GPT disk, boot files onto that disk's ESP S:.
InstallationRequest gptInstallation() {
    InstallationRequest request;
    request.imageFile = L"D:\\sources\\install.wim";
    request.indexText = L"1";
    request.index = 1;
    request.imageBytes = 4000;
    request.target = {L"E:", L"1", L"GPT", L"", 5000, L"3", L"11"};
    request.boot = {L"S:", L"1", L"GPT", L"ESP", 90000, L"3", L"11"};
    return request;
}

TEST(InstallChecksImageFile, AnEmptyFileCountsAsMissingAndAnEmptyNameAsNoChoice) {
    InstallationRequest request = gptInstallation();
    EXPECT_EQ(imageFileRefusal(request, 1), L"");
    EXPECT_EQ(imageFileRefusal(request, 0), kMissingImageText);
    EXPECT_EQ(imageFileRefusal(request, -1), kMissingImageText);
    request.imageFile.clear();
    EXPECT_EQ(imageFileRefusal(request, -1), kNoImageText);
}

TEST(InstallChecksIndex, OnlyAPositiveNumberChoosesAnImage) {
    InstallationRequest request = gptInstallation();
    for (const long long index : {0LL, -1LL}) {
        request.index = index;
        EXPECT_EQ(indexRefusal(request), L"Index 선택이 되어 있지 않습니다.") << index;
    }
    request.index = 1;
    EXPECT_EQ(indexRefusal(request), L"");
}

TEST(InstallChecksTarget, TheTargetMustExistAndMustNotBeTheRunningSystemInAnyCase) {
    InstallationRequest request = gptInstallation();
    EXPECT_EQ(targetRefusal(request, true, L"C:"), L"");
    EXPECT_EQ(targetRefusal(request, false, L"C:"), kNoTargetText);
    EXPECT_EQ(targetRefusal(request, true, L"e:"), kSystemTargetText);
    // A missing SYSTEMDRIVE leaves nothing to compare with: no target is the running system.
    EXPECT_EQ(targetRefusal(request, true, L""), L"");
    request.target.drive = L"c:";
    EXPECT_EQ(targetRefusal(request, true, L"C:"), kSystemTargetText);
    request.target.drive.clear();
    EXPECT_EQ(targetRefusal(request, true, L"C:"), kNoTargetText);
}

TEST(InstallChecksSpace, AnImageExactlyAsLargeAsTheFreeSpaceFitsAndOneByteMoreDoesNot) {
    InstallationRequest request = gptInstallation();
    request.imageBytes = request.target.freeBytes;
    EXPECT_EQ(spaceRefusal(request), L"");
    request.imageBytes = request.target.freeBytes + 1;
    EXPECT_EQ(spaceRefusal(request), L"설치 공간 부족.  설치 용량: 5001  남은 공간: 5000");
    request.imageBytes = 0;
    request.target.freeBytes = 0;
    EXPECT_EQ(spaceRefusal(request), L"");
}

TEST(InstallConfirmation, ABootLocationThatSuitsTheTargetIsNamedWithoutRemarks) {
    const InstallationRequest request = gptInstallation();
    EXPECT_EQ(bootNote(request, true), L"");
    EXPECT_EQ(confirmationText(request, true),
              L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n부팅 위치 : S:");
}

TEST(InstallConfirmation, AMissingOrUnsuitableBootLocationIsRemarkedOn) {
    InstallationRequest request = gptInstallation();
    // Chosen but gone: Bcdboot is left out; the row itself still suits the GPT disk.
    EXPECT_EQ(bootNote(request, false), L"부팅 위치 생략(Bcdboot 생략). ");
    EXPECT_EQ(confirmationText(request, false),
              L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n부팅 위치 생략(Bcdboot 생략). ");
    // An active partition does not boot a GPT disk; an MBR disk boots from one or from an ESP.
    request.boot.bootType = L"ACT";
    EXPECT_EQ(bootNote(request, true), L"ESP 무시.");
    request.target.style = L"MBR";
    EXPECT_EQ(bootNote(request, true), L"");
    request.boot.bootType = L"ESP";
    EXPECT_EQ(bootNote(request, true), L"");
    request.boot.bootType = L"";
    EXPECT_EQ(bootNote(request, true), L"ACT 무시.");
    request.target.style = L"RAW";
    EXPECT_EQ(bootNote(request, true), L"");
    // No boot location at all on a GPT disk: both remarks, in this order.
    request = gptInstallation();
    request.boot = {};
    EXPECT_EQ(bootNote(request, false), L"부팅 위치 생략(Bcdboot 생략). ESP 무시.");
}

TEST(InstallConfirmation, OnlyUsbAndOtherExternalBusesBringASpeedWarning) {
    ChosenVolume target = gptInstallation().target;
    const std::wstring usbStick = L"\r\n*USB 에서의 설치 속도는 매우 느립니다.";
    const std::wstring external = L"\r\n*외장 디스크는\r\n시스템 환경에 따라 설치 속도가 느려질 수 있습니다.";
    // 7 USB, 12 SD, 13 MMC; a removable drive among them is a stick or card.
    for (const wchar_t* bus : {L"7", L"12", L"13"}) {
        target.bus = bus;
        target.driveType = L"2";
        EXPECT_EQ(externalDiskWarning(target), usbStick) << bus;
        target.driveType = L"3";
        EXPECT_EQ(externalDiskWarning(target), external) << bus;
    }
    // 6 Fibre Channel, 11 SATA, 14 virtual, 17 NVMe, or no bus known: no warning.
    for (const wchar_t* bus : {L"6", L"11", L"14", L"17", L""}) {
        target.bus = bus;
        target.driveType = L"2";
        EXPECT_EQ(externalDiskWarning(target), L"") << bus;
    }
    InstallationRequest request = gptInstallation();
    request.target.bus = L"7";
    request.target.driveType = L"2";
    EXPECT_EQ(confirmationText(request, true),
              L"윈도우 설치를 시작합니다!\r\n이미지 번호 : 1\r\n설치 위치 : E:\r\n부팅 위치 : S:" + usbStick);
}

TEST(InstallConfirmation, OnlyAnAutomaticStartCountsDown) {
    InstallationRequest request = gptInstallation();
    EXPECT_EQ(confirmationCountdown(request), 0);
    request.automatic = true;
    EXPECT_EQ(confirmationCountdown(request), 5);
}

TEST(InstallApplyFlags, CompactIsAskedForOnlyWhereThisWindowsHasIt) {
    InstallOptions options;
    EXPECT_EQ(applyFlags(options, true), 0u);
    options.compact = true;
    EXPECT_EQ(applyFlags(options, false), 0u);
    EXPECT_EQ(applyFlags(options, true), kWimApplyCompact);
    options = {};
    options.verify = true;
    options.wimBoot = true;
    EXPECT_EQ(applyFlags(options, false), kWimApplyVerify | kWimApplyWimBoot);
    // The image file's options are not apply flags.
    options = {};
    options.checkIntegrity = true;
    options.imagingLog = true;
    EXPECT_EQ(applyFlags(options, true), 0u);
}

}  // namespace
}  // namespace halvora
