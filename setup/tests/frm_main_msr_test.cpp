// The MSR panel through the models: track bits and the boxes that follow
// TracksToRead, the event handlers' lines and boxes, ClearInput's words and
// the capability report.
#include <gmock/gmock.h>

#include "form_fixture.h"

namespace trellup::testing {
namespace {

using ::testing::ElementsAre;

class MsrPanelTest : public FormTest {
protected:
    frmMain& LoadMsr() {
        AddDevice("MSR", "M1", "OposBench.MSR");
        Load();
        Click("M1", "MSR");
        return *form;
    }
    fakes::FakeOposControl& Msr() { return Co("MSR"); }
    int Boxes() const {
        int v = 0;
        for (const CheckBox* b : {&form->chkTrack1, &form->chkTrack2, &form->chkTrack3, &form->chkTrack4})
            v = v * 10 + b->Value();
        return v;
    }
};

// A user click on a box writes TracksToRead with its bit set or cleared;
// the refresh then sets every box and the tool tip from the value.
TEST_F(MsrPanelTest, TrackBoxesSetTheirBitsAndFollowTracksToRead) {
    frmMain& f = LoadMsr();
    Msr().properties["TracksToRead"] = OposValue::Long(3);
    struct Step {
        CheckBox frmMain::*box;
        int32_t bit;
        int value;
        const char* put;
        int boxes;  // chkTrack1..4 as digits
        const char* tip;
    };
    const Step steps[] = {
        {&frmMain::chkTrack3, 4, 1, "MSR.Put TracksToRead=7", 1110, "Track  1, 2, 3"},
        {&frmMain::chkTrack1, 1, 0, "MSR.Put TracksToRead=6", 110, "Track  2, 3"},
        {&frmMain::chkTrack4, 8, 2, "MSR.Put TracksToRead=14", 111, "Track  2, 3, 4"},  // grayed counts as checked
    };
    for (const Step& s : steps) {
        (f.*s.box).ValueFromUser(s.value);
        const size_t mark = factory.journal.size();
        f.SetTrackBit(f.*s.box, s.bit);
        const auto calls = JournalFrom(mark);
        EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 2),
                    ElementsAre("MSR.Get TracksToRead", s.put));
        EXPECT_EQ(Boxes(), s.boxes);
        EXPECT_EQ(f.lblTracksToRead.ToolTipText(), s.tip);
    }
    const struct {
        int32_t tracks;
        int boxes;
        const char* tip;
    } values[] = {{5, 1010, "Track  1, 3"}, {16, 0, "Track "}, {0, 0, "Track "}, {15, 1111, "Track  1, 2, 3, 4"},
                  {-1, 1111, "Track  1, 2, 3, 4"}};
    for (const auto& v : values) {
        Msr().properties["TracksToRead"] = OposValue::Long(v.tracks);
        f.RefreshDeviceProperties("MSR");
        EXPECT_EQ(f.lblTracksToRead.Caption(), std::to_string(v.tracks));
        EXPECT_EQ(Boxes(), v.boxes) << v.tracks;
        EXPECT_EQ(f.lblTracksToRead.ToolTipText(), v.tip) << v.tracks;
    }
}

// A toolkit that reports the boxes' changes from code as clicks: the click
// of the user still writes once and refreshes once.
TEST_F(MsrPanelTest, BoxesSetFromTheRefreshDoNotClickAgain) {
    frmMain& f = LoadMsr();
    struct ClickingToolkit : ModelObserver {
        frmMain* form;
        void OnModelChanged(ControlModel& control, Prop what, int) override {
            const int32_t bits[] = {1, 2, 4, 8};
            CheckBox* boxes[] = {&form->chkTrack1, &form->chkTrack2, &form->chkTrack3, &form->chkTrack4};
            for (int i = 0; i < 4; ++i) {
                if (&control == boxes[i] && what == Prop::Value) form->SetTrackBit(*boxes[i], bits[i]);
            }
        }
    } toolkit;
    toolkit.form = &f;
    for (CheckBox* b : {&f.chkTrack1, &f.chkTrack2, &f.chkTrack3, &f.chkTrack4}) b->Bind(&toolkit);
    // Tracks 1 and 3 on the device, not yet shown: the refresh after the
    // click checks two more boxes.
    Msr().properties["TracksToRead"] = OposValue::Long(5);
    f.chkTrack2.ValueFromUser(1);
    const size_t mark = factory.journal.size();
    f.SetTrackBit(f.chkTrack2, 2);
    const auto calls = JournalFrom(mark);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "MSR.Put TracksToRead=7"), 1);
    EXPECT_EQ(std::count(calls.begin(), calls.end(), "MSR.Get AutoDisable"), 1);
    EXPECT_EQ(Boxes(), 1110);
    for (CheckBox* b : {&f.chkTrack1, &f.chkTrack2, &f.chkTrack3, &f.chkTrack4}) b->Bind(nullptr);
}

