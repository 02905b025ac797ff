// The main form through its models: start-up, tree, node click, context
// menus, refresh, log and the life-cycle commands with the user mode.
#include <gmock/gmock.h>

#include "support/form_fixture.h"

namespace trellup::test {
namespace {

using ::testing::ElementsAre;
using ::testing::ElementsAreArray;

TEST_F(FormTest, StartUpCreatesTheFourObjectsInOrderAndSelectsTheFirstClass) {
    AddDevice("CashDrawer", "NVCD1");
    AddDevice("MSR", "BenchMSR", "OposBench.MSR");
    frmMain& f = Load();

    EXPECT_EQ(f.Form.Caption(), "Trellup v1.0.0");
    EXPECT_THAT(f.cmbDisplayType.Items(), ElementsAre("Normal", "Blink", "Reverse", "Blink Reverse"));
    EXPECT_THAT(f.cmbScrollText.Items(), ElementsAre("Up", "Down", "Left", "Right"));
    EXPECT_EQ(f.cmbDisplayType.ListIndex(), 0);
    EXPECT_EQ(f.cmbScrollText.Caption(), "Up");
    // Creation only: no call reaches a control object at start-up, because
    // the first node is a class.
    EXPECT_THAT(factory.journal,
                ElementsAre("Create CashDrawer", "Create LineDisplay", "Create POSPrinter", "Create MSR"));
    EXPECT_EQ(f.TreeView1.SelectedItem(), 0);
    EXPECT_EQ(gCurNodeText, "CashDrawer");
    for (Button* b : {&f.cmdOpen, &f.cmdClaim, &f.cmdEnable, &f.cmdEventOn, &f.cmdRelease, &f.cmdClose})
        EXPECT_FALSE(b->Enabled()) << b->name();
    EXPECT_FALSE(f.frameCashDrawer.Visible());
    EXPECT_EQ(f.m_Device, nullptr);
    EXPECT_TRUE(Log().empty());
}

TEST_F(FormTest, TreeListsClassesAndDevicesWithTheirImagesAndKeys) {
    AddDevice("CashDrawer", "NVCD1");
    AddDevice("CashDrawer", "Front");
    AddDevice("Scale", "S1", "Other.Scale");
    AddClass("MSR");
    registry.FailOpenOf(std::string(kOposRoot) + "\\MSR");
    // Names the code page cannot hold are skipped; the listing goes on.
    registry.PutForeignKey(kOposRoot, "class");
    registry.PutForeignKey(std::string(kOposRoot) + "\\CashDrawer", "device");
    frmMain& f = Load();

    struct Expect {
        const char* key;
        const char* text;
        const char* tag;
        int image, selected;
    };
    const Expect expected[] = {
        {"Class_CashDrawer", "CashDrawer", "Class", kImageCashDrawer, kImageCashDrawer1},
        {"Device_CashDrawer_Front", "Front", "Device", kImageCashDrawer, kImageCashDrawer1},
        {"Device_CashDrawer_NVCD1", "NVCD1", "Device", kImageCashDrawer, kImageCashDrawer1},
        {"Class_MSR", "MSR", "Class", kImageMSR, kImageMSR1},  // unreadable: no devices
        {"Class_Scale", "Scale", "Class", kImageUnknow, kImageUnknow},
        {"Device_Scale_S1", "S1", "Device", kImageUnknow, kImageUnknow},
    };
    ASSERT_EQ(f.TreeView1.Count(), 6);
    for (int i = 0; i < 6; ++i) {
        const auto& n = f.TreeView1.At(i);
        EXPECT_EQ(n.key, expected[i].key);
        EXPECT_EQ(n.text, expected[i].text);
        EXPECT_EQ(n.tag, expected[i].tag);
        EXPECT_EQ(n.image, expected[i].image);
        EXPECT_EQ(n.selected_image, expected[i].selected);
        EXPECT_EQ(n.expanded, n.tag == "Class");
    }
    EXPECT_THAT(f.m_CashDrawerNames, ElementsAre("Front", "NVCD1"));
    EXPECT_EQ(registry.open_keys(), 0u);
}

TEST_F(FormTest, MissingAreaLeavesTheTreeEmptyAndNothingSelected) {
    frmMain& f = Load();
    EXPECT_EQ(f.TreeView1.Count(), 0);
    EXPECT_EQ(f.TreeView1.SelectedItem(), TreeViewModel::kNone);
    EXPECT_EQ(gCurNodeText, "");
}

TEST_F(FormTest, RebuildReselectsEveryNodeOfTheRememberedTextInTreeOrder) {
    AddDevice("CashDrawer", "Twin");
    AddDevice("MSR", "Twin", "OposBench.MSR");
    frmMain& f = Load();
    gCurNodeText = "Twin";
    const size_t mark = factory.journal.size();
    f.GetOPOSClass();

    // Both are handled; the later (the MSR) ends up selected and shown.
    EXPECT_EQ(f.TreeView1.SelectedItem(), Node("Twin", "MSR"));
    EXPECT_EQ(gCurClass, "MSR");
    EXPECT_TRUE(f.frameMSR.Visible());
    EXPECT_FALSE(f.frameCashDrawer.Visible());
    EXPECT_EQ(f.m_Device, &Co("MSR"));
    EXPECT_THAT(JournalFrom(mark), ElementsAre("CashDrawer.Call Close()", "MSR.Call Close()"));
}

TEST_F(FormTest, NodeClickShowsTheEntryAndThePanelOfItsClass) {
    struct Case {
        const char* cls;
        const char* header;     // nullptr: none
        Frame frmMain::*frame;  // nullptr: none shown
        const char* device;     // expected m_Device class after the click
    };
    const Case cases[] = {
        {"CashDrawer", "Cash Drawer ========================", &frmMain::frameCashDrawer, "CashDrawer"},
        {"LineDisplay", "Line Display =========================", &frmMain::frameLineDisplay, "LineDisplay"},
        {"MSR", "MSR ==============================", &frmMain::frameMSR, "MSR"},
        {"POSPrinter", "POS Printer =========================", &frmMain::framePOSPrinter, "POSPrinter"},
        {"Scale", nullptr, nullptr, "POSPrinter"},  // keeps the previous object, and closes it again
    };
    for (const Case& c : cases) AddDevice(c.cls, "Dev");
    registry.PutDword(modRegistry::DeviceKeyPath("CashDrawer", "Dev"), "PulseOnTime", 150);
    registry.PutDword(modRegistry::DeviceKeyPath("CashDrawer", "Dev"), "Timeout", 2500);
    registry.PutDword(modRegistry::DeviceKeyPath("CashDrawer", "Dev"), "OpenStatusPhase", 1);
    registry.PutString(modRegistry::DeviceKeyPath("CashDrawer", "Dev"), "Description", "Kestrix drawer");
    frmMain& f = Load();
    f.chkUserMode.SetValue(0);

    for (const Case& c : cases) {
        SCOPED_TRACE(c.cls);
        const size_t mark = factory.journal.size();
        Click("Dev", c.cls);
        EXPECT_EQ(gCurClass, c.cls);
        EXPECT_EQ(gCurNodeText, "Dev");
        EXPECT_EQ(f.lblDeviceName.Caption(), "Dev");
        EXPECT_EQ(f.lblSOName.Caption(), "Norvane.CashDrawer.1");
        EXPECT_TRUE(f.m_OwnServiceObject);
        for (Frame* fr : {&f.frameCashDrawer, &f.frameLineDisplay, &f.frameMSR, &f.framePOSPrinter})
            EXPECT_EQ(fr->Visible(), c.frame != nullptr && fr == &(f.*c.frame)) << fr->name();
        if (c.frame != nullptr) {
            EXPECT_TRUE((f.*c.frame).Enabled());
            EXPECT_EQ((f.*c.frame).Left(), 176);
            EXPECT_EQ((f.*c.frame).Top(), 288);
        }
        // The log was emptied; the header is appended without moving the
        // selection and without a refresh.
        if (c.header != nullptr) {
            EXPECT_THAT(Log(), ElementsAre(c.header));
        } else {
            EXPECT_TRUE(Log().empty());
        }
        EXPECT_EQ(f.List1.ListIndex(), -1);
        EXPECT_EQ(f.m_Device, &Co(c.device));
        EXPECT_THAT(JournalFrom(mark), ElementsAre(std::string(c.device) + ".Call Close()"));
        for (Button* b : {&f.cmdOpen, &f.cmdClaim, &f.cmdEnable, &f.cmdEventOn, &f.cmdRelease, &f.cmdClose})
            EXPECT_TRUE(b->Enabled()) << b->name();
    }
    Click("Dev", "CashDrawer");
    EXPECT_EQ(f.lblPulseOnTime.Caption(), "150");
    EXPECT_EQ(f.lblTimeout.Caption(), "2500");
    EXPECT_EQ(f.lblOpenStatusPhase.Caption(), "High");
    EXPECT_EQ(f.lblSODescription.Caption(), "Kestrix drawer");
    Click("Dev", "LineDisplay");  // no cash drawer numbers: 0 and Low
    EXPECT_EQ(f.lblPulseOnTime.Caption(), "0");
    EXPECT_EQ(f.lblOpenStatusPhase.Caption(), "Low");

    // A class node empties the information labels and disables everything.
    f.TreeView1_NodeClick(Node("CashDrawer"));
    EXPECT_EQ(f.lblSOName.Caption(), "");
    EXPECT_EQ(f.lblPulseOnTime.Caption(), "");
    EXPECT_FALSE(f.cmdOpen.Enabled());
    EXPECT_FALSE(f.frameCashDrawer.Enabled());
}

// A device gone from the registry (or shut to reading) since the tree was
// built: one line says so, nothing is shown or offered, no key is made and
// no control object is called.
TEST_F(FormTest, ClickingADeviceNoLongerInTheRegistryLogsItAndMakesNothing) {
    const struct {
        bool deleted;  // else: unreadable
        const char* line;
    } cases[] = {
        {true, "CashDrawer\\Gone : not found in the registry, Rescan to update the tree"},
        {false, "CashDrawer\\Gone : could not be read : Access is denied."},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.line);
        ResetUtilityState();
        AddDevice("CashDrawer", "Gone");
        AddDevice("CashDrawer", "Here");
        frmMain& f = Load();
        f.chkUserMode.SetValue(0);
        Click("Here", "CashDrawer");
        const std::string gone = modRegistry::DeviceKeyPath("CashDrawer", "Gone");
        if (c.deleted) {
            ASSERT_EQ(modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "Gone"),
                      kRegSuccess);
        } else {
            registry.FailOpenOf(gone);
        }
        const std::string before = registry.Dump();
        const size_t mark = factory.journal.size();
        Click("Gone", "CashDrawer");
        EXPECT_THAT(Log(), ElementsAre(c.line));
        EXPECT_EQ(registry.Dump(), before);
        EXPECT_TRUE(JournalFrom(mark).empty());
        EXPECT_FALSE(f.m_OwnServiceObject);
        EXPECT_FALSE(f.frameCashDrawer.Visible());
        for (Label* l : {&f.lblSOName, &f.lblDeviceName, &f.lblPulseOnTime, &f.lblOpenStatusPhase})
            EXPECT_EQ(l->Caption(), "") << l->name();
        for (Button* b : {&f.cmdOpen, &f.cmdClaim, &f.cmdClose}) EXPECT_FALSE(b->Enabled()) << b->name();
        f.GetOPOSClass();  // Rescan
        EXPECT_EQ(Node("Gone", "CashDrawer") != -1, !c.deleted);
        modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "Here");
        modRegistry::DeleteRegKey(platform(), std::string(kOposRoot) + "\\CashDrawer", "Gone");
    }
}

