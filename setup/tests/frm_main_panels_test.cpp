// The cash drawer, line display and MSR panels through their models, over
// scripted control objects: capability reports, the wait for the drawer,
// health checks, number entry, the refresh's box rules, track bits and the
// event handlers' lines.
#include <gmock/gmock.h>

#include "support/form_fixture.h"

namespace trellup::test {
namespace {

using ::testing::ElementsAre;
using Props = std::map<std::string, OposValue>;

OposValue B(bool v) { return OposValue::Bool(v); }
OposValue L(int32_t v) { return OposValue::Long(v); }

class PanelTest : public FormTest {
protected:
    // A device of each class; `cls`'s device is selected ("" none).
    frmMain& Select(const std::string& cls) {
        for (const char* c : {"CashDrawer", "LineDisplay", "MSR", "Scale"}) AddDevice(c, std::string(c) + "1");
        Load();
        form->TreeView1.SetHitTest([this](int, int) { return hit_; });
        if (!cls.empty()) Click(cls + "1", cls);
        return *form;
    }
    // Right-clicks a device and picks an entry of its menu.
    void Menu(const std::string& cls, const char* entry) {
        hit_ = Node(cls + "1", cls);
        shell.choose = entry;
        form->TreeView1_MouseUp(2, 0, 5, 5);
    }
    // The one box shown since the last call: its text, style and caption.
    std::string Box(int style, const std::string& caption) {
        EXPECT_EQ(shell.boxes.size(), 1u);
        if (shell.boxes.empty()) return "<no box>";
        const auto box = shell.boxes.back();
        shell.boxes.clear();
        EXPECT_EQ(box.style, style);
        EXPECT_EQ(box.caption, caption);
        return box.text;
    }
    size_t Count(const std::vector<std::string>& calls, const std::string& call) {
        return static_cast<size_t>(std::count(calls.begin(), calls.end(), call));
    }
    int hit_ = TreeViewModel::kNone;
};

TEST_F(PanelTest, CapabilityReportsLeaveOutValuesWithoutText) {
    struct Case {
        const char* cls;
        void (frmMain::*click)();
        Props props;
        const char* caption;
        const char* text;
    };
    const Case cases[] = {
        {"CashDrawer",
         &frmMain::cmdCashDrawerCap_Click,
         {{"CapStatus", B(true)}, {"CapStatisticsReporting", B(true)}, {"CapPowerReporting", L(1)}},
         "Cash Drawer Capability",
         "\n\nCapStatus\t\t\t: True\n\nCapStatusMultiDrawerDetect\t: False\n\nCapStatisticsReporting\t: True"
         "\n\nCapPowerReporting\t\t: Standard\t\t"},
        {"CashDrawer",
         &frmMain::cmdCashDrawerCap_Click,
         {{"CapStatusMultiDrawerDetect", B(true)}, {"CapPowerReporting", L(7)}},
         "Cash Drawer Capability",
         "\n\nCapStatus\t\t\t: False\n\nCapStatusMultiDrawerDetect\t: True\n\nCapStatisticsReporting\t: False"
         "\n\nCapPowerReporting\t\t: \t\t"},
        {"LineDisplay",
         &frmMain::cmdLineDisplayCap_Click,
         {{"CapBrightness", B(true)},
          {"CapBlink", L(1)},
          {"CapBlinkRate", B(true)},
          {"BlinkRate", L(500)},
          {"CapCharacterSet", L(998)},
          {"CapCursorType", L(2)},
          {"CapReverse", L(1)}},
         "Line Display Capability",
         "\n\nCapBrightness\t: True\n\nCapBlink\t\t: Blink All\n\nCapBlinkRate\t: True\nBlinkRate \t: 500ms\n\n"
         "CapCharacterSet\t: ASCII\n\nCapCursorType\t: Block\n\nCapReverse\t: Reverse All\t\t"},
        {"LineDisplay",
         &frmMain::cmdLineDisplayCap_Click,  // 6 is a combination of cursor types
         {{"CapBlink", L(3)},
          {"BlinkRate", L(-5)},
          {"CapCharacterSet", L(10)},
          {"CapCursorType", L(6)},
          {"CapReverse", L(9)}},
         "Line Display Capability",
         "\n\nCapBrightness\t: False\n\nCapBlinkRate\t: False\nBlinkRate \t: -5ms\n\nCapCharacterSet\t: Kana\n\n"},
        {"MSR",
         &frmMain::cmdMSRCap_Click,
         {{"CapISO", B(true)}, {"CapTransmitSentinels", B(true)}},
         "MSR Capability",
         "\n\nCapISO\t\t: True\n\nCapJISOne\t: False\n\nCapJISTwo\t: False\n\nCapTransmitSentinels: True"
         "\n\nCapPowerReporting\t: None\t"},
        {"MSR",
         &frmMain::cmdMSRCap_Click,
         {{"CapJISOne", B(true)}, {"CapJISTwo", B(true)}, {"CapPowerReporting", L(2)}},
         "MSR Capability",
         "\n\nCapISO\t\t: False\n\nCapJISOne\t: True\n\nCapJISTwo\t: True\n\nCapTransmitSentinels: False"
         "\n\nCapPowerReporting\t: Advanced\t"},
    };
    frmMain& f = Select("");
    for (const Case& c : cases) {
        Co(c.cls).properties = c.props;
        (f.*c.click)();
        EXPECT_EQ(Box(mb::kOk | mb::kIconInformation, c.caption), c.text);
    }
    EXPECT_TRUE(Log().empty());
}

TEST_F(PanelTest, WaitDrawerCloseRefusesUnlessClaimedAndEnabledAndBlocksTheWindow) {
    frmMain& f = Select("CashDrawer");
    auto& co = Co("CashDrawer");
    f.m_ResultCode = -77;
    for (const auto& state : std::vector<std::pair<bool, bool>>{{false, false}, {true, false}, {false, true}}) {
        co.properties = {{"Claimed", B(state.first)}, {"DeviceEnabled", B(state.second)}};
        const size_t mark = factory.journal.size();
        f.cmdWaitCashDrawerClose_Click();
        EXPECT_EQ(Box(mb::kOk | mb::kIconStop, "Error"), "Device not ready !");
        EXPECT_EQ(JournalFrom(mark).size(), 2u);  // the two reads
    }
    EXPECT_EQ(f.m_ResultCode, -77);
    EXPECT_EQ(Log().size(), 1u);

    co.properties = {{"Claimed", B(true)}, {"DeviceEnabled", B(true)}};
    bool blocked = false;
    co.During("WaitForDrawerClose", [&] { blocked = !f.Form.Enabled(); });
    f.cmdWaitCashDrawerClose_Click();
    EXPECT_EQ(Box(mb::kOk | mb::kIconInformation, "Message"),
              "Please open cash drawer then press OK.\nIf you not close the cash drawer more then 10 sec,\n"
              "You will heart the alarm until you close the cash drawer.");
    EXPECT_EQ(Count(factory.journal, "CashDrawer.Call WaitForDrawerClose(10000,1000,1000,2000)"), 1u);
    EXPECT_TRUE(blocked);
    EXPECT_TRUE(f.Form.Enabled());
    EXPECT_EQ(Log().back(), "WaitDrawerClose : [0] Success");
}

// From the device menu, on the right-clicked device, every step whatever
// the earlier ones returned; nothing logged; m_Device stays on the checked
// class until the next refresh.
TEST_F(PanelTest, CheckHealthReportsEveryStep) {
    struct Case {
        const char* entry;
        const char* cls;
        char level;
        int32_t open, claim, enable, check, close;
        const char* caption;
        const char* lines;  // from the Open line on
    };
    const Case cases[] = {
        {"Menu_Check_Health_Internal", "CashDrawer", '1', 0, 0, 0, 0, 0, "CashDrawer CheckHealth Internal",
         "Open Device   : Success  (0)\nClaim Device  : Success  (0)\nEnable Device : Success  (0)\n"
         "Check Health  : Success  (0)\nClose Device   : Success  (0)"},
        {"Menu_Check_Health_External", "CashDrawer", '2', 106, 0, 0, 111, 0, "CashDrawer CheckHealth External",
         "Open Device   : Illegal  (106)\nClaim Device  : Success  (0)\nEnable Device : Success  (0)\n"
         "Check Health  : Device failure  (111)\nClose Device   : Success  (0)"},
        {"Menu_Check_Health_Interactive", "MSR", '3', 109, 101, 101, 101, 101, "MSR CheckHealth Interactive",
         "Open Device   : Device not exist  (109)\nClaim Device  : Device closed  (101)\n"
         "Enable Device : Device closed  (101)\nCheck Health  : Device closed  (101)\nClose Device   : Device closed  "
         "(101)"},
    };
    frmMain& f = Select("CashDrawer");
    f.cmdOpen_Click();  // the check meets an object opened from the life-cycle buttons
    const auto log = Log();
    for (const Case& c : cases) {
        auto& co = Co(c.cls);
        co.results = {{"Open", c.open}, {"ClaimDevice", c.claim}, {"CheckHealth", c.check}, {"Close", c.close}};
        co.properties["ResultCode"] = L(c.enable);
        const size_t mark = factory.journal.size();
        Menu(c.cls, c.entry);
        const std::string p = std::string(c.cls) + ".";
        EXPECT_THAT(JournalFrom(mark), ElementsAre(p + "Call Open(" + c.cls + "1)", p + "Call ClaimDevice(100)",
                                                   p + "Put DeviceEnabled=True", p + "Get ResultCode",
                                                   p + "Call CheckHealth(" + c.level + ")", p + "Call Close()"));
        EXPECT_EQ(Box(mb::kOk | mb::kIconInformation, c.caption),
                  "Device Name  : " + std::string(c.cls) + "1\t\t\n\n" + c.lines);
        EXPECT_EQ(f.m_Device, &co);
    }
    EXPECT_EQ(Log(), log);
    const size_t mark = factory.journal.size();
    f.cmdClaim_Click();  // acts on the MSR object; its refresh sets the drawer's back
    EXPECT_EQ(JournalFrom(mark).front(), "MSR.Call ClaimDevice(1000)");
    EXPECT_EQ(f.m_Device, &Co("CashDrawer"));
}

TEST_F(PanelTest, CheckHealthOfAnUnknownClassBeforeAnySelectionOnlyTellsWhy) {
    frmMain& f = Select("");
    Menu("Scale", "Menu_Check_Health_Internal");
    EXPECT_EQ(Box(mb::kOk | mb::kIconStop, "Scale CheckHealth Internal"),
              "No control object serves the class \"Scale\".");
    EXPECT_THAT(factory.journal,
                ElementsAre("Create CashDrawer", "Create LineDisplay", "Create POSPrinter", "Create MSR"));
    Click("MSR1", "MSR");  // from now on the MSR object serves
    const size_t mark = factory.journal.size();
    Menu("Scale", "Menu_Check_Health_External");
    EXPECT_EQ(JournalFrom(mark).front(), "MSR.Call Open(Scale1)");
    EXPECT_EQ(f.m_Device, &Co("MSR"));
}

// What each command sends and logs; units that are no number or beyond 32
// bits are refused with the reason and nothing is sent.
TEST_F(PanelTest, LineDisplayCommandsSendTheBoxes) {
    struct Case {
        const char* text;
        int type, scroll;  // combo indexes, -1 a typed text
        const char* units;
        void (frmMain::*click)();
        const char* call;  // nullptr: nothing sent
        const char* line;  // the log line, or the refusal's text
    };
    const char* kNotSent = "\nScrollText was not sent.";
    const Case cases[] = {
        {"Hello", 3, 0, "1", &frmMain::cmdDisplayText_Click, "Call DisplayText(Hello,3)",
         "DisplayText : [106] Illegal"},
        {"Hi", -1, 0, "1", &frmMain::cmdDisplayText_Click, "Call DisplayText(Hi,-1)", "DisplayText : [106] Illegal"},
        {"", 0, 0, "1", &frmMain::cmdDisplayText_Click, nullptr, nullptr},
        {"", 0, 0, "1", &frmMain::cmdClearText_Click, "Call ClearText()", "ClearText : [101] Device closed"},
        {"", 0, 2, "2.5", &frmMain::Scroll_Click, "Call ScrollText(3,2)", "ScrollText : [0] Success"},
        {"", 0, -1, " 3.5 ", &frmMain::Scroll_Click, "Call ScrollText(0,4)", "ScrollText : [0] Success"},
        {"", 0, 0, "2 x", &frmMain::Scroll_Click, nullptr, "Units \"2 x\" is not a number."},
        {"", 0, 0, "", &frmMain::Scroll_Click, nullptr, "Units \"\" is not a number."},
        {"", 0, 0, "-2147483649", &frmMain::Scroll_Click, nullptr,
         "Units \"-2147483649\" is outside the range -2147483648 to 2147483647."},
    };
    frmMain& f = Select("LineDisplay");
    Co("LineDisplay").results = {{"DisplayText", 106}, {"ClearText", 101}};
    for (const Case& c : cases) {
        f.txtDisplayText.SetText(c.text);
        f.cmbDisplayType.SetListIndex(c.type);
        f.cmbScrollText.SetListIndex(c.scroll);
        f.txtScrollUnits.SetText(c.units);
        const auto log = Log();
        const size_t mark = factory.journal.size();
        (f.*c.click)();
        if (c.call != nullptr) {
            EXPECT_EQ(JournalFrom(mark).front(), std::string("LineDisplay.") + c.call);
            EXPECT_EQ(Log().back(), c.line);
            continue;
        }
        EXPECT_TRUE(JournalFrom(mark).empty()) << c.units;
        EXPECT_EQ(Log(), log);
        if (c.line != nullptr) {
            EXPECT_EQ(Box(mb::kOk | mb::kIconStop, "Trellup"), c.line + std::string(kNotSent));
        }
    }
}

// Enter in a number box: the leading number, half to even, back into the
// box, written, one refresh; a number beyond 32 bits is refused.
TEST_F(PanelTest, NumberBoxesTakeTheLeadingNumberOnEnter) {
    struct Case {
        TextBox frmMain::*box;
        const char* typed;
        int key;
        const char* shown;
        const char* put;      // nullptr: nothing sent
        const char* refused;  // the message, if any
    };
    const char* kRange = " is outside the range -2147483648 to 2147483647.";
    const Case cases[] = {
        {&frmMain::txtBlinkRate, " 250ms", 13, "250", "Put BlinkRate=250", nullptr},
        {&frmMain::txtBlinkRate, " 250ms", 'x', " 250ms", nullptr, nullptr},
        {&frmMain::txtCursorRow, "2.5", 13, "2", "Put CursorRow=2", nullptr},
        {&frmMain::txtCursorRow, "3.5", 13, "4", "Put CursorRow=4", nullptr},
        {&frmMain::txtCursorColumn, "12abc", 13, "12", "Put CursorColumn=12", nullptr},
        {&frmMain::txtCursorColumn, "abc", 13, "0", "Put CursorColumn=0", nullptr},
        {&frmMain::txtDeviceBrightness, "\t1 2\n", 13, "12", "Put DeviceBrightness=12", nullptr},
        {&frmMain::txtDeviceBrightness, "&HFFFFFFFF", 13, "-1", "Put DeviceBrightness=-1", nullptr},
        {&frmMain::txtScrollUnits, "3x", 13, "3", nullptr, nullptr},
        {&frmMain::txtBlinkRate, "2147483648", 13, "2147483648", nullptr, "Blink Rate \"2147483648\""},
        {&frmMain::txtScrollUnits, "1e10", 13, "1e10", nullptr, "Units \"1e10\""},
    };
    frmMain& f = Select("LineDisplay");
    for (const Case& c : cases) {
        TextBox& box = f.*c.box;
        box.CaptionFromUser(c.typed);
        const size_t mark = factory.journal.size(), lines = Log().size();
        f.NumberBox_KeyPress(box, c.key);
        const auto calls = JournalFrom(mark);
        EXPECT_EQ(box.Text(), c.shown);
        EXPECT_EQ(Log().size(), lines);
        EXPECT_EQ(calls.empty() ? "" : calls[0], c.put != nullptr ? std::string("LineDisplay.") + c.put : "");
        EXPECT_EQ(Count(calls, "LineDisplay.Get DeviceRows"), c.put != nullptr ? 1u : 0u) << c.typed;
        if (c.refused != nullptr) {
            EXPECT_EQ(Box(mb::kOk | mb::kIconStop, "Trellup"),
                      c.refused + std::string(kRange) +
                          (c.box == &frmMain::txtBlinkRate ? "\nBlinkRate was not written." : ""));
        }
    }
    EXPECT_TRUE(shell.boxes.empty());
}

// The refresh: a box keeps a text equal to the device's value as a number,
// else shows the value in red; BlinkRate is written without colour; the
// MarqueeType tip follows the known types only.
TEST_F(PanelTest, LineDisplayRefreshAppliesTheBoxRuleAndMarqueeTips) {
    frmMain& f = Select("LineDisplay");
    auto& co = Co("LineDisplay");
    co.properties = {{"DeviceRows", L(2)},         {"DeviceColumns", L(20)}, {"CursorRow", L(1)},
                     {"DeviceBrightness", L(100)}, {"CursorType", L(2)},     {"CursorUpdate", B(true)},
                     {"CharacterSet", L(998)},     {"BlinkRate", L(500)},    {"MarqueeFormat", L(1)}};
    const struct {
        TextBox* box;
        const char* typed;
        const char* shown;
        Colour back;
    } boxes[] = {{&f.txtCursorRow, "01", "01", kWindowBackground},
                 {&f.txtDeviceBrightness, "50", "100", kRed},
                 {&f.txtCursorColumn, "", "0", kRed},
                 {&f.txtBlinkRate, "7", "500", kWindowBackground}};
    for (const auto& b : boxes) b.box->CaptionFromUser(b.typed);
    const size_t mark = factory.journal.size();
    f.RefreshDeviceProperties("LineDisplay");
    const auto calls = JournalFrom(mark);
    EXPECT_THAT(
        std::vector<std::string>(calls.begin(), calls.begin() + 11),
        ElementsAre("LineDisplay.Get DeviceRows", "LineDisplay.Get DeviceColumns", "LineDisplay.Get CursorRow",
                    "LineDisplay.Get DeviceBrightness", "LineDisplay.Get CursorColumn", "LineDisplay.Get CursorType",
                    "LineDisplay.Get CursorUpdate", "LineDisplay.Get CharacterSet", "LineDisplay.Get BlinkRate",
                    "LineDisplay.Get MarqueeType", "LineDisplay.Get MarqueeFormat"));
    for (const auto& b : boxes) {
        EXPECT_EQ(b.box->Text(), b.shown) << b.typed;
        EXPECT_EQ(b.box->BackColor(), b.back) << b.typed;
    }
    EXPECT_EQ(f.DeviceRows.Caption() + f.DeviceColumns.Caption() + f.CursorType.Caption() + f.CursorUpdate.Caption() +
                  f.CharacterSet.Caption() + f.MarqueeFormat.Caption(),
              "2202True9981");
    const std::pair<int32_t, const char*> tips[] = {{0, "Marquees disabled"},      {1, "Scroll the window up"},
                                                    {2, "Scroll the window down"}, {3, "Scroll the window left"},
                                                    {7, "Scroll the window left"}, {4, "Scroll the window right"},
                                                    {5, "Marquees init mode"},     {-1, "Marquees init mode"}};
    for (const auto& t : tips) {
        co.properties["MarqueeType"] = L(t.first);
        f.RefreshDeviceProperties("LineDisplay");
        EXPECT_EQ(f.MarqueeType.Caption(), std::to_string(t.first));
        EXPECT_EQ(f.MarqueeType.ToolTipText(), t.second) << t.first;
    }
}

// A click sets or clears its bit; every refresh sets the four boxes and the
// tip from TracksToRead.
TEST_F(PanelTest, TrackBoxesFollowTracksToRead) {
    frmMain& f = Select("MSR");
    auto boxes = [&f] {
        std::string v;
        for (const CheckBox* b : {&f.chkTrack1, &f.chkTrack2, &f.chkTrack3, &f.chkTrack4}) v += char('0' + b->Value());
        return v;
    };
    Co("MSR").properties["TracksToRead"] = L(3);
    const struct {
        CheckBox* box;
        int32_t bit;
        int value;  // 2: grayed, which counts as checked
        int32_t tracks;
    } clicks[] = {{&f.chkTrack3, 4, 1, 7}, {&f.chkTrack1, 1, 0, 6}, {&f.chkTrack4, 8, 2, 14}};
    for (const auto& c : clicks) {
        c.box->ValueFromUser(c.value);
        const size_t mark = factory.journal.size();
        f.SetTrackBit(*c.box, c.bit);
        EXPECT_EQ(JournalFrom(mark)[1], "MSR.Put TracksToRead=" + std::to_string(c.tracks));
    }
    const struct {
        int32_t tracks;
        const char* boxes;
        const char* tip;
    } values[] = {{5, "1010", "Track  1, 3"},
                  {16, "0000", "Track "},
                  {15, "1111", "Track  1, 2, 3, 4"},
                  {3, "1100", "Track  1, 2"}};
    for (const auto& v : values) {
        Co("MSR").properties["TracksToRead"] = L(v.tracks);
        f.RefreshDeviceProperties("MSR");
        EXPECT_EQ(f.lblTracksToRead.Caption(), std::to_string(v.tracks));
        EXPECT_EQ(boxes(), v.boxes);
        EXPECT_EQ(f.lblTracksToRead.ToolTipText(), v.tip);
    }
}

// A toolkit that reports changes made from code as clicks: the user's one
// click still writes once and refreshes once.
TEST_F(PanelTest, TrackBoxesSetByTheRefreshDoNotClickAgain) {
    frmMain& f = Select("MSR");
    struct ClickingToolkit : ModelObserver {
        frmMain* form = nullptr;
        void OnModelChanged(ControlModel& control, Prop what, int) override {
            CheckBox* boxes[] = {&form->chkTrack1, &form->chkTrack2, &form->chkTrack3, &form->chkTrack4};
            for (int i = 0; i < 4; ++i) {
                if (&control == boxes[i] && what == Prop::Value) form->SetTrackBit(*boxes[i], 1 << i);
            }
        }
    } toolkit;
    toolkit.form = &f;
    for (CheckBox* b : {&f.chkTrack1, &f.chkTrack2, &f.chkTrack3, &f.chkTrack4}) b->Bind(&toolkit);
    Co("MSR").properties["TracksToRead"] = L(5);  // the refresh checks two more boxes
    f.chkTrack2.ValueFromUser(1);
    const size_t mark = factory.journal.size();
    f.SetTrackBit(f.chkTrack2, 2);
    const auto calls = JournalFrom(mark);
    for (CheckBox* b : {&f.chkTrack1, &f.chkTrack2, &f.chkTrack3, &f.chkTrack4}) b->Bind(nullptr);
    EXPECT_EQ(Count(calls, "MSR.Put TracksToRead=7"), 1u);
    EXPECT_EQ(Count(calls, "MSR.Get AutoDisable"), 1u);
    EXPECT_EQ(f.chkTrack1.Value() + f.chkTrack3.Value(), 2);
}

TEST_F(PanelTest, MsrEventsAndClearInputWriteTheirLines) {
    frmMain& f = Select("MSR");
    auto& msr = Co("MSR");
    msr.properties = {{"Track1Data", OposValue::String("B4111")},
                      {"Track2Data", OposValue::String("4111=25")},
                      {"Track3Data", OposValue::String("")},
                      {"ErrorReportType", L(1)}};
    f.Track4.SetCaption("four");
    for (const auto& d : std::vector<std::pair<int32_t, const char*>>{
             {3, "[3]"}, {255, "[FF]"}, {0x1a2b, "[1A2B]"}, {-1, "[FFFFFFFF]"}, {INT32_MIN, "[80000000]"}}) {
        f.OnDataEvent(msr, d.first);
        EXPECT_EQ(Log().back(), std::string("Data Event : ") + d.second);
    }
    EXPECT_EQ(f.Track1.Caption() + "|" + f.Track2.Caption() + "|" + f.Track3.Caption() + "|" + f.Track4.Caption(),
              "B4111|4111=25||four");

    int32_t response = 12;
    f.OnErrorEvent(msr, 114, 204, 2, &response);
    EXPECT_EQ(Box(mb::kOk, "Trellup"),
              "Error Report Type : [1]\nResult Code : [114]\nResult Code Extended=204]\nError Locus [2]");
    EXPECT_EQ(response, 12);
    f.OnStatusUpdateEvent(msr, 2001);
    EXPECT_EQ(Box(mb::kOk, "Trellup"), "Status Update : [2001]");
    const auto lines = Log();
    EXPECT_THAT(std::vector<std::string>(lines.end() - 2, lines.end()),
                ElementsAre("Error Event", "Status Update Event : [2001]"));

    for (const auto& c : std::vector<std::pair<int32_t, const char*>>{{0, "ClearInput : [0] Success"},
                                                                      {102, "ClearInput : [102] Claimed"},
                                                                      {103, "ClearInput : [103] Not claimed"},
                                                                      {101, ""},
                                                                      {-1, ""}}) {
        f.Track1.SetCaption("data");
        msr.results["ClearInput"] = c.first;
        f.cmdClearInput_Click();
        EXPECT_EQ(Log().back(), c.second);
        EXPECT_EQ(f.Track1.Caption() + f.Track2.Caption() + f.Track3.Caption() + f.Track4.Caption(), "four");
    }
    // The toggles write the negation and log nothing; DataEventEnabled goes
    // through m_Device, TransmitSentinels to the MSR object. The other
    // objects' events have no handlers.
    const auto log = Log();
    msr.properties["TransmitSentinels"] = B(true);
    const size_t mark = factory.journal.size();
    f.cmdEnentEnabled_Click();
    f.cmdTransmitSentinels_Click();
    const auto calls = JournalFrom(mark);
    EXPECT_EQ(Count(calls, "MSR.Put DataEventEnabled=True") + Count(calls, "MSR.Put TransmitSentinels=False"), 2u);
    EXPECT_EQ(f.lblDataEventEnabled.Caption() + f.lblTransmitSentinels.Caption(), "TrueFalse");
    f.OnDataEvent(Co("LineDisplay"), 1);
    f.OnErrorEvent(Co("LineDisplay"), 111, 0, 0, &response);
    f.OnStatusUpdateEvent(Co("LineDisplay"), 1);
    EXPECT_EQ(Log(), log);
    EXPECT_TRUE(shell.boxes.empty());
}

}  // namespace
}  // namespace trellup::test
