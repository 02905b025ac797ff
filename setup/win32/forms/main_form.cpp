// The main window's controls, one row each: ID, kind, model, place (96-DPI
// pixels inside its parent), and what user input on it runs.
#include "main_window.h"
#include "resource_ids.h"

namespace trellup::win32 {
namespace {

using K = ControlKind;

constexpr int kRow = 24;  // one row of a title and its value label
constexpr int kLabelH = 20;

}  // namespace

constexpr int kLogLeft = 864;
constexpr int kLogLeastWidth = 120;
constexpr int kMargin = 8;

SIZE MainClientSize() { return SIZE{1096, 620}; }
SIZE MainMinimumClientSize() { return SIZE{kLogLeft + kLogLeastWidth + kMargin, 620}; }

// A table keeps its columns.
// clang-format off
FormTable MainForm(frmMain& f) {
    // The number boxes take Enter themselves; every other key is typed.
    auto enter = [&f](TextBox& box) { return [&f, &box] { f.NumberBox_KeyPress(box, 13); }; };
    FormTable l;
    l.push_back(FormRow{IDC_TreeView1, K::TreeView, &f.TreeView1, 0, 8, 8, 160, 604}.Grows(Grow::Down).Named("Devices"));

    l.push_back({IDC_Frame2, K::Frame, &f.Frame2, 0, 176, 8, 412, 130});
    l.push_back(Title(IDC_Frame2, 12, 24, 84, "SO Name"));
    l.push_back(FormRow{IDC_lblSOName, K::Label, &f.lblSOName, IDC_Frame2, 100, 24, 300, kLabelH}.TipCaption());
    l.push_back(Title(IDC_Frame2, 12, 48, 84, "Description"));
    l.push_back(FormRow{IDC_lblSODescription, K::Label, &f.lblSODescription, IDC_Frame2, 100, 48, 300, kLabelH}
                    .TipCaption());
    l.push_back(Title(IDC_Frame2, 12, 76, 84, "Device Name"));
    l.push_back({IDC_lblDeviceName, K::Label, &f.lblDeviceName, IDC_Frame2, 100, 76, 300, kLabelH});
    l.push_back(Title(IDC_Frame2, 12, 100, 84, "Description"));
    l.push_back(
        FormRow{IDC_lblDeviceDescription, K::Label, &f.lblDeviceDescription, IDC_Frame2, 100, 100, 300, kLabelH}
            .TipCaption());

    l.push_back({IDC_chkUserMode, K::CheckBox, &f.chkUserMode, 0, 186, 148, 110, 20});
    l.push_back({IDC_chkClearLog, K::CheckBox, &f.chkClearLog, 0, 306, 148, 250, 20});
    l.push_back(FormRow{IDC_Image1, K::Picture, &f.Image1, 0, 186, 184, 40, 40}
                    .Icon(IDI_CREATE_CASH_DRAWER, 32)
                    .Click([&f] { f.Image1_Click(); }));
    l.push_back(FormRow{IDC_Image2, K::Picture, &f.Image2, 0, 234, 184, 40, 40}
                    .Icon(IDI_CREATE_MSR, 32)
                    .Click([&f] { f.Image2_Click(); }));
    l.push_back(FormRow{IDC_Image3, K::Picture, &f.Image3, 0, 282, 184, 40, 40}
                    .Icon(IDI_CREATE_VFD, 32)
                    .Click([&f] { f.Image3_Click(); }));
    l.push_back(FormRow{IDC_Image4, K::Picture, &f.Image4, 0, 330, 184, 40, 40}
                    .Icon(IDI_CREATE_PRINTER, 32)
                    .Click([&f] { f.Image4_Click(); }));

    l.push_back({IDC_Frame1, K::Frame, &f.Frame1, 0, 596, 8, 260, 604});

    // The common property list: title and value label, row by row.
    struct Row {
        const char* title;
        int id;
        Label* label;
        const char* name = nullptr;  // where the title does not name it
        bool tip_caption = false;
    };
    const Row rows[] = {
        {"SO Description", IDC_SODescription1, &f.SODescription1, nullptr, true},
        {"Ver.", IDC_SOVersion1, &f.SOVersion1, "SO Version", false},
        {"CO Description", IDC_CODescription, &f.CODescription, nullptr, true},
        {"Ver.", IDC_COVersion, &f.COVersion, "CO Version", false},
        {"Enabled", IDC_DeviceEnabled, &f.DeviceEnabled},
        {"Claimed", IDC_Claimed, &f.Claimed},
        {"FreezeEvents", IDC_FreezeEvents, &f.FreezeEvents},
        {"OpenResult", IDC_OpenResult, &f.OpenResult},
        {"PowerNotify", IDC_PowerNotify, &f.PowerNotify},
        {"PowerState", IDC_PowerState, &f.PowerState},
        {"Result Code", IDC_ResultCode, &f.ResultCode},
        {"ResultCodeExtended", IDC_ResultCodeExtended, &f.ResultCodeExtended},
        {"State", IDC_State, &f.State},
    };
    int y = 24;
    for (const Row& r : rows) {
        l.push_back(Title(IDC_Frame1, 12, y, 112, r.title));
        FormRow label{r.id, K::Label, r.label, IDC_Frame1, 126, y, 122, kLabelH};
        label.name = r.name;
        label.tip_caption = r.tip_caption;
        l.push_back(std::move(label));
        y += kRow;
    }
    y += 12;
    const std::tuple<int, Button*, void (frmMain::*)()> buttons[] = {
        {IDC_cmdOpen, &f.cmdOpen, &frmMain::cmdOpen_Click},          {IDC_cmdClaim, &f.cmdClaim, &frmMain::cmdClaim_Click},
        {IDC_cmdEnable, &f.cmdEnable, &frmMain::cmdEnable_Click},    {IDC_cmdEventOn, &f.cmdEventOn, &frmMain::cmdEventOn_Click},
        {IDC_cmdRelease, &f.cmdRelease, &frmMain::cmdRelease_Click}, {IDC_cmdClose, &f.cmdClose, &frmMain::cmdClose_Click}};
    for (const auto& [id, button, click] : buttons) {
        l.push_back(FormRow{id, K::Button, button, IDC_Frame1, 12, y, 236, 28}.Click([&f, click = click] { (f.*click)(); }));
        y += 36;
    }

    l.push_back(FormRow{IDC_List1, K::ListBox, &f.List1, 0, kLogLeft, 8, 224, 604}
                    .Grows(Grow::RightDown)
                    .Named("Result Information"));

    // The four test frames share one place; each holds its class's panel.
    const int fx = kTestFrameLeft, fy = kTestFrameTop, fw = 412, fh = 324;
    const int cd = IDC_frameCashDrawer, ld = IDC_frameLineDisplay, msr = IDC_frameMSR;
    l.push_back({cd, K::Frame, &f.frameCashDrawer, 0, fx, fy, fw, fh});
    l.push_back(FormRow{IDC_cmdFire, K::Button, &f.cmdFire, cd, 16, 28, 140, 30}.Click([&f] { f.cmdFire_Click(); }));
    l.push_back(FormRow{IDC_cmdWaitCashDrawerClose, K::Button, &f.cmdWaitCashDrawerClose, cd, 16, 66, 140, 30}
                    .Click([&f] { f.cmdWaitCashDrawerClose_Click(); }));
    l.push_back(FormRow{IDC_cmdCashDrawerCap, K::Button, &f.cmdCashDrawerCap, cd, 16, 104, 140, 30}
                    .Click([&f] { f.cmdCashDrawerCap_Click(); }));
    l.push_back(Title(cd, 180, 32, 110, "DrawerOpened"));
    l.push_back({IDC_DrawerOpened, K::Label, &f.DrawerOpened, cd, 296, 32, 80, kLabelH});
    l.push_back(Title(cd, 180, 64, 110, "Pulse On Time"));
    l.push_back({IDC_lblPulseOnTime, K::Label, &f.lblPulseOnTime, cd, 296, 64, 80, kLabelH});
    l.push_back(Title(cd, 382, 64, 24, "ms"));
    l.push_back(Title(cd, 180, 88, 110, "Time Out"));
    l.push_back({IDC_lblTimeout, K::Label, &f.lblTimeout, cd, 296, 88, 80, kLabelH});
    l.push_back(Title(cd, 382, 88, 24, "ms"));
    l.push_back(Title(cd, 180, 112, 110, "Open Status Phase"));
    l.push_back({IDC_lblOpenStatusPhase, K::Label, &f.lblOpenStatusPhase, cd, 296, 112, 80, kLabelH});
    l.push_back(FormRow{IDC_CashDrawerClose, K::Picture, &f.CashDrawerClose, cd, 160, 160, 128, 128}.Icon(
        IDI_DRAWER_CLOSED, 64));
    l.push_back(
        FormRow{IDC_CashDrawerOpen, K::Picture, &f.CashDrawerOpen, cd, 160, 160, 128, 128}.Icon(IDI_DRAWER_OPEN, 64));

    l.push_back({ld, K::Frame, &f.frameLineDisplay, 0, fx, fy, fw, fh});
    l.push_back(FormRow{IDC_txtDisplayText, K::TextBox, &f.txtDisplayText, ld, 16, 28, 228, 22}.Named("Display Text"));
    l.push_back(
        FormRow{IDC_cmbDisplayType, K::ComboBox, &f.cmbDisplayType, ld, 252, 28, 144, 200}.Named("Display Type"));
    l.push_back(FormRow{IDC_cmdDisplayText, K::Button, &f.cmdDisplayText, ld, 16, 58, 110, 28}.Click(
        [&f] { f.cmdDisplayText_Click(); }));
    l.push_back(FormRow{IDC_cmdClearText, K::Button, &f.cmdClearText, ld, 134, 58, 110, 28}.Click(
        [&f] { f.cmdClearText_Click(); }));
    l.push_back(Title(ld, 16, 100, 100, "Scroll Direction"));
    l.push_back({IDC_cmbScrollText, K::ComboBox, &f.cmbScrollText, ld, 120, 98, 80, 200});
    l.push_back(Title(ld, 210, 100, 34, "Units"));
    l.push_back(FormRow{IDC_txtScrollUnits, K::TextBox, &f.txtScrollUnits, ld, 248, 98, 40, 22}.Enter(
        enter(f.txtScrollUnits)));
    l.push_back(FormRow{IDC_Scroll, K::Button, &f.Scroll, ld, 296, 95, 100, 28}.Click([&f] { f.Scroll_Click(); }));
    l.push_back(Title(ld, 16, 138, 120, "Blink Rate(ms)"));
    l.push_back(
        FormRow{IDC_txtBlinkRate, K::TextBox, &f.txtBlinkRate, ld, 144, 136, 56, 22}.Enter(enter(f.txtBlinkRate)));
    l.push_back(Title(ld, 16, 166, 120, "Cursor Column, Row"));
    l.push_back(FormRow{IDC_txtCursorColumn, K::TextBox, &f.txtCursorColumn, ld, 144, 164, 56, 22}
                    .Named("Cursor Column")
                    .Enter(enter(f.txtCursorColumn)));
    l.push_back(FormRow{IDC_txtCursorRow, K::TextBox, &f.txtCursorRow, ld, 206, 164, 56, 22}
                    .Named("Cursor Row")
                    .Enter(enter(f.txtCursorRow)));
    l.push_back(Title(ld, 16, 194, 120, "Brightness"));
    l.push_back(FormRow{IDC_txtDeviceBrightness, K::TextBox, &f.txtDeviceBrightness, ld, 144, 192, 56, 22}.Enter(
        enter(f.txtDeviceBrightness)));
    l.push_back(FormRow{IDC_cmdLineDisplayCap, K::Button, &f.cmdLineDisplayCap, ld, 280, 186, 116, 28}.Click(
        [&f] { f.cmdLineDisplayCap_Click(); }));
    l.push_back(Title(ld, 16, 230, 96, "CharacterSet"));
    l.push_back({IDC_CharacterSet, K::Label, &f.CharacterSet, ld, 116, 230, 70, kLabelH});
    l.push_back(Title(ld, 206, 230, 120, "MarqueeFormat"));
    l.push_back({IDC_MarqueeFormat, K::Label, &f.MarqueeFormat, ld, 326, 230, 70, kLabelH});
    l.push_back(Title(ld, 16, 256, 96, "MarqueeType"));
    l.push_back({IDC_MarqueeType, K::Label, &f.MarqueeType, ld, 116, 256, 70, kLabelH});
    l.push_back(Title(ld, 206, 256, 120, "Cursor Update"));
    l.push_back({IDC_CursorUpdate, K::Label, &f.CursorUpdate, ld, 326, 256, 70, kLabelH});
    l.push_back(Title(ld, 16, 282, 96, "Cursor Type"));
    l.push_back({IDC_CursorType, K::Label, &f.CursorType, ld, 116, 282, 70, kLabelH});
    l.push_back(Title(ld, 206, 282, 120, "Device Columns, Rows"));
    l.push_back(FormRow{IDC_DeviceColumns, K::Label, &f.DeviceColumns, ld, 326, 282, 33, kLabelH}.Named(
        "Device Columns"));
    l.push_back(FormRow{IDC_DeviceRows, K::Label, &f.DeviceRows, ld, 363, 282, 33, kLabelH}.Named("Device Rows"));

    l.push_back({msr, K::Frame, &f.frameMSR, 0, fx, fy, fw, fh});
    // Each track: its check box (the bit it sets in the tracks to read) and its data.
    const std::tuple<int, CheckBox*, int, Label*, const char*> tracks[] = {
        {IDC_chkTrack1, &f.chkTrack1, IDC_Track1, &f.Track1, "Track 1 Data"},
        {IDC_chkTrack2, &f.chkTrack2, IDC_Track2, &f.Track2, "Track 2 Data"},
        {IDC_chkTrack3, &f.chkTrack3, IDC_Track3, &f.Track3, "Track 3 Data"},
        {IDC_chkTrack4, &f.chkTrack4, IDC_Track4, &f.Track4, "Track 4 Data"},
    };
    y = 28;
    int bit = 1;
    for (const auto& [check_id, check, data_id, data, name] : tracks) {
        l.push_back(FormRow{check_id, K::CheckBox, check, msr, 16, y, 110, 20}.Click(
            [&f, check = check, bit] { f.SetTrackBit(*check, bit); }));
        l.push_back(FormRow{data_id, K::Label, data, msr, 130, y, 266, kLabelH}.Named(name));
        y += 26;
        bit *= 2;
    }
    l.push_back(FormRow{IDC_cmdEnentEnabled, K::Button, &f.cmdEnentEnabled, msr, 16, 146, 140, 28}.Click(
        [&f] { f.cmdEnentEnabled_Click(); }));
    l.push_back(FormRow{IDC_cmdTransmitSentinels, K::Button, &f.cmdTransmitSentinels, msr, 16, 182, 140, 28}.Click(
        [&f] { f.cmdTransmitSentinels_Click(); }));
    l.push_back(FormRow{IDC_cmdClearInput, K::Button, &f.cmdClearInput, msr, 16, 218, 140, 28}.Click(
        [&f] { f.cmdClearInput_Click(); }));
    l.push_back(FormRow{IDC_cmdMSRCap, K::Button, &f.cmdMSRCap, msr, 16, 254, 140, 28}.Click(
        [&f] { f.cmdMSRCap_Click(); }));
    l.push_back(Title(msr, 180, 150, 120, "TrackToRead"));
    l.push_back({IDC_lblTracksToRead, K::Label, &f.lblTracksToRead, msr, 300, 150, 96, kLabelH});
    l.push_back(Title(msr, 180, 186, 120, "DataEventEnabled"));
    l.push_back({IDC_lblDataEventEnabled, K::Label, &f.lblDataEventEnabled, msr, 300, 186, 96, kLabelH});
    l.push_back(Title(msr, 180, 222, 120, "TransmitSentinels"));
    l.push_back({IDC_lblTransmitSentinels, K::Label, &f.lblTransmitSentinels, msr, 300, 222, 96, kLabelH});
    l.push_back(Title(msr, 180, 258, 120, "AutoDisable"));
    l.push_back({IDC_lblAutoDisable, K::Label, &f.lblAutoDisable, msr, 300, 258, 96, kLabelH});

    l.push_back({IDC_framePOSPrinter, K::Frame, &f.framePOSPrinter, 0, fx, fy, fw, fh});
    return l;
}
// clang-format on

std::map<const MenuItem*, UINT> MainMenuIds(frmMain& f) {
    return {
        {&f.Menu_Add_New_Device, IDM_Menu_Add_New_Device},
        {&f.Menu_Class_Rescan, IDM_Menu_Class_Rescan},
        {&f.Menu_Check_Health_Internal, IDM_Menu_Check_Health_Internal},
        {&f.Menu_Check_Health_External, IDM_Menu_Check_Health_External},
        {&f.Menu_Check_Health_Interactive, IDM_Menu_Check_Health_Interactive},
        {&f.Menu_Device_Property, IDM_Menu_Device_Property},
        {&f.Menu_Delete_Device, IDM_Menu_Delete_Device},
        {&f.Menu_Device_Rescan, IDM_Menu_Device_Rescan},
    };
}

}  // namespace trellup::win32
