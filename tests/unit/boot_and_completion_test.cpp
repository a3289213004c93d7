// The boot configuration, the boot repair and the end of an installation, decided from the
// requests and the results alone.

#include <gtest/gtest.h>

#include "install/after_action_choice.hpp"
#include "install/boot_config.hpp"
#include "install/completion.hpp"
#include "install/installation_request.hpp"
#include "ui/message_box.hpp"

namespace halvora {
namespace {

const std::wstring kNoBootLocationText = L"부팅 위치가 지정되어야 합니다.";
const std::wstring kNoInstallLocationText = L"설치 위치가 지정되어야 합니다.";
const std::wstring kNoWindowsText = L"윈도우가 설치 위치에 정상적으로 설치 되어 있어야 합니다.";
const std::wstring kNotBootPartitionText = L"부팅 위치가 ESP 혹은 ACT 가 아닙니다.";

// The Windows on E: of disk 1, its boot files on that disk's ESP S:.
BootRepairRequest espRepair() {
    BootRepairRequest request;
    request.target = {L"E:", L"1", L"GPT", L"", 5000, L"3", L"11"};
    request.boot = {L"S:", L"1", L"GPT", L"ESP", 90000, L"3", L"11"};
    request.bootSettings = {L"ko-KR", L"UEFI", false};
    return request;
}

TEST(BootJobFromRequests, BcdbootIsToldTheInstalledWindowsTheBootVolumeAndTheSettings) {
    InstallationRequest installation;
    installation.target.drive = L"E:";
    installation.boot.drive = L"S:";
    installation.bootSettings = {L"ko-KR", L"UEFI", true};
    const BootJob job = bootJobFor(installation);
    EXPECT_FALSE(job.repair);
    EXPECT_EQ(bcdbootArguments(job), L"E:\\Windows /l ko-KR /s S: /f UEFI /d");

    BootRepairRequest repair = espRepair();
    repair.target.drive = L"F:";
    repair.bootSettings = {L"", L"BIOS", false};
    const BootJob repairJob = bootJobFor(repair);
    EXPECT_TRUE(repairJob.repair);
    EXPECT_EQ(bcdbootArguments(repairJob), L"F:\\Windows /s S: /f BIOS");
}

TEST(OldBiosStore, OnlyAnInstallationWritingBiosFilesOntoItsOwnVolumeStartsFromAnEmptyStore) {
    BootJob job{L"C:", L"C:", L"", L"BIOS", false, false};
    EXPECT_TRUE(replacesOldBiosStore(job));
    job.firmware = L"bios";
    EXPECT_TRUE(replacesOldBiosStore(job)) << "the firmware list's text is compared in any case";
    job.firmware = L"ALL";
    EXPECT_TRUE(replacesOldBiosStore(job));
    job.firmware = L"UEFI";
    EXPECT_FALSE(replacesOldBiosStore(job));
    job.firmware = L"";
    EXPECT_FALSE(replacesOldBiosStore(job));

    job.firmware = L"BIOS";
    job.keepDefaultEntry = true;
    EXPECT_FALSE(replacesOldBiosStore(job)) << "the earlier entries are to be kept";
    job.keepDefaultEntry = false;
    job.repair = true;
    EXPECT_FALSE(replacesOldBiosStore(job)) << "a repair keeps the store it repairs";
    job.repair = false;
    job.boot = L"S:";
    EXPECT_FALSE(replacesOldBiosStore(job)) << "the store on the install volume is not the one written";
}

TEST(BootRepairChecks, EachMissingPieceIsReportedInTurn) {
    BootRepairRequest request = espRepair();
    EXPECT_EQ(bootRepairRefusal(request, true, true), L"");
    EXPECT_EQ(bootRepairRefusal(request, true, false), kNoWindowsText);
    EXPECT_EQ(bootRepairRefusal(request, false, false), kNoBootLocationText);
    request.target.drive = L"E";  // a letter without its colon is no install location
    EXPECT_EQ(bootRepairRefusal(request, true, true), kNoInstallLocationText);
    request.target.drive.clear();
    EXPECT_EQ(bootRepairRefusal(request, true, true), kNoInstallLocationText);
    request.boot.drive.clear();
    EXPECT_EQ(bootRepairRefusal(request, true, true), kNoBootLocationText);
}

TEST(BootRepairChecks, OnlyAnEspOrAnActivePartitionIsABootLocation) {
    BootRepairRequest request = espRepair();
    request.boot.bootType = L"ACT";
    EXPECT_EQ(bootRepairRefusal(request, true, true), L"");
    for (const wchar_t* type : {L"", L"esp", L"MBR"}) {
        request.boot.bootType = type;
        EXPECT_EQ(bootRepairRefusal(request, true, true), kNotBootPartitionText) << type;
    }
}

TEST(BootRepairChecks, TheRunningSystemsDiskIsTheSystemDriveOnTheBootLocationsDisk) {
    BootRepairRequest request = espRepair();
    EXPECT_FALSE(repairsRunningSystemDisk(request, L"C:"));
    EXPECT_TRUE(repairsRunningSystemDisk(request, L"e:"));
    request.boot.disk = L"2";
    EXPECT_FALSE(repairsRunningSystemDisk(request, L"E:")) << "the boot location is on another disk";
}

TEST(CompletionOutcome, ReadyGoesBackToIdleAndEveryOtherChoiceEndsTheProgram) {
    for (const std::int64_t boot : {0LL, 193LL}) {
        const CompletionOutcome idle = completionOutcome(kAfterReady, boot, 5);
        EXPECT_FALSE(idle.quit);
        EXPECT_EQ(idle.exitCode, 0);
    }
    for (const int action : {kAfterShutdown, kAfterReboot, kAfterFinish}) {
        const CompletionOutcome end = completionOutcome(action, 0, 0);
        EXPECT_TRUE(end.quit) << action;
        EXPECT_EQ(end.exitCode, 0) << action;
    }
}

TEST(CompletionOutcome, AFailedBootConfigurationIsTheExitCodeUnlessAnEarlierErrorIs) {
    EXPECT_EQ(completionOutcome(kAfterFinish, 193, 0).exitCode, 193);
    EXPECT_EQ(completionOutcome(kAfterFinish, -1, 0).exitCode, -1);
    EXPECT_EQ(completionOutcome(kAfterFinish, 193, 32).exitCode, 32);
    EXPECT_EQ(completionOutcome(kAfterFinish, 0, 32).exitCode, 32);
}

TEST(AfterInstallBox, EachChoiceAsksItsOwnQuestionAndAFailedBootWarnsLonger) {
    const AfterInstallBox shutdown = afterInstallBox(kAfterShutdown, 0);
    EXPECT_EQ(std::wstring(shutdown.title), L"시스템을 종료 합니다!");
    EXPECT_EQ(shutdown.buttons, kButtonsYesNo);
    EXPECT_EQ(shutdown.countdownSeconds, 7);
    EXPECT_EQ(shutdown.icon, kIconShutdown);
    EXPECT_EQ(std::wstring(afterInstallBox(kAfterReboot, 0).title), L"시스템을 다시 시작 합니다!");
    const AfterInstallBox finish = afterInstallBox(kAfterFinish, 0);
    EXPECT_EQ(finish.countdownSeconds, 5);
    EXPECT_EQ(finish.icon, kIconInformation);

    const AfterInstallBox failedShutdown = afterInstallBox(kAfterShutdown, 193);
    EXPECT_EQ(failedShutdown.countdownSeconds, 12);
    EXPECT_EQ(failedShutdown.icon, kIconWarning);
    EXPECT_EQ(afterInstallBox(kAfterFinish, 2).countdownSeconds, 10);
}

TEST(AfterInstallBox, StayingReadyOnlyInformsAndNeverCountsDown) {
    for (const int choice : {static_cast<int>(kAfterReady), -1, 4}) {
        for (const std::int64_t boot : {0LL, 87LL}) {
            const AfterInstallBox box = afterInstallBox(choice, boot);
            EXPECT_EQ(std::wstring(box.title), L"알 림!") << choice;
            EXPECT_EQ(box.buttons, kButtonsOk) << choice;
            EXPECT_EQ(box.countdownSeconds, 0) << choice << " " << boot;
            EXPECT_EQ(box.icon, boot == 0 ? kIconInformation : kIconWarning) << choice;
        }
    }
}

TEST(AfterInstallAction, OnlyAYesToAnActualChoiceCarriesItOut) {
    for (const int choice : {kAfterShutdown, kAfterReboot, kAfterFinish}) {
        EXPECT_EQ(afterActionFor(choice, kResultYes), choice);
        EXPECT_EQ(afterActionFor(choice, kResultNo), kAfterReady);
        EXPECT_EQ(afterActionFor(choice, kResultCancel), kAfterReady);
    }
    // An Ok box answers 0; no list entry outside the three is an action.
    EXPECT_EQ(afterActionFor(kAfterReady, kResultOk), kAfterReady);
    EXPECT_EQ(afterActionFor(-1, kResultYes), kAfterReady);
    EXPECT_EQ(afterActionFor(4, kResultYes), kAfterReady);
}

}  // namespace
}  // namespace halvora