TEST_F(FormTest, ClearLogUncheckedLetsHeadersAccumulate) {
    AddDevice("CashDrawer", "A");
    AddDevice("CashDrawer", "B");
    frmMain& f = Load();
    f.chkClearLog.SetValue(0);
    Click("A", "CashDrawer");
    Click("B", "CashDrawer");
    EXPECT_EQ(Log().size(), 2u);
}

TEST_F(FormTest, ContextMenuEntriesFollowTheRightClickedNode) {
    AddDevice("CashDrawer", "NVCD1");
    AddDevice("MSR", "M1", "OposBench.MSR");
    frmMain& f = Load();
    int hit = TreeViewModel::kNone;
    f.TreeView1.SetHitTest([&](int, int) { return hit; });
    const std::vector<std::string> check_health = {"Menu_Check_Health_Internal", "Menu_Check_Health_External",
                                                   "Menu_Check_Health_Interactive"};
    struct Case {
        const char* left_click;  // device clicked with the left button first ("" none)
        const char* node;        // right-clicked node text ("" empty space)
        const char* parent;
        const char* menu;
        std::vector<std::string> enabled;
    };
    const Case cases[] = {
        {"", "CashDrawer", "", "Menu_Class", {"Menu_Add_New_Device", "Menu_Class_Rescan"}},
        {"", "MSR", "", "Menu_Class", {"Menu_Class_Rescan"}},
        {"", "", "", "Menu_Class", {"Menu_Add_New_Device", "Menu_Class_Rescan"}},
        // Property follows the right-clicked device's service object, not
        // the device clicked last.
        {"NVCD1",
         "M1",
         "MSR",
         "Menu_Device",
         {"Menu_Check_Health_Internal", "Menu_Check_Health_External", "Menu_Check_Health_Interactive",
          "Menu_Delete_Device", "Menu_Device_Rescan"}},
        {"M1",
         "NVCD1",
         "CashDrawer",
         "Menu_Device",
         {"Menu_Check_Health_Internal", "Menu_Check_Health_External", "Menu_Check_Health_Interactive",
          "Menu_Device_Property", "Menu_Delete_Device", "Menu_Device_Rescan"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.left_click) + "/" + c.node);
        if (*c.left_click != 0) Click(c.left_click, c.left_click == std::string("M1") ? "MSR" : "CashDrawer");
        const std::string before = gCurNodeText;
        hit = *c.node != 0 ? Node(c.node, c.parent) : TreeViewModel::kNone;
        f.TreeView1_MouseUp(2, 0, 10, 20);
        ASSERT_FALSE(shell.popups.empty());
        EXPECT_EQ(shell.popups.back().menu, c.menu);
        EXPECT_EQ(shell.popups.back().enabled, c.enabled);
        EXPECT_EQ(shell.popups.back().x, 10);
        if (hit != TreeViewModel::kNone) {
            EXPECT_EQ(f.TreeView1.SelectedItem(), hit);
            EXPECT_EQ(gPopupNode.text, c.node);
            EXPECT_EQ(gPopupNode.parent_text, c.parent);
        }
        EXPECT_EQ(gCurNodeText, before);  // no node click
    }
    // A left mouse-up disables the entries again and pops nothing up.
    const size_t popups = shell.popups.size();
    f.TreeView1_MouseUp(1, 0, 10, 20);
    EXPECT_EQ(shell.popups.size(), popups);
    EXPECT_FALSE(f.Menu_Check_Health_Internal.enabled);
    EXPECT_TRUE(f.Menu_Delete_Device.enabled);
}

