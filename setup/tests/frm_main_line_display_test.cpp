// The line display panel through the models: the commands and what they
// send, the number entry of the boxes, the refresh's text box rule and tool
// tips, and the capability report.
#include <gmock/gmock.h>

#include "form_fixture.h"

namespace trellup::testing {
namespace {

using ::testing::ElementsAre;

class LineDisplayPanelTest : public FormTest {
protected:
    frmMain& LoadDisplay() {
        AddDevice("LineDisplay", "VFD1", "OposBench.LineDisplay");
        Load();
        Click("VFD1", "LineDisplay");
        return *form;
    }
};

TEST_F(LineDisplayPanelTest, CommandsSendTheBoxesAndLogTheResult) {
    frmMain& f = LoadDisplay();
    auto& co = Co("LineDisplay");
    co.results = {{"DisplayText", 106}, {"ScrollText", 0}, {"ClearText", 101}};
    struct Case {
        const char* text;   // txtDisplayText
        int type;           // cmbDisplayType index, -1 a typed text
        int scroll;         // cmbScrollText index
        const char* units;  // txtScrollUnits
        void (frmMain::*click)();
        const char* call;   // nullptr: nothing sent, nothing logged
        const char* line;
    };
    const Case cases[] = {
        {"Hello", 3, 0, "1", &frmMain::cmdDisplayText_Click, "Call DisplayText(Hello,3)", "DisplayText : [106] Illegal"},
        {"Hi", -1, 0, "1", &frmMain::cmdDisplayText_Click, "Call DisplayText(Hi,-1)", "DisplayText : [106] Illegal"},
        {"", 0, 0, "1", &frmMain::cmdDisplayText_Click, nullptr, nullptr},
        {"", 0, 0, "1", &frmMain::cmdClearText_Click, "Call ClearText()", "ClearText : [101] Device closed"},
        {"", 0, 2, "2.5", &frmMain::Scroll_Click, "Call ScrollText(3,2)", "ScrollText : [0] Success"},
        {"", 0, 3, " 3.5 ", &frmMain::Scroll_Click, "Call ScrollText(4,4)", "ScrollText : [0] Success"},
        {"", 0, -1, "&H10", &frmMain::Scroll_Click, "Call ScrollText(0,16)", "ScrollText : [0] Success"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.call != nullptr ? c.call : "nothing");
        f.txtDisplayText.SetText(c.text);
        f.cmbDisplayType.SetListIndex(c.type);
        f.cmbScrollText.SetListIndex(c.scroll);
        f.txtScrollUnits.SetText(c.units);
        const auto log = Log();
        const size_t mark = factory.journal.size();
        (f.*c.click)();
        if (c.call == nullptr) {
            EXPECT_TRUE(JournalFrom(mark).empty());
            EXPECT_EQ(Log(), log);
            continue;
        }
        EXPECT_EQ(JournalFrom(mark).front(), std::string("LineDisplay.") + c.call);
        EXPECT_EQ(Log().back(), c.line);
    }
}

TEST_F(LineDisplayPanelTest, UnitsThatAreNoNumberOrOutOfRangeAreRefusedWithTheReason) {
    frmMain& f = LoadDisplay();
    const struct {
        const char* units;
        const char* message;
    } cases[] = {
        {"abc", "Units \"abc\" is not a number.\nScrollText was not sent."},
        {"", "Units \"\" is not a number.\nScrollText was not sent."},
        {"2 x", "Units \"2 x\" is not a number.\nScrollText was not sent."},
        {"3000000000",
         "Units \"3000000000\" is outside the range -2147483648 to 2147483647.\nScrollText was not sent."},
        {"-2147483649",
         "Units \"-2147483649\" is outside the range -2147483648 to 2147483647.\nScrollText was not sent."},
    };
    for (const auto& c : cases) {
        f.txtScrollUnits.SetText(c.units);
        shell.boxes.clear();
        const auto log = Log();
        const size_t mark = factory.journal.size();
        f.Scroll_Click();
        EXPECT_TRUE(JournalFrom(mark).empty()) << c.units;
        EXPECT_EQ(Log(), log);
        ASSERT_EQ(shell.boxes.size(), 1u);
        EXPECT_EQ(shell.boxes[0].text, c.message);
        EXPECT_EQ(shell.boxes[0].style, mb::kOk | mb::kIconStop);
        EXPECT_EQ(shell.boxes[0].caption, "Trellup");
    }
}

// Enter in a property box: the leading number, rounded half to even, put
// back into the box, written to the property and followed by one refresh.
TEST_F(LineDisplayPanelTest, EnterInANumberBoxWritesTheLeadingNumber) {
    frmMain& f = LoadDisplay();
    struct Case {
        TextBox frmMain::*box;
        const char* typed;
        int key;
        const char* shown;  // the box's text afterwards
        const char* put;    // nullptr: nothing sent
        const char* refused;
    };
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
        {&frmMain::txtBlinkRate, "2147483648", 13, "2147483648", nullptr,
         "Blink Rate \"2147483648\" is outside the range -2147483648 to 2147483647.\nBlinkRate was not written."},
        {&frmMain::txtScrollUnits, "1e10", 13, "1e10", nullptr,
         "Units \"1e10\" is outside the range -2147483648 to 2147483647."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed);
        TextBox& box = f.*c.box;
        box.CaptionFromUser(c.typed);
        shell.boxes.clear();
        const auto log = Log();
        const size_t mark = factory.journal.size();
        f.NumberBox_KeyPress(box, c.key);
        const auto calls = JournalFrom(mark);
        EXPECT_EQ(box.Text(), c.shown);
        EXPECT_EQ(Log(), log);
        if (c.put == nullptr) {
            EXPECT_TRUE(calls.empty());
        } else {
            ASSERT_FALSE(calls.empty());
            EXPECT_EQ(calls[0], std::string("LineDisplay.") + c.put);
            EXPECT_EQ(std::count(calls.begin(), calls.end(), "LineDisplay.Get DeviceRows"), 1);
        }
        ASSERT_EQ(shell.boxes.size(), c.refused != nullptr ? 1u : 0u);
        if (c.refused != nullptr) {
            EXPECT_EQ(shell.boxes[0].text, c.refused);
        }
    }
}

// The refresh's values in their order, the text box rule, and BlinkRate
// written without colour.
TEST_F(LineDisplayPanelTest, RefreshShowsTheValuesWithTheTextBoxRule) {
    frmMain& f = LoadDisplay();
    auto& co = Co("LineDisplay");
    co.properties = {{"DeviceRows", OposValue::Long(2)},        {"DeviceColumns", OposValue::Long(20)},
                     {"CursorRow", OposValue::Long(1)},         {"DeviceBrightness", OposValue::Long(100)},
                     {"CursorColumn", OposValue::Long(0)},      {"CursorType", OposValue::Long(2)},
                     {"CursorUpdate", OposValue::Bool(true)},   {"CharacterSet", OposValue::Long(998)},
                     {"BlinkRate", OposValue::Long(500)},       {"MarqueeType", OposValue::Long(0)},
                     {"MarqueeFormat", OposValue::Long(1)}};
    struct Box {
        TextBox frmMain::*box;
        const char* typed;
        const char* shown;
        Colour back;
    };
    const Box boxes[] = {
        {&frmMain::txtCursorRow, "01", "01", kWindowBackground},   // equal as numbers
        {&frmMain::txtDeviceBrightness, "50", "100", kRed},        // not taken: the device's value
        {&frmMain::txtCursorColumn, "", "0", kRed},                // no number
        {&frmMain::txtBlinkRate, "7", "500", kWindowBackground},   // replaced, no colour
    };
    for (const Box& b : boxes) {
        (f.*b.box).CaptionFromUser(b.typed);
    }
    const size_t mark = factory.journal.size();
    f.RefreshDeviceProperties("LineDisplay");
    const auto calls = JournalFrom(mark);
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 11),
                ElementsAre("LineDisplay.Get DeviceRows", "LineDisplay.Get DeviceColumns", "LineDisplay.Get CursorRow",
                            "LineDisplay.Get DeviceBrightness", "LineDisplay.Get CursorColumn",
                            "LineDisplay.Get CursorType", "LineDisplay.Get CursorUpdate",
                            "LineDisplay.Get CharacterSet", "LineDisplay.Get BlinkRate",
                            "LineDisplay.Get MarqueeType", "LineDisplay.Get MarqueeFormat"));
    for (const Box& b : boxes) {
        EXPECT_EQ((f.*b.box).Text(), b.shown) << b.typed;
        EXPECT_EQ((f.*b.box).BackColor(), b.back) << b.typed;
    }
    const std::pair<Label*, const char*> labels[] = {
        {&f.DeviceRows, "2"},       {&f.DeviceColumns, "20"}, {&f.CursorType, "2"},   {&f.CursorUpdate, "True"},
        {&f.CharacterSet, "998"},   {&f.MarqueeType, "0"},    {&f.MarqueeFormat, "1"}};
    for (const auto& l : labels) {
        EXPECT_EQ(l.first->Caption(), l.second) << l.first->name();
        EXPECT_EQ(l.first->BackColor(), kRed) << l.first->name();
    }
}

