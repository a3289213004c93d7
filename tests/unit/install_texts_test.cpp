// The texts and names the installation builds from plain values.

#include <gtest/gtest.h>

#include "install/apply_progress.hpp"
#include "install/boot_config.hpp"
#include "install/oem_placement.hpp"

namespace halvora {
namespace {

TEST(RemainingTime, ShowsMinutesAndSecondsOnlyForAKnownTime) {
    EXPECT_EQ(remainingTimeText(125000), L"남은 시간: 2분 5초");
    EXPECT_EQ(remainingTimeText(999), L"남은 시간: 0분 0초");
    EXPECT_EQ(remainingTimeText(0), L"남은 시간: ");
    EXPECT_EQ(remainingTimeText(-5000), L"남은 시간: ");
    EXPECT_EQ(remainingTimeText(3723000), L"남은 시간: 62분 3초");
}

TEST(BcdbootArguments, ShortLocaleAndFirmwareTextsAreLeftOut) {
    BootJob job{L"D:", L"S:", L"ko-KR", L"ALL", false, false};
    EXPECT_EQ(bcdbootArguments(job), L"D:\\Windows /l ko-KR /s S: /f ALL");
    job.firmware = L"UEFI";
    job.keepDefaultEntry = true;
    EXPECT_EQ(bcdbootArguments(job), L"D:\\Windows /l ko-KR /s S: /f UEFI /d");
    job.locale = L"xx";
    job.firmware = L"";
    job.keepDefaultEntry = false;
    EXPECT_EQ(bcdbootArguments(job), L"D:\\Windows /s S:");
    job.locale = L"abc";  // three characters are not a locale name
    EXPECT_EQ(bcdbootArguments(job), L"D:\\Windows /s S:");
}

// A chosen customisation that did not land must not read as one that was never asked for.
TEST(CustomisationSummary, AChosenOneThatFailedKeepsItsLineWithWhatWasLeftOut) {
    EXPECT_EQ(oemSummaryLine(false, {}), L"");
    EXPECT_EQ(oemSummaryLine(true, {3, 3}), L"$OEM$: 3.");
    EXPECT_EQ(oemSummaryLine(true, {1, 1}), L"$OEM$: 1.");
    EXPECT_EQ(oemSummaryLine(true, {2, 3}), L"$OEM$: 2/3.");
    EXPECT_EQ(oemSummaryLine(true, {0, 1}), L"$OEM$: 0/1.");
    EXPECT_EQ(oemSummaryLine(true, {0, 0}), L"$OEM$: 0.");  // gone, or holding none of the three
    EXPECT_EQ(answerFileSummaryLine(false, 0), L"");
    EXPECT_EQ(answerFileSummaryLine(true, 1), L"XML: 1.");
    EXPECT_EQ(answerFileSummaryLine(true, 0), L"XML: 0.");
}

TEST(BootResult, EachOutcomeHasItsLine) {
    EXPECT_EQ(bootResultText(kBootRan, 0), L"BCDBOOT 성공.");
    EXPECT_EQ(bootResultText(kBootNotRun, 0), L"BCDBOOT 성공.");
    EXPECT_EQ(bootResultText(kBootRan, 193), L"*BCDBOOT 부팅 파일 복사 오류: 193.");
    EXPECT_EQ(bootResultText(kBootRan, 87), L"*BCDBOOT 오류: 87.");
    EXPECT_EQ(bootResultText(kBootRan, -1), L"*BCDBOOT 오류: -1.");
    EXPECT_EQ(bootResultText(kBootNotRun, 2), L"*BCDBOOT 실행 파일 오류.");
    EXPECT_EQ(bootResultText(kBootNotRun, 3), L"*부팅 위치 생략.");
    EXPECT_EQ(bootResultText(kBootNotRun, 87), L"*Windows 시스템 루트 설정을 확인 하십시오.");
    EXPECT_EQ(bootResultText(kBootNotRun, 5), L"*BCDBOOT 실행 오류: 5.");
}

}  // namespace
}  // namespace halvora