TEST_F(FormTest, RescanFromTheMenuRebuildsTheTree) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    f.TreeView1.SetHitTest([&](int, int) { return TreeViewModel::kNone; });
    AddDevice("CashDrawer", "NVCD2");
    shell.choose = "Menu_Class_Rescan";
    f.TreeView1_MouseUp(2, 0, 1, 1);
    EXPECT_EQ(f.TreeView1.Count(), 3);
}

TEST_F(FormTest, ShowChangedValueComparesCaptionsExactly) {
    frmMain& f = Load();
    Label& l = f.ResultCode;
    struct Step {
        const char* text;
        const char* caption;
        Colour back;
    };
    const Step steps[] = {{"0", "0", kRed},       {"0", "0", kButtonFace}, {"True", "True", kRed},
                          {"true", "true", kRed}, {"", "", kRed},          {"", "", kButtonFace}};
    for (const Step& s : steps) {
        f.ShowChangedValue(s.text, l);
        EXPECT_EQ(l.Caption(), s.caption);
        EXPECT_EQ(l.BackColor(), s.back) << s.text;
    }
}

// A refresh reads the class's values, then the common list in its order,
// each property once, and sets the four tool tips from the value read.
TEST_F(FormTest, RefreshReadsEachPropertyOnceInOrderWithToolTips) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    co.properties["ServiceObjectDescription"] = OposValue::String("Kestrix");
    co.properties["ServiceObjectVersion"] = OposValue::Long(1005000);
    co.properties["DrawerOpened"] = OposValue::Bool(true);
    co.properties["OpenResult"] = OposValue::Long(306);
    co.properties["PowerState"] = OposValue::Long(2000);
    co.properties["ResultCode"] = OposValue::Long(-5);
    co.properties["State"] = OposValue::Long(2);
    co.properties["Claimed"] = OposValue::Bool(false);
    const size_t mark = factory.journal.size();
    f.RefreshDeviceProperties("CashDrawer");

    EXPECT_THAT(JournalFrom(mark),
                ElementsAre("CashDrawer.Get DrawerOpened", "CashDrawer.Get ServiceObjectDescription",
                            "CashDrawer.Get ServiceObjectVersion", "CashDrawer.Get ControlObjectDescription",
                            "CashDrawer.Get ControlObjectVersion", "CashDrawer.Get DeviceEnabled",
                            "CashDrawer.Get Claimed", "CashDrawer.Get FreezeEvents", "CashDrawer.Get OpenResult",
                            "CashDrawer.Get PowerNotify", "CashDrawer.Get PowerState", "CashDrawer.Get ResultCode",
                            "CashDrawer.Get ResultCodeExtended", "CashDrawer.Get State"));
    EXPECT_EQ(f.SODescription1.Caption(), "Kestrix");
    EXPECT_EQ(f.SOVersion1.Caption(), "1005000");
    EXPECT_EQ(f.SOVersion1.BackColor(), kButtonFace);  // written directly, never highlighted
    EXPECT_EQ(f.ResultCode.Caption(), "-5");
    EXPECT_EQ(f.Claimed.Caption(), "False");
    EXPECT_EQ(f.Claimed.BackColor(), kRed);  // emptied by the node click
    EXPECT_EQ(f.OpenResult.ToolTipText(), "The service object returned a failure status from its open call");
    EXPECT_EQ(f.PowerState.ToolTipText(), "Unknow");
    EXPECT_EQ(f.ResultCode.ToolTipText(), "Unknowen");
    EXPECT_EQ(f.State.ToolTipText(), "Device idle");
    EXPECT_EQ(f.DrawerOpened.Caption(), "True");
    EXPECT_TRUE(f.CashDrawerOpen.Visible());
    EXPECT_FALSE(f.CashDrawerClose.Visible());
    EXPECT_EQ(shell.beeps, 1);

    // Unchanged values go back to button face; the open drawer beeps again.
    f.RefreshDeviceProperties("CashDrawer");
    EXPECT_EQ(f.Claimed.BackColor(), kButtonFace);
    EXPECT_EQ(shell.beeps, 2);
    // A POS printer refreshes only the common list, from its own object.
    const size_t mark2 = factory.journal.size();
    f.RefreshDeviceProperties("POSPrinter");
    EXPECT_EQ(JournalFrom(mark2).front(), "POSPrinter.Get ServiceObjectDescription");
    EXPECT_EQ(JournalFrom(mark2).size(), 13u);
    EXPECT_EQ(f.m_Device, &Co("POSPrinter"));
}