TEST_F(LineDisplayPanelTest, MarqueeTypeToolTipFollowsTheKnownTypesOnly) {
    frmMain& f = LoadDisplay();
    const struct {
        int32_t type;
        const char* tip;
    } steps[] = {{0, "Marquees disabled"},       {1, "Scroll the window up"},    {2, "Scroll the window down"},
                 {3, "Scroll the window left"},  {7, "Scroll the window left"},  {4, "Scroll the window right"},
                 {5, "Marquees init mode"},      {-1, "Marquees init mode"}};
    for (const auto& s : steps) {
        Co("LineDisplay").properties["MarqueeType"] = OposValue::Long(s.type);
        f.RefreshDeviceProperties("LineDisplay");
        EXPECT_EQ(f.MarqueeType.Caption(), std::to_string(s.type));
        EXPECT_EQ(f.MarqueeType.ToolTipText(), s.tip) << s.type;
    }
}

TEST_F(LineDisplayPanelTest, CapabilityReportLeavesOutValuesWithoutText) {
    frmMain& f = LoadDisplay();
    auto& co = Co("LineDisplay");
    struct Case {
        bool brightness;
        int32_t blink;
        bool blink_rate_cap;
        int32_t blink_rate, character_set, cursor_type, reverse;
        const char* text;
    };
    const Case cases[] = {
        {true, 1, true, 500, 998, 2, 1,
         "\n\nCapBrightness\t: True\n\nCapBlink\t\t: Blink All\n\nCapBlinkRate\t: True\nBlinkRate \t: 500ms\n\n"
         "CapCharacterSet\t: ASCII\n\nCapCursorType\t: Block\n\nCapReverse\t: Reverse All\t\t"},
        {false, 3, false, -5, 10, 6, 9,
         "\n\nCapBrightness\t: False\n\nCapBlinkRate\t: False\nBlinkRate \t: -5ms\n\nCapCharacterSet\t: Kana\n\n"},
        {true, 0, true, 0, 2, 32, 0,
         "\n\nCapBrightness\t: True\n\nCapBlink\t\t: No Blink\n\nCapBlinkRate\t: True\nBlinkRate \t: 0ms\n\n"
         "CapCursorType\t: Other\n\nCapReverse\t: None\t\t"},
    };
    for (const Case& c : cases) {
        co.properties = {{"CapBrightness", OposValue::Bool(c.brightness)}, {"CapBlink", OposValue::Long(c.blink)},
                         {"CapBlinkRate", OposValue::Bool(c.blink_rate_cap)},
                         {"BlinkRate", OposValue::Long(c.blink_rate)},
                         {"CapCharacterSet", OposValue::Long(c.character_set)},
                         {"CapCursorType", OposValue::Long(c.cursor_type)}, {"CapReverse", OposValue::Long(c.reverse)}};
        const auto log = Log();
        f.cmdLineDisplayCap_Click();
        ASSERT_FALSE(shell.boxes.empty());
        EXPECT_EQ(shell.boxes.back().text, c.text);
        EXPECT_EQ(shell.boxes.back().style, mb::kOk | mb::kIconInformation);
        EXPECT_EQ(shell.boxes.back().caption, "Line Display Capability");
        EXPECT_EQ(Log(), log);
    }
}

}  // namespace
}  // namespace trellup::testing
