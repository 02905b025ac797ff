// The device panels of Trellup.exe from outside, on the bench: the cash
// drawer fired and closed by the bench tool, the wait for the closing, the
// three health checks from the device menu, the simulated line display read
// back from the bench, a card swiped with the bench tool, and every
// capability report as the screen shows it.
#include "display_mirror.h"
#include "gui_fixture.h"

namespace trellup::test {
namespace {

constexpr COLORREF kRedPixel = RGB(255, 0, 0);

class PanelsGui : public GuiTest {
protected:
    static int Drawer(const wchar_t* command) {
        return RunTool(trellup::test::WindowsPath(TRELLUP_WINIO_DIR) + L"\\winio-sim.exe", command);
    }
    static int Card(const std::wstring& args) {
        return RunTool(trellup::test::WindowsPath(TRELLUP_OPOS_DIR) + L"\\opos-sim.exe", args);
    }
    void ExpectDrawerPicture(bool open) const {
        EXPECT_EQ(app.Visible(IDC_CashDrawerOpen), open);
        EXPECT_EQ(app.Visible(IDC_CashDrawerClose), !open);
        EXPECT_EQ(app.Text(IDC_DrawerOpened), open ? L"True" : L"False");
    }
};

TEST_F(PanelsGui, OpenDrawerShowsTheOpenDrawerUntilTheBenchClosesIt) {
    PrepareOposArea();
    Start();
    SelectDevice(L"CashDrawer", L"NVCD1");
    ASSERT_NO_FATAL_FAILURE(OpenClaimEnable());
    ExpectDrawerPicture(false);
    EXPECT_EQ(app.ToolTip(IDC_CashDrawerClose), L"Drawer Was Cloased");

    app.Click(IDC_cmdFire);
    ASSERT_TRUE(WaitForLogLine(L"OpenDrawer : [0] Success"));
    ExpectDrawerPicture(true);
    EXPECT_EQ(app.ToolTip(IDC_CashDrawerOpen), L"Drawer Was Opened");
    ExpectBackground(IDC_DrawerOpened, kRedPixel);
    Shot("panel-cash-drawer-open");

    ASSERT_EQ(Drawer(L"close"), 0);
    ASSERT_TRUE(WaitForLogLine(L"StatusUpdateEvent : [0] Drawer Closed"));
    ExpectDrawerPicture(false);
    Shot("panel-cash-drawer-closed");

    app.PostClick(IDC_cmdCashDrawerCap);
    ExpectBox(L"Cash Drawer Capability",
              L"\n\nCapStatus\t\t\t: True\n\nCapStatusMultiDrawerDetect\t: False\n\nCapStatisticsReporting\t: True"
              L"\n\nCapPowerReporting\t\t: None\t\t",
              true, IDOK, "box-cash-drawer-capability");
}

TEST_F(PanelsGui, WaitDrawerCloseBlocksTheWindowUntilTheDrawerIsClosed) {
    PrepareOposArea();
    Start();
    SelectDevice(L"CashDrawer", L"NVCD1");
    app.Click(IDC_cmdOpen);
    app.Click(IDC_cmdClaim);
    ASSERT_TRUE(WaitForLogLine(L"Claim : [0] Success"));
    const auto lines = app.ListItems(IDC_List1);
    // Claimed but not enabled: refused.
    app.PostClick(IDC_cmdWaitCashDrawerClose);
    ExpectBox(L"Error", L"Device not ready !", true);
    app.Sync();
    EXPECT_EQ(app.ListItems(IDC_List1), lines);

    app.Click(IDC_cmdEnable);
    app.PostClick(IDC_cmdWaitCashDrawerClose);
    trellup::test::MessageBoxSeen box;
    ASSERT_TRUE(trellup::test::WaitForBox(L"Message", &box));
    EXPECT_EQ(box.text,
              L"Please open cash drawer then press OK.\nIf you not close the cash drawer more then 10 sec,\n"
              L"You will heart the alarm until you close the cash drawer.");
    EXPECT_TRUE(box.has_icon);
    ASSERT_EQ(Drawer(L"open"), 0);
    ASSERT_TRUE(trellup::test::AnswerBox(box, IDOK));
    bool blocked = false;
    for (int i = 0; i < 100 && !blocked; ++i) {
        blocked = !IsWindowEnabled(app.main());
        Sleep(20);
    }
    EXPECT_TRUE(blocked) << "the window took input while the control object waited";
    // A click on OpenDrawer during the wait is not taken, then or later.
    const HWND fire = app.Control(IDC_cmdFire);
    PostMessageW(fire, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(10, 10));
    PostMessageW(fire, WM_LBUTTONUP, 0, MAKELPARAM(10, 10));
    Shot("panel-cash-drawer-waiting");
    ASSERT_EQ(Drawer(L"close"), 0);
    ASSERT_TRUE(WaitForLogLine(L"WaitDrawerClose : [0] Success"));
    EXPECT_TRUE(IsWindowEnabled(app.main()));
    Sleep(300);
    app.Sync();
    for (const std::wstring& l : app.ListItems(IDC_List1)) EXPECT_EQ(l.find(L"OpenDrawer"), std::wstring::npos);
}

// Check health from the device menu, with the service object's own boxes of
// the interactive level answered and the drawer closed from the bench.
TEST_F(PanelsGui, ThreeHealthChecksFromTheDeviceMenu) {
    PrepareOposArea();
    Start();
    SelectDevice(L"CashDrawer", L"NVCD1");
    app.Click(IDC_cmdOpen);  // the internal check meets an open control object
    ASSERT_TRUE(WaitForLogLine(L"Open : [0] Success"));
    const auto lines = app.ListItems(IDC_List1);
    const std::wstring successes =
        L"Claim Device  : Success  (0)\nEnable Device : Success  (0)\nCheck Health  : Success  (0)\n"
        L"Close Device   : Success  (0)";

    DeviceMenu(L"CashDrawer", L"NVCD1", 1);
    ExpectBox(L"CashDrawer CheckHealth Internal",
              L"Device Name  : NVCD1\t\t\n\nOpen Device   : Illegal  (106)\n" + successes, true);

    DeviceMenu(L"CashDrawer", L"NVCD1", 2);
    ExpectBox(L"CashDrawer CheckHealth External",
              L"Device Name  : NVCD1\t\t\n\nOpen Device   : Success  (0)\n" + successes, true, IDOK,
              "box-check-health");
    ASSERT_EQ(Drawer(L"close"), 0);

    DeviceMenu(L"CashDrawer", L"NVCD1", 3);
    ExpectBox(L"Cash Drawer Chek Health Interactive", L"Please push the [Yes] button to run\r\n the CheckHealth Method",
              false, IDYES);
    trellup::test::MessageBoxSeen box;
    ASSERT_TRUE(trellup::test::WaitForBox(L"Cash Drawer Chek Health Interactive", &box));
    EXPECT_EQ(box.text, L"CashDrawer is Opened, Please Close CashDrawer");
    ASSERT_EQ(Drawer(L"close"), 0);
    ASSERT_TRUE(trellup::test::AnswerBox(box, IDOK));
    ExpectBox(L"CashDrawer CheckHealth Interactive",
              L"Device Name  : NVCD1\t\t\n\nOpen Device   : Success  (0)\n" + successes, true);
    app.Sync();
    // Nothing reaches the log; the check closed the control object.
    EXPECT_EQ(app.ListItems(IDC_List1), lines);
    Shot("panel-cash-drawer-health");
}

// Text and cursor go to the simulated display, whose state the bench's
// mirror gives back; the boxes follow the device by the text box rule.
TEST_F(PanelsGui, LineDisplayTextAndCursorReachTheSimulatedDisplay) {
    PrepareOposArea();
    Start();
    auto mirror = opos_bench::DisplayMirror::Open(BenchName());
    ASSERT_TRUE(mirror);
    SelectDevice(L"LineDisplay", L"BenchDisplay");
    ASSERT_NO_FATAL_FAILURE(OpenClaimEnable());
    EXPECT_EQ(app.Text(IDC_DeviceRows), L"2");
    EXPECT_EQ(app.Text(IDC_DeviceColumns), L"20");
    EXPECT_EQ(app.Text(IDC_CharacterSet), L"998");
    EXPECT_EQ(app.Text(IDC_txtBlinkRate), L"500");
    EXPECT_EQ(app.ToolTip(IDC_MarqueeType), L"Marquees disabled");

    app.SetText(IDC_txtCursorRow, L"1");
    app.Type(IDC_txtCursorRow, 13);
    app.SetText(IDC_txtCursorColumn, L" 5 cols");
    app.Type(IDC_txtCursorColumn, 13);
    EXPECT_EQ(app.Text(IDC_txtCursorColumn), L"5");
    ExpectBackground(IDC_txtCursorColumn, GetSysColor(COLOR_WINDOW));
    app.SetText(IDC_txtDisplayText, L"Trellup");
    app.Click(IDC_cmdDisplayText);
    ASSERT_TRUE(WaitForLogLine(L"DisplayText : [0] Success"));
    uint32_t seq = 0;
    opos_bench::DisplayState s = mirror->Last(&seq);
    EXPECT_EQ(s.rows, (std::vector<std::wstring>{L"                    ", L"     Trellup        "}));
    EXPECT_EQ(s.cursor_row, 1);
    EXPECT_EQ(s.cursor_column, 12);
    // The text moved the cursor: the column box shows the device's value in red.
    EXPECT_EQ(app.Text(IDC_txtCursorColumn), L"12");
    ExpectBackground(IDC_txtCursorColumn, kRedPixel);
    // A typed attribute that is no item: index -1, which the device refuses.
    app.Type(IDC_cmbDisplayType, L'x');
    app.Click(IDC_cmdDisplayText);
    ASSERT_TRUE(WaitForLogLine(L"DisplayText : [106] Illegal"));

    app.SetText(IDC_txtBlinkRate, L" 250ms");
    app.Type(IDC_txtBlinkRate, 13);
    app.SetText(IDC_txtDeviceBrightness, L"40");
    app.Type(IDC_txtDeviceBrightness, 13);
    s = mirror->Last(&seq);
    EXPECT_EQ(s.blink_rate, 250);
    EXPECT_EQ(s.brightness, 40);
    EXPECT_EQ(app.Text(IDC_txtBlinkRate), L"250");
    app.SetText(IDC_txtDeviceBrightness, L"250");  // beyond the device's range: refused
    app.Type(IDC_txtDeviceBrightness, 13);
    EXPECT_EQ(app.Text(IDC_txtDeviceBrightness), L"40");
    ExpectBackground(IDC_txtDeviceBrightness, kRedPixel);
    Shot("panel-line-display");

    app.Click(IDC_Scroll);  // one unit up
    ASSERT_TRUE(WaitForLogLine(L"ScrollText : [0] Success"));
    EXPECT_EQ(mirror->Last(&seq).rows, (std::vector<std::wstring>{L"     Trellup        ", L"                    "}));

    app.PostClick(IDC_cmdLineDisplayCap);
    ExpectBox(L"Line Display Capability",
              L"\n\nCapBrightness\t: True\n\nCapBlink\t\t: Blink All\n\nCapBlinkRate\t: True\nBlinkRate \t: 250ms\n\n"
              L"CapCharacterSet\t: ASCII\n\nCapCursorType\t: Block\n\nCapReverse\t: Reverse All\t\t",
              true, IDOK, "box-line-display-capability");
}

TEST_F(PanelsGui, SwipedCardReachesTheTracksAndTheLog) {
    PrepareOposArea();
    Start();
    SelectDevice(L"MSR", L"BenchMSR");
    ASSERT_NO_FATAL_FAILURE(OpenClaimEnable());
    EXPECT_EQ(app.Text(IDC_lblTracksToRead), L"7");
    EXPECT_EQ(app.ToolTip(IDC_lblTracksToRead), L"Track  1, 2, 3");
    EXPECT_TRUE(Checked(IDC_chkTrack1) && Checked(IDC_chkTrack2) && Checked(IDC_chkTrack3));
    EXPECT_FALSE(Checked(IDC_chkTrack4));
    app.Click(IDC_chkTrack2);
    EXPECT_EQ(app.Text(IDC_lblTracksToRead), L"5");
    EXPECT_EQ(app.ToolTip(IDC_lblTracksToRead), L"Track  1, 3 (changed)");  // red: changed
    EXPECT_FALSE(Checked(IDC_chkTrack2));
    app.Click(IDC_chkTrack2);
    EXPECT_EQ(app.Text(IDC_lblTracksToRead), L"7");

    app.Click(IDC_cmdEnentEnabled);
    EXPECT_EQ(app.Text(IDC_lblDataEventEnabled), L"True");
    const std::wstring t1 = L"B4111111111111111^BENCH/CARD^3012", t2 = L"4111111111111111=3012", t3 = L"0123456789";
    ASSERT_EQ(Card(L"swipe " + t1 + L" " + t2 + L" " + t3), 0);
    wchar_t line[64];
    swprintf(line, 64, L"Data Event : [%X]", static_cast<unsigned>(t1.size() | t2.size() << 8 | t3.size() << 16));
    ASSERT_TRUE(WaitForLogLine(line));
    EXPECT_EQ(app.Text(IDC_Track1), t1);
    EXPECT_EQ(app.Text(IDC_Track2), t2);
    EXPECT_EQ(app.Text(IDC_Track3), t3);
    EXPECT_EQ(app.Text(IDC_Track4), L"");
    EXPECT_EQ(app.Text(IDC_lblDataEventEnabled), L"False");
    Shot("panel-msr");

    app.Click(IDC_cmdClearInput);
    ASSERT_TRUE(WaitForLogLine(L"ClearInput : [0] Success"));
    EXPECT_EQ(app.Text(IDC_Track1) + app.Text(IDC_Track2) + app.Text(IDC_Track3), L"");

    app.Click(IDC_cmdEnentEnabled);
    ASSERT_EQ(Card(L"read-error"), 0);
    ExpectBox(L"Trellup", L"Error Report Type : [1]\nResult Code : [114]\nResult Code Extended=204]\nError Locus [2]",
              false);
    ASSERT_TRUE(WaitForLogLine(L"Error Event"));

    app.PostClick(IDC_cmdMSRCap);
    ExpectBox(L"MSR Capability",
              L"\n\nCapISO\t\t: True\n\nCapJISOne\t: False\n\nCapJISTwo\t: False\n\nCapTransmitSentinels: True"
              L"\n\nCapPowerReporting\t: None\t",
              true, IDOK, "box-msr-capability");
}

TEST_F(PanelsGui, EventsReachTheLogDuringASlowCall) {
    PrepareOposArea();
    SetEnvironmentVariableW(L"OPOS_BENCH_SLOW_OPEN_MS", L"3000");
    Start();
    SetEnvironmentVariableW(L"OPOS_BENCH_SLOW_OPEN_MS", nullptr);
    app.Click(IDC_chkClearLog);  // the lines of both devices stay
    SelectDevice(L"MSR", L"BenchMSR");
    ASSERT_NO_FATAL_FAILURE(OpenClaimEnable());
    app.Click(IDC_cmdEnentEnabled);
    ASSERT_EQ(app.Text(IDC_lblDataEventEnabled), L"True");
    SelectDevice(L"CashDrawer", L"NVCD1");  // the reader stays open and enabled

    app.PostClick(IDC_cmdOpen);  // runs for 3 s, dispatching messages
    Sleep(300);
    ASSERT_EQ(Card(L"swipe B4111111111111111^BENCH/CARD^3012 4111111111111111=3012 0123456789"), 0);
    const std::wstring opened = L"Open : [0] Success", event = L"Data Event : [A1521]";
    // The event's line comes while the drawer's Open still runs...
    ASSERT_TRUE(WaitForLogLine(event));
    const auto during = app.ListItems(IDC_List1);
    EXPECT_EQ(std::count(during.begin(), during.end(), opened), 1) << "only the reader's Open has ended";
    // ...which ends after it.
    std::vector<std::wstring> after;
    for (int i = 0; i < 100 && std::count(after.begin(), after.end(), opened) < 2; ++i, Sleep(100)) {
        after = app.ListItems(IDC_List1);
    }
    ASSERT_EQ(std::count(after.begin(), after.end(), opened), 2);
    EXPECT_EQ(after.back(), opened);
    EXPECT_EQ(app.Text(IDC_Track1), L"B4111111111111111^BENCH/CARD^3012");
}

}  // namespace
}  // namespace trellup::test