TEST_F(FormTest, LogLinesAndOneRefreshPerLine) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    struct Case {
        const char* method;
        int32_t code;
        void (frmMain::*click)();
        const char* line;
    };
    const Case cases[] = {
        {"Open", 0, &frmMain::cmdOpen_Click, "Open : [0] Success"},
        {"ClaimDevice", 102, &frmMain::cmdClaim_Click, "Claim : [102] Device claimed"},
        {"ReleaseDevice", 999, &frmMain::cmdRelease_Click, "Release : [999] Unknowen"},
        {"Close", -1, &frmMain::cmdClose_Click, "Close : [-1] Unknowen"},
        {"OpenDrawer", 111, &frmMain::cmdFire_Click, "OpenDrawer : [111] Device failure"},
    };
    for (const Case& c : cases) {
        co.results[c.method] = c.code;
        const size_t mark = factory.journal.size();
        (f.*c.click)();
        EXPECT_EQ(Log().back(), c.line);
        EXPECT_EQ(f.List1.ListIndex(), f.List1.ListCount() - 1);
        EXPECT_EQ(f.m_ResultCode, c.code);
        const auto calls = JournalFrom(mark);
        EXPECT_EQ(std::count(calls.begin(), calls.end(), "CashDrawer.Get State"), 1) << c.line;
    }
    // A burst of status events: one line and one refresh each.
    const size_t mark = factory.journal.size();
    for (int i = 0; i < 3; ++i) f.OnStatusUpdateEvent(co, i);
    const auto calls = JournalFrom(mark);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "CashDrawer.Get DrawerOpened"), 3);
    const auto log = Log();
    EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
                ElementsAre("StatusUpdateEvent : [0] Drawer Closed", "StatusUpdateEvent : [1] Drawer Opened",
                            "StatusUpdateEvent : [2] Drawer Closed"));
}

