// The box that ends an installation, the summary or the error, must not open behind a window
// that the person sent to the taskbar while the image applied: the window comes back first.

#include <mutex>

#include "base/utf.hpp"
#include "install_session.hpp"

namespace halvora::scenario {
namespace {

struct BoxOpening {
    std::wstring title;
    bool ownerMinimised = false;
};

TEST(MinimisedWindow, IsRestoredBeforeTheSummaryAndBeforeTheErrorBox) {
    const struct {
        bool applyFails;
        const wchar_t* box;
    } cases[] = {
        {false, L"알 림!"},
        {true, L"에 러"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(toUtf8(c.box));
        SimMachineFixture m;
        m.description().merge_patch(installMachine(m));
        if (c.applyFails) m.description()["readOnly"] = json::array({"E:\\"});
        writeInstallImage(m);
        auto machine = m.machine();
        machine->holdApplies(true);
        ProgramRun run(machine, installArguments());
        auto& ui = run.ui();
        // Whether the main window was minimised at the moment each box appeared.
        std::mutex mutex;
        std::vector<BoxOpening> openings;
        ui.setScreenObserver([&](const sim::SimScreenChange& change) {
            if (change.kind != sim::SimScreenChange::Kind::WindowShown || change.name != "MessageBox") return;
            BoxOpening opening{ui.text(controls::MessageBox), ui.isMinimised(controls::MainWindow)};
            std::lock_guard lock(mutex);
            openings.push_back(opening);
        });
        run.start();
        startInstallation(run);
        ASSERT_TRUE(machine->waitApplyHeld(sim::kDefaultWait));
        ui.setMinimised("MainWindow", true);
        machine->releaseApply();

        EXPECT_EQ(waitBox(run, c.box).title, c.box);
        {
            std::lock_guard lock(mutex);
            ASSERT_EQ(openings.size(), 2u);
            EXPECT_EQ(openings[1].title, c.box);
            EXPECT_FALSE(openings[1].ownerMinimised) << "the box opened over a minimised window";
        }
        EXPECT_FALSE(ui.isMinimised(controls::MainWindow));
        ASSERT_TRUE(run.user().click("MessageBoxOk"));
        ASSERT_TRUE(run.user().waitIdle());
        expectIdle(run);
    }
}

}  // namespace
}  // namespace halvora::scenario
