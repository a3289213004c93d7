// Command lines that ask for things that cannot go together, or say one thing twice.

#include "app/command_line.hpp"
#include "base/utf.hpp"
#include "install_session.hpp"
#include "ui/main_window_layout.hpp"

namespace halvora::scenario {
namespace {

TEST(CommandLineConflicts, CompactWithWimBootStartsNothingAndSaysWhy) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m, "D/sources/install.wim", wimBootImage());
    auto machine = m.machine();
    ProgramRun run(machine, installArguments({L"/Compact", L"/WIMboot", L"/ApplyStart"}));
    run.start();
    auto& ui = run.ui();
    // The image allows WIMBoot, so only the conflict keeps it from being marked.
    ASSERT_TRUE(ui.isMenuItemEnabled(controls::OptionsMenu, kMenuWimBoot));
    EXPECT_FALSE(ui.isMenuItemChecked(controls::OptionsMenu, kMenuWimBoot));
    EXPECT_EQ(ui.statusText(controls::StatusBar, kStatusMessageField), kCompactWithWimBootText);
    ASSERT_TRUE(run.user().advance(10000));
    EXPECT_FALSE(ui.isWindow("MessageBox")) << "no confirmation: nothing starts by itself";
    EXPECT_TRUE(callsContaining(*machine, L"WIMApplyImage").empty());
    expectIdle(run);
}

TEST(CommandLineConflicts, WimBootAloneStillReplacesCompactFromTheMenu) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m, "D/sources/install.wim", wimBootImage());
    ProgramRun run(m.machine(), installArguments({L"/WIMboot"}));
    run.start();
    EXPECT_TRUE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuWimBoot));
    EXPECT_NE(run.ui().statusText(controls::StatusBar, kStatusMessageField), kCompactWithWimBootText);

    // Compact marked in the menu afterwards, and WIMBoot asked for again by a second start.
    ASSERT_TRUE(run.user().click("OptionsButton")) << run.user().lastError();
    ASSERT_TRUE(run.user().chooseMenuItem(controls::OptionsMenu, kMenuCompact)) << run.user().lastError();
    ASSERT_TRUE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuCompact));
    ASSERT_FALSE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuWimBoot));
    const std::u16string handOver = u"/WIMboot|";
    EXPECT_EQ(run.user().sendCopyData(run.ui().text(controls::MainWindow), handOver.c_str(),
                                      static_cast<std::uint32_t>((handOver.size() + 1) * 2)),
              1);
    ASSERT_TRUE(run.user().waitIdle());
    EXPECT_TRUE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuWimBoot));
    EXPECT_FALSE(run.ui().isMenuItemChecked(controls::OptionsMenu, kMenuCompact));
    EXPECT_EQ(run.ui().text(controls::OptionSummaryLabel), L" WIMboot");
}

TEST(CommandLineRepeats, EveryApplyDriveIsSelectedInTurn) {
    SimMachineFixture m;
    m.description().merge_patch(installMachine(m));
    writeInstallImage(m);
    struct Case {
        std::vector<std::wstring> arguments;
        std::wstring chosen;
    };
    // A later drive that is listed wins; one that is not leaves the earlier choice in place.
    for (const Case& c :
         {Case{{L"/ApplyDrv:C:", L"/ApplyDrv:E:"}, L"E:"}, Case{{L"/ApplyDrv:E:", L"/ApplyDrv:Z:"}, L"E:"},
          Case{{L"/ApplyDrv:E:", L"/ApplyDrv:C:"}, L"C:"}}) {
        SCOPED_TRACE(toUtf8(c.arguments.back()));
        ProgramRun run(m.machine(), c.arguments);
        run.start();
        EXPECT_EQ(run.ui().cell(controls::TargetRow, 0, 0), c.chosen);
    }
}

}  // namespace
}  // namespace halvora::scenario