TEST_F(FormTest, OpenPassesTheShownNameAndTogglesWriteTheNegation) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    co.properties["DeviceEnabled"] = OposValue::Bool(false);
    co.properties["FreezeEvents"] = OposValue::Bool(true);
    size_t mark = factory.journal.size();
    f.cmdOpen_Click();
    EXPECT_EQ(JournalFrom(mark).front(), "CashDrawer.Call Open(NVCD1)");
    mark = factory.journal.size();
    f.cmdEnable_Click();
    const auto calls = JournalFrom(mark);
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 3),
                ElementsAre("CashDrawer.Get DeviceEnabled", "CashDrawer.Put DeviceEnabled=True",
                            "CashDrawer.Get DrawerOpened"));
    mark = factory.journal.size();
    f.cmdEventOn_Click();
    EXPECT_EQ(JournalFrom(mark)[1], "CashDrawer.Put FreezeEvents=False");
    EXPECT_EQ(Log().size(), 2u);  // header and Open: the toggles log nothing
    EXPECT_EQ(f.DeviceEnabled.Caption(), "True");
    EXPECT_EQ(f.FreezeEvents.Caption(), "False");
}

// The guided mode, step by step, with failing results.
TEST_F(FormTest, UserModeEnablesOnlyWhatTheStepAllows) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    Button* const buttons[] = {&f.cmdOpen, &f.cmdClaim, &f.cmdEnable, &f.cmdEventOn, &f.cmdRelease, &f.cmdClose};
    struct Step {
        const char* method;
        int32_t code;
        void (frmMain::*click)();
        const char* enabled;  // Open Claim Enable Freeze Release Close, 1 enabled
        bool frames;
    };
    const Step steps[] = {
        {"", 0, nullptr, "100000", false},  // after the device click
        {"Open", 104, &frmMain::cmdOpen_Click, "100000", false},
        {"Open", 0, &frmMain::cmdOpen_Click, "011101", true},
        {"ClaimDevice", 111, &frmMain::cmdClaim_Click, "011101", true},
        {"ClaimDevice", 0, &frmMain::cmdClaim_Click, "001111", true},
        {"ReleaseDevice", 103, &frmMain::cmdRelease_Click, "001111", true},
        {"ReleaseDevice", 0, &frmMain::cmdRelease_Click, "011101", true},
        {"Close", 111, &frmMain::cmdClose_Click, "100000", false},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.method) + " " + std::to_string(s.code));
        if (s.click != nullptr) {
            co.results[s.method] = s.code;
            (f.*s.click)();
        }
        for (int i = 0; i < 6; ++i) EXPECT_EQ(buttons[i]->Enabled(), s.enabled[i] == '1') << buttons[i]->name();
        EXPECT_EQ(f.frameCashDrawer.Enabled(), s.frames);
        EXPECT_EQ(f.frameMSR.Enabled(), s.frames);
    }
}

