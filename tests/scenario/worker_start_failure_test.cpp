// A machine that cannot make another thread (CreateThread fails with 8, out of resources): each
// job that needs a worker says so and leaves the window ready for the next try.

#include "install_session.hpp"

namespace halvora::scenario {
namespace {

constexpr std::uint32_t kNotEnoughMemory = 8;

class WorkerStartFailure : public ::testing::Test {
protected:
    void SetUp() override {
        m_.description().merge_patch(installMachine(m_));
        m_.description()["threadStartError"] = kNotEnoughMemory;
        writeInstallImage(m_);
        m_.writeHostFile("E/Windows/Boot/EFI/bootmgfw.efi", "MZ boot manager efi");
        machine_ = m_.machine();
    }

    SimMachineFixture m_;
    std::shared_ptr<sim::SimMachine> machine_;
};

TEST_F(WorkerStartFailure, AnInstallationThatGetsNoApplyWorkerClosesTheImageAndIsReadyAgain) {
    ProgramRun run(machine_, installArguments());
    StatusLog status(run);
    run.start();
    startInstallation(run);
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), L"WimApply 쓰레드 생성 오류 발생: 8");
    EXPECT_TRUE(status.showed(L"진행... ")) << "the status was readied before the start was tried";
    expectIdle(run);
    EXPECT_FALSE(run.program().state.ApplyWorkerAlive.load());
    EXPECT_EQ(run.program().state.ImageHandle.load(), 0u);
    EXPECT_EQ(run.program().state.ImageFileHandle.load(), 0u);
    EXPECT_EQ(callsContaining(*machine_, L"CreateThread"), (std::vector<std::wstring>{L"CreateThread -> error 8"}));
    EXPECT_TRUE(callsContaining(*machine_, L"WIMApplyImage").empty());
    const auto calls = machine_->calls();
    const auto failed = std::find(calls.begin(), calls.end(), L"CreateThread -> error 8");
    const auto closedAfter = std::count_if(
        failed, calls.end(), [](const std::wstring& call) { return call.rfind(L"WIMCloseHandle", 0) == 0; });
    EXPECT_EQ(closedAfter, 2) << "the image and its file";
}

TEST_F(WorkerStartFailure, ABootRepairThatGetsNoWorkerReportsTheCodeInItsResultBox) {
    ProgramRun run(machine_, {L"/ApplyDrv:E:"});
    StatusLog status(run);
    run.start();
    ASSERT_TRUE(run.user().click("BootRepairButton"));
    EXPECT_EQ(answerBox(run, "Yes").text, L"부팅 설정 복구를 시작합니다!");
    const SeenBox result = answerBox(run, "Ok");
    EXPECT_EQ(result.title, L"주 의");
    EXPECT_EQ(result.text, L"BCDBOOT 오류 발생!\r\n*BCDBOOT 실행 오류: 8. ");
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(status.showed(L"BCDBOOT 쓰레드 생성 오류 발생: 8"));
    expectIdle(run);
    EXPECT_FALSE(run.program().state.BootWorkerAlive.load());
    EXPECT_TRUE(callsContaining(*machine_, L"CreateProcessW").empty());
}

TEST_F(WorkerStartFailure, ASearchThatGetsNoWorkerLeavesThePanelUsable) {
    ProgramRun run(machine_, {});
    run.start();
    ASSERT_TRUE(run.user().click("SearchButton"));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_FALSE(run.program().state.SearchWorkerAlive.load());
    EXPECT_EQ(run.ui().statusText(controls::StatusBar, 3), L"검색 쓰레드 생성 오류 발생: 8");
    ASSERT_TRUE(run.user().click("SearchAgainButton")) << "no worker is alive, so it may be tried again";
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_EQ(callsContaining(*machine_, L"CreateThread").size(), 2u);
    ASSERT_TRUE(run.user().click("SearchBackButton"));
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(run.ui().isVisible(controls::MainPanel));
    expectIdle(run);
}

}  // namespace
}  // namespace halvora::scenario
