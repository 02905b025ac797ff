// The cash drawer panel and the health checks through the models: the
// capability report, the wait for the closing and its refusal, and the
// check-health reports run from the device menu.
#include <gmock/gmock.h>

#include "form_fixture.h"

namespace trellup::testing {
namespace {

using ::testing::ElementsAre;

class CashDrawerPanelTest : public FormTest {
protected:
    frmMain& LoadDrawer() {
        AddDevice("CashDrawer", "NVCD1");
        AddDevice("MSR", "M1", "OposBench.MSR");
        AddDevice("Scale", "S1", "Other.Scale");
        Load();
        form->TreeView1.SetHitTest([this](int, int) { return hit_; });
        return *form;
    }
    // Right-clicks the device and picks a menu entry.
    void Menu(const std::string& device, const std::string& cls, const char* entry) {
        hit_ = Node(device, cls);
        shell.choose = entry;
        form->TreeView1_MouseUp(2, 0, 5, 5);
    }

    int hit_ = TreeViewModel::kNone;
};

TEST_F(CashDrawerPanelTest, CapabilityReportShowsTheFourValues) {
    frmMain& f = LoadDrawer();
    Click("NVCD1", "CashDrawer");
    struct Case {
        bool status, multi, statistics;
        int32_t power;
        const char* text;
    };
    const Case cases[] = {
        {true, false, true, 1,
         "\n\nCapStatus\t\t\t: True\n\nCapStatusMultiDrawerDetect\t: False\n\nCapStatisticsReporting\t: True"
         "\n\nCapPowerReporting\t\t: Standard\t\t"},
        {false, true, false, 2,
         "\n\nCapStatus\t\t\t: False\n\nCapStatusMultiDrawerDetect\t: True\n\nCapStatisticsReporting\t: False"
         "\n\nCapPowerReporting\t\t: Advanced\t\t"},
        {true, true, true, 7,
         "\n\nCapStatus\t\t\t: True\n\nCapStatusMultiDrawerDetect\t: True\n\nCapStatisticsReporting\t: True"
         "\n\nCapPowerReporting\t\t: \t\t"},
    };
    auto& co = Co("CashDrawer");
    const auto log = Log();
    for (const Case& c : cases) {
        co.properties["CapStatus"] = OposValue::Bool(c.status);
        co.properties["CapStatusMultiDrawerDetect"] = OposValue::Bool(c.multi);
        co.properties["CapStatisticsReporting"] = OposValue::Bool(c.statistics);
        co.properties["CapPowerReporting"] = OposValue::Long(c.power);
        f.cmdCashDrawerCap_Click();
        ASSERT_FALSE(shell.boxes.empty());
        EXPECT_EQ(shell.boxes.back().text, c.text);
        EXPECT_EQ(shell.boxes.back().style, mb::kOk | mb::kIconInformation);
        EXPECT_EQ(shell.boxes.back().caption, "Cash Drawer Capability");
    }
    EXPECT_EQ(Log(), log);
}

TEST_F(CashDrawerPanelTest, WaitDrawerCloseRunsOnlyOnAClaimedEnabledDrawerWithTheWindowBlocked) {
    frmMain& f = LoadDrawer();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    const std::string ready_text =
        "Please open cash drawer then press OK.\nIf you not close the cash drawer more then 10 sec,\n"
        "You will heart the alarm until you close the cash drawer.";
    struct Case {
        bool claimed, enabled;
        bool ready;
    };
    for (const Case& c : {Case{false, false, false}, Case{true, false, false}, Case{false, true, false},
                          Case{true, true, true}}) {
        SCOPED_TRACE(std::to_string(c.claimed) + std::to_string(c.enabled));
        co.properties["Claimed"] = OposValue::Bool(c.claimed);
        co.properties["DeviceEnabled"] = OposValue::Bool(c.enabled);
        f.m_ResultCode = -77;
        shell.boxes.clear();
        const auto log = Log();
        bool blocked = false;
        co.During("WaitForDrawerClose", [&] { blocked = !f.Form.Enabled(); });
        const size_t mark = factory.journal.size();
        f.cmdWaitCashDrawerClose_Click();
        const auto calls = JournalFrom(mark);
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 2),
                    ElementsAre("CashDrawer.Get Claimed", "CashDrawer.Get DeviceEnabled"));
        if (!c.ready) {
            EXPECT_EQ(shell.boxes[0].text, "Device not ready !");
            EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconStop);
            EXPECT_EQ(shell.boxes[0].caption, "Error");
            EXPECT_EQ(calls.size(), 2u);
            EXPECT_EQ(f.m_ResultCode, -77);
            EXPECT_EQ(Log(), log);
            continue;
        }
        EXPECT_EQ(shell.boxes[0].text, ready_text);
        EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconInformation);
        EXPECT_EQ(shell.boxes[0].caption, "Message");
        EXPECT_EQ(calls[2], "CashDrawer.Call WaitForDrawerClose(10000,1000,1000,2000)");
        EXPECT_TRUE(blocked);
        EXPECT_TRUE(f.Form.Enabled());
        EXPECT_EQ(Log().back(), "WaitDrawerClose : [0] Success");
    }
}

