// The simulated machine's GetDateFormatW and GetTimeFormatW: its locale's short date and time,
// the time flags, the buffer size and invalid times.

#include <gtest/gtest.h>

#include "sim_session.hpp"

namespace halvora::scenario {
namespace {

SystemTime at(int year, int month, int day, int hour, int minute, int second) {
    SystemTime t;
    t.year = static_cast<std::uint16_t>(year);
    t.month = static_cast<std::uint16_t>(month);
    t.day = static_cast<std::uint16_t>(day);
    t.hour = static_cast<std::uint16_t>(hour);
    t.minute = static_cast<std::uint16_t>(minute);
    t.second = static_cast<std::uint16_t>(second);
    return t;
}

const SystemTime kAfternoon = at(2024, 5, 7, 13, 45, 30);
const SystemTime kMorning = at(2024, 5, 7, 9, 5, 7);

class LocaleFormat : public ::testing::Test {
protected:
    sim::SimSystem& on(const std::string& locale) {
        machines_.push_back(std::make_unique<SimMachineFixture>(json{{"localeName", locale}}));
        systems_.push_back(std::make_unique<sim::SimSystem>(machines_.back()->machine()));
        return *systems_.back();
    }
    std::vector<std::unique_ptr<SimMachineFixture>> machines_;
    std::vector<std::unique_ptr<sim::SimSystem>> systems_;
};

TEST_F(LocaleFormat, KoreanMachineFormatsDateAndTimeWithItsMarkers) {
    auto& system = on("ko-KR");
    EXPECT_EQ(system.formatDate(kLocaleUserDefault, 0, kAfternoon, 64), L"2024-05-07");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0, kAfternoon, 64), L"오후 1:45:30");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0, kMorning, 64), L"오전 9:05:07");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, kTimeNoSeconds, kAfternoon, 64), L"오후 1:45");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, kTimeForce24Hour, kAfternoon, 64), L"13:45:30");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0x4 | kTimeForce24Hour, kAfternoon, 64), L"13:45:30");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0x4, kAfternoon, 64), L"1:45:30");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, kTimeNoSeconds | kTimeForce24Hour, kAfternoon, 64), L"13:45");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, kTimeNoSeconds | kTimeForce24Hour, kMorning, 64), L"9:05");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0, at(2024, 1, 1, 0, 0, 0), 64), L"오전 12:00:00");
    // An explicit LCID wins over the machine's locale.
    EXPECT_EQ(system.formatDate(0x409, 0, kAfternoon, 64), L"5/7/2024");
    EXPECT_EQ(system.formatDate(0x412, 0, kAfternoon, 64), L"2024-05-07");
    EXPECT_EQ(system.formatDate(0x12345, 0, kAfternoon, 64), std::nullopt);
}

TEST_F(LocaleFormat, OtherLocalesUseTheirOwnPatterns) {
    auto& us = on("en-US");
    EXPECT_EQ(us.formatDate(kLocaleUserDefault, 0, kAfternoon, 64), L"5/7/2024");
    EXPECT_EQ(us.formatTime(kLocaleUserDefault, 0, kAfternoon, 64), L"1:45:30 PM");
    EXPECT_EQ(us.formatTime(kLocaleUserDefault, kTimeNoSeconds, kMorning, 64), L"9:05 AM");
    EXPECT_EQ(us.formatTime(kLocaleUserDefault, kTimeForce24Hour | kTimeNoSeconds, kAfternoon, 64), L"13:45");
    EXPECT_EQ(us.formatTime(kLocaleUserDefault, 0, at(2024, 1, 1, 12, 0, 0), 64), L"12:00:00 PM");

    EXPECT_EQ(on("en-GB").formatDate(kLocaleUserDefault, 0, kMorning, 64), L"07/05/2024");
    EXPECT_EQ(on("en-GB").formatTime(kLocaleUserDefault, 0, kMorning, 64), L"09:05:07");
    EXPECT_EQ(on("de-DE").formatDate(kLocaleUserDefault, 0, kMorning, 64), L"07.05.2024");
    EXPECT_EQ(on("de-DE").formatTime(kLocaleUserDefault, kTimeNoSeconds, kAfternoon, 64), L"13:45");
    EXPECT_EQ(on("ja-JP").formatDate(kLocaleUserDefault, 0, kMorning, 64), L"2024/05/07");
    EXPECT_EQ(on("ja-JP").formatTime(kLocaleUserDefault, 0, kMorning, 64), L"9:05:07");
    EXPECT_EQ(on("fr-FR").formatDate(kLocaleUserDefault, 0, kMorning, 64), L"5/7/2024");
}

TEST_F(LocaleFormat, FailsWhenTheTextAndItsNulDoNotFit) {
    auto& system = on("ko-KR");
    EXPECT_EQ(system.formatDate(kLocaleUserDefault, 0, kAfternoon, 11), L"2024-05-07");
    EXPECT_EQ(system.formatDate(kLocaleUserDefault, 0, kAfternoon, 10), std::nullopt);
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, kTimeNoSeconds | kTimeForce24Hour, kAfternoon, 6), L"13:45");
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, kTimeNoSeconds | kTimeForce24Hour, kAfternoon, 5), std::nullopt);
    EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0, kAfternoon, 0), std::nullopt);
}

TEST_F(LocaleFormat, InvalidDatesAndTimesFail) {
    auto& system = on("ko-KR");
    for (const auto& bad : {at(2024, 0, 7, 1, 0, 0), at(2024, 13, 7, 1, 0, 0), at(2024, 5, 32, 1, 0, 0),
                            at(2024, 5, 0, 1, 0, 0), at(2023, 2, 29, 1, 0, 0), at(2024, 4, 31, 1, 0, 0)}) {
        EXPECT_EQ(system.formatDate(kLocaleUserDefault, 0, bad, 64), std::nullopt)
            << bad.year << "-" << bad.month << "-" << bad.day;
    }
    EXPECT_EQ(system.formatDate(kLocaleUserDefault, 0, at(2024, 2, 29, 1, 0, 0), 64), L"2024-02-29");
    for (const auto& bad : {at(2024, 5, 7, 24, 0, 0), at(2024, 5, 7, 1, 60, 0), at(2024, 5, 7, 1, 0, 60)}) {
        EXPECT_EQ(system.formatTime(kLocaleUserDefault, 0, bad, 64), std::nullopt)
            << bad.hour << ":" << bad.minute << ":" << bad.second;
    }
}

}  // namespace
}  // namespace halvora::scenario
