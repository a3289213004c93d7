// The scripted user's checks: an action waits until the program has dealt with it, and a person
// cannot use what is missing, hidden or disabled, nor choose from a menu that is not open.

#include <gtest/gtest.h>

#include <memory>

#include "platform/sim/toolkit/scripted_user.hpp"
#include "platform/sim/toolkit/sim_toolkit.hpp"
#include "toolkit_fixtures.hpp"
#include "control_literal.hpp"

namespace halvora::sim {

using namespace halvora::testing_names;
namespace {

using toolkit_tests::InterfaceThread;
using toolkit_tests::SimToolkitTree;

class SimUser : public SimToolkitTree {
protected:
    void SetUp() override {
        SimToolkitTree::SetUp();
        ui.setVisible("Main"_c, true);
        ui.addColumn("List"_c, L"A", 10);
        ui.addRow("List"_c, {L"r0"});
        ui.addRow("List"_c, {L"r1"});
        ui.createPopupMenu("Menu"_c, {{1, L"one"}, {0, L""}, {2, L"two"}});
        loop = std::make_unique<InterfaceThread>(ui, [this](const Event& e) {
            // Handled before the action returns: the user waits for idle.
            if (e.kind == EventKind::Control && e.control == "Button"_c) ui.setText("Label"_c, L"clicked");
        });
        user.setWaitTimeout(kDefaultWait);
    }
    void TearDown() override { loop.reset(); }
    Event last() {
        const auto seen = loop->seen();
        return seen.empty() ? Event{} : seen.back().first;
    }

    ScriptedUser user{ui};
    std::unique_ptr<InterfaceThread> loop;
};

TEST_F(SimUser, AClickIsHandledBeforeTheActionReturns) {
    ASSERT_TRUE(user.click("Button")) << user.lastError();
    EXPECT_EQ(ui.text("Label"_c), L"clicked");
    EXPECT_EQ(ui.focused("Main"_c), std::string("Button"));
    const Event e = last();
    EXPECT_EQ(e.kind, EventKind::Control);
    EXPECT_EQ(e.window, "Main"_c);
    EXPECT_EQ(e.control, "Button"_c);
    EXPECT_EQ(e.code, kLeftClick);
}

TEST_F(SimUser, APersonCannotUseWhatIsMissingHiddenOrDisabled) {
    EXPECT_FALSE(user.click("Nothing"));
    EXPECT_NE(user.lastError().find("does not exist"), std::string::npos);
    ui.setEnabled("Button"_c, false);
    EXPECT_FALSE(user.click("Button"));
    EXPECT_NE(user.lastError().find("disabled"), std::string::npos);
    ui.setEnabled("Button"_c, true);
    ui.setEnabled("Main"_c, false);
    EXPECT_FALSE(user.click("Button"));
    EXPECT_NE(user.lastError().find("\"Main\""), std::string::npos) << user.lastError();
    EXPECT_FALSE(user.requestClose("Main"));
    ui.setEnabled("Main"_c, true);
    ui.setVisible("Panel"_c, false);
    EXPECT_FALSE(user.click("Button"));
    EXPECT_NE(user.lastError().find("not visible"), std::string::npos);
    ui.setVisible("Panel"_c, true);
    EXPECT_FALSE(user.click("Label")) << "a plain label reports no clicks";
    EXPECT_FALSE(user.dropFiles("Main", {L"C:\\a.wim"})) << "the window has not asked for dropped files";
    EXPECT_TRUE(loop->seen().empty());
    ui.acceptDroppedFiles("Main"_c);
    ASSERT_TRUE(user.dropFiles("Main", {L"C:\\a.wim"}));
    EXPECT_EQ(last().files, std::vector<std::wstring>{L"C:\\a.wim"});
}

TEST_F(SimUser, ChecksToggleAndSpinsAndRowsCarryTheirValues) {
    ASSERT_TRUE(user.click("Check"));
    EXPECT_TRUE(ui.isChecked("Check"_c));
    ASSERT_TRUE(user.click("Check"));
    EXPECT_FALSE(ui.isChecked("Check"_c));

    ui.setSpinRange("Spin"_c, 1, 4);
    ASSERT_TRUE(user.setSpin("Spin", 3));
    EXPECT_EQ(ui.text("Spin"_c), L"3");
    EXPECT_EQ(last().code, kChange);
    EXPECT_FALSE(user.setSpin("Spin", 5));
    EXPECT_FALSE(user.typeText("Spin", L"1")) << "read-only field";

    ASSERT_TRUE(user.clickRow("List", 1));
    EXPECT_EQ(ui.selectedRow("List"_c), 1);
    EXPECT_EQ(last().row, 1);
    ASSERT_TRUE(user.doubleClickRow("List", 0));
    EXPECT_EQ(last().code, kDoubleClick);
    EXPECT_EQ(last().row, 0);
    ASSERT_TRUE(user.doubleClickEmpty("List"));
    EXPECT_EQ(last().row, -1);
    EXPECT_EQ(ui.selectedRow("List"_c), -1);
    EXPECT_FALSE(user.clickRow("List", 2));
}

TEST_F(SimUser, MenuItemsCanBeChosenOnlyFromAnOpenMenu) {
    EXPECT_FALSE(user.chooseMenuItem("Menu", 1));
    ui.showPopupMenu("Menu"_c, "Main"_c);
    ui.setMenuItemEnabled("Menu"_c, 2, false);
    EXPECT_FALSE(user.chooseMenuItem("Menu", 2));
    EXPECT_FALSE(user.chooseMenuItem("Menu", 0)) << "a separator is no item";
    ASSERT_TRUE(user.chooseMenuItem("Menu", 1)) << user.lastError();
    EXPECT_EQ(last().kind, EventKind::Menu);
    EXPECT_EQ(last().window, "Main"_c);
    EXPECT_EQ(last().code, 1);
    EXPECT_EQ(ui.menuOpenFor("Menu"), "");
    EXPECT_FALSE(user.chooseMenuItem("Menu", 1));
}

}  // namespace
}  // namespace halvora::sim