TEST_F(FormTest, MissingControlObjectIsLoggedAndEveryCommandOnItFails) {
    factory.missing = {"CashDrawer"};
    AddDevice("CashDrawer", "NVCD1");
    // The 64-bit program points to the 32-bit one, whose control objects
    // most terminals have.
    Load(64);
    EXPECT_THAT(Log(), ElementsAre("CashDrawer control object not available (0x80040154) : this is the 64-bit "
                                   "Trellup, and the installed control objects may be 32-bit only; use the 32-bit "
                                   "Trellup"));
    frmMain& f = Load();
    EXPECT_THAT(Log(), ElementsAre("CashDrawer control object not available (0x80040154)"));
    f.chkClearLog.SetValue(0);
    Click("NVCD1", "CashDrawer");
    f.cmdOpen_Click();
    f.cmdEnable_Click();
    f.cmdFire_Click();
    const auto log = Log();
    EXPECT_THAT(std::vector<std::string>(log.end() - 3, log.end()),
                ElementsAre("Open : call failed (0x80040154)", "DeviceEnabled : call failed (0x80040154)",
                            "OpenDrawer : call failed (0x80040154)"));
    EXPECT_EQ(f.m_ResultCode, 0);
    EXPECT_FALSE(f.cmdClaim.Enabled());
    // No refresh reached the missing object: only the failing calls did.
    for (const std::string& line : factory.journal) EXPECT_EQ(line.find("CashDrawer.Get State"), std::string::npos);
}