// The three levels from the device menu, on the right-clicked node, with
// the report's exact columns, whatever the earlier steps returned.
TEST_F(CashDrawerPanelTest, CheckHealthReportsEveryStepOfTheRightClickedDevice) {
    frmMain& f = LoadDrawer();
    Click("NVCD1", "CashDrawer");
    auto& drawer = Co("CashDrawer");
    f.cmdOpen_Click();  // open from the life-cycle buttons: the check's Open meets an open object
    struct Case {
        const char* entry;
        const char* device;
        const char* cls;
        int32_t open, claim, enable, check, close;
        const char* caption;
        const char* report;
    };
    const Case cases[] = {
        {"Menu_Check_Health_Internal", "NVCD1", "CashDrawer", 0, 0, 0, 0, 0, "CashDrawer CheckHealth Internal",
         "Device Name  : NVCD1\t\t\n\nOpen Device   : Success  (0)\nClaim Device  : Success  (0)\n"
         "Enable Device : Success  (0)\nCheck Health  : Success  (0)\nClose Device   : Success  (0)"},
        {"Menu_Check_Health_External", "NVCD1", "CashDrawer", 106, 0, 0, 111, 0, "CashDrawer CheckHealth External",
         "Device Name  : NVCD1\t\t\n\nOpen Device   : Illegal  (106)\nClaim Device  : Success  (0)\n"
         "Enable Device : Success  (0)\nCheck Health  : Device failure  (111)\nClose Device   : Success  (0)"},
        {"Menu_Check_Health_Interactive", "M1", "MSR", 109, 101, 101, 101, 101, "MSR CheckHealth Interactive",
         "Device Name  : M1\t\t\n\nOpen Device   : Device not exist  (109)\nClaim Device  : Device closed  (101)\n"
         "Enable Device : Device closed  (101)\nCheck Health  : Device closed  (101)\n"
         "Close Device   : Device closed  (101)"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.entry);
        auto& co = Co(c.cls);
        co.results = {{"Open", c.open}, {"ClaimDevice", c.claim}, {"CheckHealth", c.check}, {"Close", c.close}};
        co.properties["ResultCode"] = OposValue::Long(c.enable);
        const auto log = Log();
        const size_t mark = factory.journal.size();
        Menu(c.device, c.cls, c.entry);
        const std::string p = std::string(c.cls) + ".";
        const int level = c.entry == std::string("Menu_Check_Health_Internal")   ? 1
                          : c.entry == std::string("Menu_Check_Health_External") ? 2
                                                                                 : 3;
        EXPECT_THAT(JournalFrom(mark),
                    ElementsAre(p + "Call Open(" + c.device + ")", p + "Call ClaimDevice(100)",
                                p + "Put DeviceEnabled=True", p + "Get ResultCode",
                                p + "Call CheckHealth(" + std::to_string(level) + ")", p + "Call Close()"));
        ASSERT_FALSE(shell.boxes.empty());
        EXPECT_EQ(shell.boxes.back().text, c.report);
        EXPECT_EQ(shell.boxes.back().caption, c.caption);
        EXPECT_EQ(shell.boxes.back().style, mb::kOk | mb::kIconInformation);
        EXPECT_EQ(Log(), log);  // no line, no refresh
        EXPECT_EQ(f.m_Device, &co);
        EXPECT_EQ(f.m_ResultCode, c.close);
    }
    // The MSR object stays the device: the next life-cycle button acts on
    // it, and the refresh after its line sets the selected class's back.
    const size_t mark = factory.journal.size();
    f.cmdClaim_Click();
    EXPECT_EQ(JournalFrom(mark).front(), "MSR.Call ClaimDevice(1000)");
    EXPECT_EQ(Log().back(), "Claim : [101] Device closed");
    EXPECT_EQ(f.m_Device, &drawer);
}

TEST_F(CashDrawerPanelTest, CheckHealthOfAnUnknownClassBeforeAnySelectionOnlyTellsWhy) {
    frmMain& f = LoadDrawer();
    const size_t mark = factory.journal.size();
    Menu("S1", "Scale", "Menu_Check_Health_Internal");
    EXPECT_TRUE(JournalFrom(mark).empty());
    ASSERT_EQ(shell.boxes.size(), 1u);
    EXPECT_EQ(shell.boxes[0].text, "No control object serves the class \"Scale\".");
    EXPECT_EQ(shell.boxes[0].caption, "Scale CheckHealth Internal");
    EXPECT_EQ(f.m_Device, nullptr);
    // Once a device of a known class was selected, its object serves.
    Click("M1", "MSR");
    const size_t mark2 = factory.journal.size();
    Menu("S1", "Scale", "Menu_Check_Health_External");
    EXPECT_EQ(JournalFrom(mark2).front(), "MSR.Call Open(S1)");
}

}  // namespace
}  // namespace trellup::testing