TEST_F(MsrPanelTest, EventHandlersWriteTheirLines) {
    frmMain& f = LoadMsr();
    auto& msr = Msr();
    msr.properties = {{"Track1Data", OposValue::String("B4111")}, {"Track2Data", OposValue::String("4111=25")},
                      {"Track3Data", OposValue::String("")},      {"ErrorReportType", OposValue::Long(1)}};
    f.Track3.SetCaption("old");
    f.Track4.SetCaption("four");
    const struct {
        int32_t status;
        const char* line;
    } data[] = {{3, "Data Event : [3]"},
                {255, "Data Event : [FF]"},
                {0x1a2b, "Data Event : [1A2B]"},
                {0, "Data Event : [0]"},
                {-1, "Data Event : [FFFFFFFF]"},
                {INT32_MIN, "Data Event : [80000000]"}};
    for (const auto& d : data) {
        f.OnDataEvent(msr, d.status);
        EXPECT_EQ(Log().back(), d.line);
    }
    EXPECT_EQ(f.Track1.Caption(), "B4111");
    EXPECT_EQ(f.Track2.Caption(), "4111=25");
    EXPECT_EQ(f.Track3.Caption(), "");
    EXPECT_EQ(f.Track4.Caption(), "four");

    int32_t response = 12;
    f.OnErrorEvent(msr, 114, 204, 2, &response);
    EXPECT_EQ(response, 12);
    f.OnStatusUpdateEvent(msr, 2001);
    ASSERT_EQ(shell.boxes.size(), 2u);
    EXPECT_EQ(shell.boxes[0].text,
              "Error Report Type : [1]\nResult Code : [114]\nResult Code Extended=204]\nError Locus [2]");
    EXPECT_EQ(shell.boxes[1].text, "Status Update : [2001]");
    for (const auto& box : shell.boxes) {
        EXPECT_EQ(box.style, mb::kOk);
        EXPECT_EQ(box.caption, "Trellup");
    }
    const auto log = Log();
    EXPECT_THAT(std::vector<std::string>(log.end() - 2, log.end()),
                ElementsAre("Error Event", "Status Update Event : [2001]"));

    // The other objects' events have no handlers.
    for (const char* cls : {"LineDisplay", "POSPrinter"}) {
        f.OnDataEvent(Co(cls), 1);
        f.OnErrorEvent(Co(cls), 111, 0, 0, &response);
        f.OnStatusUpdateEvent(Co(cls), 1);
    }
    EXPECT_EQ(Log(), log);
    EXPECT_EQ(shell.boxes.size(), 2u);
}

TEST_F(MsrPanelTest, ClearInputEmptiesTheTracksAndWordsThreeCodes) {
    frmMain& f = LoadMsr();
    const struct {
        int32_t code;
        const char* line;
    } cases[] = {{0, "ClearInput : [0] Success"},
                 {102, "ClearInput : [102] Claimed"},
                 {103, "ClearInput : [103] Not claimed"},
                 {101, ""},
                 {-1, ""}};
    for (const auto& c : cases) {
        for (Label* l : {&f.Track1, &f.Track2, &f.Track3, &f.Track4}) l->SetCaption("data");
        Msr().results["ClearInput"] = c.code;
        const size_t lines = Log().size();
        f.cmdClearInput_Click();
        EXPECT_EQ(Log().size(), lines + 1);
        EXPECT_EQ(Log().back(), c.line);
        EXPECT_EQ(f.m_ResultCode, c.code);
        EXPECT_EQ(f.Track1.Caption() + f.Track2.Caption() + f.Track3.Caption() + f.Track4.Caption(), "data");
    }
}

TEST_F(MsrPanelTest, TogglesWriteTheNegationWithoutALine) {
    frmMain& f = LoadMsr();
    Msr().properties["DataEventEnabled"] = OposValue::Bool(false);
    Msr().properties["TransmitSentinels"] = OposValue::Bool(true);
    const auto log = Log();
    size_t mark = factory.journal.size();
    f.cmdEnentEnabled_Click();
    const auto calls = JournalFrom(mark);
    EXPECT_THAT(std::vector<std::string>(calls.begin(), calls.begin() + 2),
                ElementsAre("MSR.Get DataEventEnabled", "MSR.Put DataEventEnabled=True"));
    mark = factory.journal.size();
    f.cmdTransmitSentinels_Click();
    EXPECT_EQ(JournalFrom(mark)[1], "MSR.Put TransmitSentinels=False");
    EXPECT_EQ(f.lblDataEventEnabled.Caption(), "True");
    EXPECT_EQ(f.lblTransmitSentinels.Caption(), "False");
    EXPECT_EQ(f.lblAutoDisable.Caption(), "False");
    EXPECT_EQ(Log(), log);
}

TEST_F(MsrPanelTest, CapabilityReportShowsTheFiveValues) {
    frmMain& f = LoadMsr();
    const struct {
        bool iso, jis_one, jis_two, sentinels;
        int32_t power;
        const char* text;
    } cases[] = {
        {true, false, false, true, 0,
         "\n\nCapISO\t\t: True\n\nCapJISOne\t: False\n\nCapJISTwo\t: False\n\nCapTransmitSentinels: True"
         "\n\nCapPowerReporting\t: None\t"},
        {false, true, true, false, 3,
         "\n\nCapISO\t\t: False\n\nCapJISOne\t: True\n\nCapJISTwo\t: True\n\nCapTransmitSentinels: False"
         "\n\nCapPowerReporting\t: \t"},
    };
    for (const auto& c : cases) {
        Msr().properties = {{"CapISO", OposValue::Bool(c.iso)}, {"CapJISOne", OposValue::Bool(c.jis_one)},
                            {"CapJISTwo", OposValue::Bool(c.jis_two)},
                            {"CapTransmitSentinels", OposValue::Bool(c.sentinels)},
                            {"CapPowerReporting", OposValue::Long(c.power)}};
        f.cmdMSRCap_Click();
        ASSERT_FALSE(shell.boxes.empty());
        EXPECT_EQ(shell.boxes.back().text, c.text);
        EXPECT_EQ(shell.boxes.back().style, mb::kOk | mb::kIconInformation);
        EXPECT_EQ(shell.boxes.back().caption, "MSR Capability");
    }
}

}  // namespace
}  // namespace trellup::testing