TEST_F(FormTest, FailedCallsAndFailedRefreshReadsAreLoggedOnce) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    co.failures["ClaimDevice"] = static_cast<HResult>(0x80020006);
    co.failures["PowerNotify"] = static_cast<HResult>(0x80020003);
    co.failures["State"] = static_cast<HResult>(0x80020003);
    f.cmdClaim_Click();
    EXPECT_THAT(Log(), ElementsAre("Cash Drawer ========================", "Claim : call failed (0x80020006)",
                                   "Refresh PowerNotify : call failed (0x80020003)"));
}

TEST_F(FormTest, EventsDuringACommandAreLoggedBeforeItsResult) {
    AddDevice("CashDrawer", "NVCD1");
    frmMain& f = Load();
    Click("NVCD1", "CashDrawer");
    auto& co = Co("CashDrawer");
    co.During("OpenDrawer", [&] {
        f.OnStatusUpdateEvent(co, 1);
        f.OnStatusUpdateEvent(co, 0);
    });
    f.cmdFire_Click();
    EXPECT_THAT(Log(), ElementsAre("Cash Drawer ========================", "StatusUpdateEvent : [1] Drawer Opened",
                                   "StatusUpdateEvent : [0] Drawer Closed", "OpenDrawer : [0] Success"));
}

TEST_F(FormTest, TrimNullKeepsTheTextBeforeTheFirstNul) {
    EXPECT_EQ(frmMain::TrimNull(std::string("abc\0def", 7)), "abc");
    EXPECT_EQ(frmMain::TrimNull(std::string("\0abc", 4)), "");
    EXPECT_EQ(frmMain::TrimNull("abc"), "");
}

}  // namespace
}  // namespace trellup::test

namespace trellup::test {
namespace {

TEST_F(FormTest, LargeRegistriesAndLongLogsKeepWorking) {
    for (int c = 0; c < 300; ++c) AddClass("Class" + std::to_string(c));
    const std::string long_name(255, 'N');
    for (int d = 0; d < 150; ++d) AddDevice("CashDrawer", "D" + std::to_string(d));
    AddDevice("CashDrawer", long_name);
    AddDevice("CashDrawer", "Caf\xE9");  // a name in the ANSI code page
    frmMain& f = Load();
    EXPECT_EQ(f.TreeView1.Count(), 301 + 152);
    EXPECT_EQ(f.m_CashDrawerNames.size(), 152u);
    EXPECT_NE(Node(long_name, "CashDrawer"), -1);
    EXPECT_NE(Node("Caf\xE9", "CashDrawer"), -1);

    for (int i = 0; i < 33000; ++i) f.AddLogLine("line " + std::to_string(i));
    EXPECT_EQ(f.List1.ListCount(), 33000);
    EXPECT_EQ(f.List1.ListIndex(), 32999);
    EXPECT_EQ(f.List1.Items().back(), "line 32999");
}

}  // namespace
}  // namespace trellup::test
