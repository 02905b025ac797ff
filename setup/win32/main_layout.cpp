// Where every control of the main window lies (96-DPI pixels, inside its
// parent) and what user input on it runs.
#include "main_window.h"
#include "resource_ids.h"

namespace trellup::win32 {
namespace {

using K = ControlKind;

// A title: a static text that names the value beside it.
LayoutEntry Title(int parent, int x, int y, int w, const char* text) {
    return LayoutEntry{0, K::Title, nullptr, parent, x, y + 3, w, 16, text};
}

constexpr int kRow = 24;  // one row of a title and its value label
constexpr int kLabelH = 20;

}  // namespace

constexpr int kLogLeft = 864;
constexpr int kLogLeastWidth = 120;
constexpr int kMargin = 8;

SIZE MainClientSize() { return SIZE{1096, 620}; }
SIZE MainMinimumClientSize() { return SIZE{kLogLeft + kLogLeastWidth + kMargin, 620}; }

std::vector<LayoutEntry> MainLayout(frmMain& f) {
    std::vector<LayoutEntry> l = {
        {IDC_TreeView1, K::TreeView, &f.TreeView1, 0, 8, 8, 160, 604, nullptr, Grow::Down},

        {IDC_Frame2, K::Frame, &f.Frame2, 0, 176, 8, 412, 130, nullptr},
        Title(IDC_Frame2, 12, 24, 84, "SO Name"),
        {IDC_lblSOName, K::Label, &f.lblSOName, IDC_Frame2, 100, 24, 300, kLabelH, nullptr},
        Title(IDC_Frame2, 12, 48, 84, "Description"),
        {IDC_lblSODescription, K::Label, &f.lblSODescription, IDC_Frame2, 100, 48, 300, kLabelH, nullptr},
        Title(IDC_Frame2, 12, 76, 84, "Device Name"),
        {IDC_lblDeviceName, K::Label, &f.lblDeviceName, IDC_Frame2, 100, 76, 300, kLabelH, nullptr},
        Title(IDC_Frame2, 12, 100, 84, "Description"),
        {IDC_lblDeviceDescription, K::Label, &f.lblDeviceDescription, IDC_Frame2, 100, 100, 300, kLabelH, nullptr},

        {IDC_chkUserMode, K::CheckBox, &f.chkUserMode, 0, 186, 148, 110, 20, nullptr},
        {IDC_chkClearLog, K::CheckBox, &f.chkClearLog, 0, 306, 148, 250, 20, nullptr},
        {IDC_Image1, K::Picture, &f.Image1, 0, 186, 184, 40, 40, nullptr},
        {IDC_Image2, K::Picture, &f.Image2, 0, 234, 184, 40, 40, nullptr},
        {IDC_Image3, K::Picture, &f.Image3, 0, 282, 184, 40, 40, nullptr},
        {IDC_Image4, K::Picture, &f.Image4, 0, 330, 184, 40, 40, nullptr},

        {IDC_Frame1, K::Frame, &f.Frame1, 0, 596, 8, 260, 604, nullptr},
    };

    // The common property list: title and value label, row by row.
    struct Row {
        const char* title;
        int id;
        Label* label;
    };
    const Row rows[] = {
        {"SO Description", IDC_SODescription1, &f.SODescription1}, {"Ver.", IDC_SOVersion1, &f.SOVersion1},
        {"CO Description", IDC_CODescription, &f.CODescription},   {"Ver.", IDC_COVersion, &f.COVersion},
        {"Enabled", IDC_DeviceEnabled, &f.DeviceEnabled},          {"Claimed", IDC_Claimed, &f.Claimed},
        {"FreezeEvents", IDC_FreezeEvents, &f.FreezeEvents},       {"OpenResult", IDC_OpenResult, &f.OpenResult},
        {"PowerNotify", IDC_PowerNotify, &f.PowerNotify},          {"PowerState", IDC_PowerState, &f.PowerState},
        {"Result Code", IDC_ResultCode, &f.ResultCode},
        {"ResultCodeExtended", IDC_ResultCodeExtended, &f.ResultCodeExtended},
        {"State", IDC_State, &f.State},
    };
    int y = 24;
    for (const Row& r : rows) {
        l.push_back(Title(IDC_Frame1, 12, y, 112, r.title));
        l.push_back({r.id, K::Label, r.label, IDC_Frame1, 126, y, 122, kLabelH, nullptr});
        y += kRow;
    }
    y += 12;
    const std::pair<int, Button*> buttons[] = {{IDC_cmdOpen, &f.cmdOpen},       {IDC_cmdClaim, &f.cmdClaim},
                                               {IDC_cmdEnable, &f.cmdEnable},   {IDC_cmdEventOn, &f.cmdEventOn},
                                               {IDC_cmdRelease, &f.cmdRelease}, {IDC_cmdClose, &f.cmdClose}};
    for (const auto& [id, button] : buttons) {
        l.push_back({id, K::Button, button, IDC_Frame1, 12, y, 236, 28, nullptr});
        y += 36;
    }

    l.push_back({IDC_List1, K::ListBox, &f.List1, 0, kLogLeft, 8, 224, 604, nullptr, Grow::RightDown});

    // The four test frames share one place; each holds its class's panel.
    const int fx = kTestFrameLeft, fy = kTestFrameTop, fw = 412, fh = 324;
    const std::vector<LayoutEntry> panels = {
        {IDC_frameCashDrawer, K::Frame, &f.frameCashDrawer, 0, fx, fy, fw, fh, nullptr},
        {IDC_cmdFire, K::Button, &f.cmdFire, IDC_frameCashDrawer, 16, 28, 140, 30, nullptr},
        {IDC_cmdWaitCashDrawerClose, K::Button, &f.cmdWaitCashDrawerClose, IDC_frameCashDrawer, 16, 66, 140, 30,
         nullptr},
        {IDC_cmdCashDrawerCap, K::Button, &f.cmdCashDrawerCap, IDC_frameCashDrawer, 16, 104, 140, 30, nullptr},
        Title(IDC_frameCashDrawer, 180, 32, 110, "DrawerOpened"),
        {IDC_DrawerOpened, K::Label, &f.DrawerOpened, IDC_frameCashDrawer, 296, 32, 80, kLabelH, nullptr},
        Title(IDC_frameCashDrawer, 180, 64, 110, "Pulse On Time"),
        {IDC_lblPulseOnTime, K::Label, &f.lblPulseOnTime, IDC_frameCashDrawer, 296, 64, 80, kLabelH, nullptr},
        Title(IDC_frameCashDrawer, 382, 64, 24, "ms"),
        Title(IDC_frameCashDrawer, 180, 88, 110, "Time Out"),
        {IDC_lblTimeout, K::Label, &f.lblTimeout, IDC_frameCashDrawer, 296, 88, 80, kLabelH, nullptr},
        Title(IDC_frameCashDrawer, 382, 88, 24, "ms"),
        Title(IDC_frameCashDrawer, 180, 112, 110, "Open Status Phase"),
        {IDC_lblOpenStatusPhase, K::Label, &f.lblOpenStatusPhase, IDC_frameCashDrawer, 296, 112, 80, kLabelH,
         nullptr},
        {IDC_CashDrawerClose, K::Picture, &f.CashDrawerClose, IDC_frameCashDrawer, 160, 160, 128, 128, nullptr},
        {IDC_CashDrawerOpen, K::Picture, &f.CashDrawerOpen, IDC_frameCashDrawer, 160, 160, 128, 128, nullptr},

        {IDC_frameLineDisplay, K::Frame, &f.frameLineDisplay, 0, fx, fy, fw, fh, nullptr},
        {IDC_txtDisplayText, K::TextBox, &f.txtDisplayText, IDC_frameLineDisplay, 16, 28, 228, 22, nullptr},
        {IDC_cmbDisplayType, K::ComboBox, &f.cmbDisplayType, IDC_frameLineDisplay, 252, 28, 144, 200, nullptr},
        {IDC_cmdDisplayText, K::Button, &f.cmdDisplayText, IDC_frameLineDisplay, 16, 58, 110, 28, nullptr},
        {IDC_cmdClearText, K::Button, &f.cmdClearText, IDC_frameLineDisplay, 134, 58, 110, 28, nullptr},
        Title(IDC_frameLineDisplay, 16, 100, 100, "Scroll Direction"),
        {IDC_cmbScrollText, K::ComboBox, &f.cmbScrollText, IDC_frameLineDisplay, 120, 98, 80, 200, nullptr},
        Title(IDC_frameLineDisplay, 210, 100, 34, "Units"),
        {IDC_txtScrollUnits, K::TextBox, &f.txtScrollUnits, IDC_frameLineDisplay, 248, 98, 40, 22, nullptr},
        {IDC_Scroll, K::Button, &f.Scroll, IDC_frameLineDisplay, 296, 95, 100, 28, nullptr},
        Title(IDC_frameLineDisplay, 16, 138, 120, "Blink Rate(ms)"),
        {IDC_txtBlinkRate, K::TextBox, &f.txtBlinkRate, IDC_frameLineDisplay, 144, 136, 56, 22, nullptr},
        Title(IDC_frameLineDisplay, 16, 166, 120, "Cursor Column, Row"),
        {IDC_txtCursorColumn, K::TextBox, &f.txtCursorColumn, IDC_frameLineDisplay, 144, 164, 56, 22, nullptr},
        {IDC_txtCursorRow, K::TextBox, &f.txtCursorRow, IDC_frameLineDisplay, 206, 164, 56, 22, nullptr},
        Title(IDC_frameLineDisplay, 16, 194, 120, "Brightness"),
        {IDC_txtDeviceBrightness, K::TextBox, &f.txtDeviceBrightness, IDC_frameLineDisplay, 144, 192, 56, 22,
         nullptr},
        {IDC_cmdLineDisplayCap, K::Button, &f.cmdLineDisplayCap, IDC_frameLineDisplay, 280, 186, 116, 28, nullptr},
        Title(IDC_frameLineDisplay, 16, 230, 96, "CharacterSet"),
        {IDC_CharacterSet, K::Label, &f.CharacterSet, IDC_frameLineDisplay, 116, 230, 70, kLabelH, nullptr},
        Title(IDC_frameLineDisplay, 206, 230, 120, "MarqueeFormat"),
        {IDC_MarqueeFormat, K::Label, &f.MarqueeFormat, IDC_frameLineDisplay, 326, 230, 70, kLabelH, nullptr},
        Title(IDC_frameLineDisplay, 16, 256, 96, "MarqueeType"),
        {IDC_MarqueeType, K::Label, &f.MarqueeType, IDC_frameLineDisplay, 116, 256, 70, kLabelH, nullptr},
        Title(IDC_frameLineDisplay, 206, 256, 120, "Cursor Update"),
        {IDC_CursorUpdate, K::Label, &f.CursorUpdate, IDC_frameLineDisplay, 326, 256, 70, kLabelH, nullptr},
        Title(IDC_frameLineDisplay, 16, 282, 96, "Cursor Type"),
        {IDC_CursorType, K::Label, &f.CursorType, IDC_frameLineDisplay, 116, 282, 70, kLabelH, nullptr},
        Title(IDC_frameLineDisplay, 206, 282, 120, "Device Columns, Rows"),
        {IDC_DeviceColumns, K::Label, &f.DeviceColumns, IDC_frameLineDisplay, 326, 282, 33, kLabelH, nullptr},
        {IDC_DeviceRows, K::Label, &f.DeviceRows, IDC_frameLineDisplay, 363, 282, 33, kLabelH, nullptr},

        {IDC_frameMSR, K::Frame, &f.frameMSR, 0, fx, fy, fw, fh, nullptr},
        {IDC_chkTrack1, K::CheckBox, &f.chkTrack1, IDC_frameMSR, 16, 28, 110, 20, nullptr},
        {IDC_Track1, K::Label, &f.Track1, IDC_frameMSR, 130, 28, 266, kLabelH, nullptr},
        {IDC_chkTrack2, K::CheckBox, &f.chkTrack2, IDC_frameMSR, 16, 54, 110, 20, nullptr},
        {IDC_Track2, K::Label, &f.Track2, IDC_frameMSR, 130, 54, 266, kLabelH, nullptr},
        {IDC_chkTrack3, K::CheckBox, &f.chkTrack3, IDC_frameMSR, 16, 80, 110, 20, nullptr},
        {IDC_Track3, K::Label, &f.Track3, IDC_frameMSR, 130, 80, 266, kLabelH, nullptr},
        {IDC_chkTrack4, K::CheckBox, &f.chkTrack4, IDC_frameMSR, 16, 106, 110, 20, nullptr},
        {IDC_Track4, K::Label, &f.Track4, IDC_frameMSR, 130, 106, 266, kLabelH, nullptr},
        {IDC_cmdEnentEnabled, K::Button, &f.cmdEnentEnabled, IDC_frameMSR, 16, 146, 140, 28, nullptr},
        {IDC_cmdTransmitSentinels, K::Button, &f.cmdTransmitSentinels, IDC_frameMSR, 16, 182, 140, 28, nullptr},
        {IDC_cmdClearInput, K::Button, &f.cmdClearInput, IDC_frameMSR, 16, 218, 140, 28, nullptr},
        {IDC_cmdMSRCap, K::Button, &f.cmdMSRCap, IDC_frameMSR, 16, 254, 140, 28, nullptr},
        Title(IDC_frameMSR, 180, 150, 120, "TrackToRead"),
        {IDC_lblTracksToRead, K::Label, &f.lblTracksToRead, IDC_frameMSR, 300, 150, 96, kLabelH, nullptr},
        Title(IDC_frameMSR, 180, 186, 120, "DataEventEnabled"),
        {IDC_lblDataEventEnabled, K::Label, &f.lblDataEventEnabled, IDC_frameMSR, 300, 186, 96, kLabelH, nullptr},
        Title(IDC_frameMSR, 180, 222, 120, "TransmitSentinels"),
        {IDC_lblTransmitSentinels, K::Label, &f.lblTransmitSentinels, IDC_frameMSR, 300, 222, 96, kLabelH, nullptr},
        Title(IDC_frameMSR, 180, 258, 120, "AutoDisable"),
        {IDC_lblAutoDisable, K::Label, &f.lblAutoDisable, IDC_frameMSR, 300, 258, 96, kLabelH, nullptr},

        {IDC_framePOSPrinter, K::Frame, &f.framePOSPrinter, 0, fx, fy, fw, fh, nullptr},
    };
    l.insert(l.end(), panels.begin(), panels.end());
    return l;
}

std::map<int, const char*> MainAccessibleNames() {
    // Controls without a title just before them; the others take that title.
    return {
        {IDC_TreeView1, "Devices"},          {IDC_List1, "Result Information"},
        {IDC_SOVersion1, "SO Version"},      {IDC_COVersion, "CO Version"},
        {IDC_txtDisplayText, "Display Text"}, {IDC_cmbDisplayType, "Display Type"},
        {IDC_txtCursorColumn, "Cursor Column"}, {IDC_txtCursorRow, "Cursor Row"},
        {IDC_DeviceColumns, "Device Columns"}, {IDC_DeviceRows, "Device Rows"},
        {IDC_Track1, "Track 1 Data"},        {IDC_Track2, "Track 2 Data"},
        {IDC_Track3, "Track 3 Data"},        {IDC_Track4, "Track 4 Data"},
    };
}

std::vector<ControlAction> MainActions(frmMain& f) {
    auto click = [](int id, std::function<void()> run) { return ControlAction{id, std::move(run), nullptr}; };
    // The number boxes take Enter (13) themselves; every other key is typed.
    auto enter = [&f](int id, TextBox& box) {
        return ControlAction{id, nullptr, [&f, &box](int key) {
                                 if (key != 13) return false;
                                 f.NumberBox_KeyPress(box, key);
                                 return true;
                             }};
    };
    return {
        click(IDC_cmdOpen, [&f] { f.cmdOpen_Click(); }),
        click(IDC_cmdClaim, [&f] { f.cmdClaim_Click(); }),
        click(IDC_cmdEnable, [&f] { f.cmdEnable_Click(); }),
        click(IDC_cmdEventOn, [&f] { f.cmdEventOn_Click(); }),
        click(IDC_cmdRelease, [&f] { f.cmdRelease_Click(); }),
        click(IDC_cmdClose, [&f] { f.cmdClose_Click(); }),
        click(IDC_Image1, [&f] { f.Image1_Click(); }),
        click(IDC_Image2, [&f] { f.Image2_Click(); }),
        click(IDC_Image3, [&f] { f.Image3_Click(); }),
        click(IDC_Image4, [&f] { f.Image4_Click(); }),
        click(IDC_cmdFire, [&f] { f.cmdFire_Click(); }),
        click(IDC_cmdWaitCashDrawerClose, [&f] { f.cmdWaitCashDrawerClose_Click(); }),
        click(IDC_cmdCashDrawerCap, [&f] { f.cmdCashDrawerCap_Click(); }),
        click(IDC_cmdDisplayText, [&f] { f.cmdDisplayText_Click(); }),
        click(IDC_cmdClearText, [&f] { f.cmdClearText_Click(); }),
        click(IDC_Scroll, [&f] { f.Scroll_Click(); }),
        click(IDC_cmdLineDisplayCap, [&f] { f.cmdLineDisplayCap_Click(); }),
        enter(IDC_txtScrollUnits, f.txtScrollUnits),
        enter(IDC_txtBlinkRate, f.txtBlinkRate),
        enter(IDC_txtCursorColumn, f.txtCursorColumn),
        enter(IDC_txtCursorRow, f.txtCursorRow),
        enter(IDC_txtDeviceBrightness, f.txtDeviceBrightness),
        click(IDC_chkTrack1, [&f] { f.SetTrackBit(f.chkTrack1, 1); }),
        click(IDC_chkTrack2, [&f] { f.SetTrackBit(f.chkTrack2, 2); }),
        click(IDC_chkTrack3, [&f] { f.SetTrackBit(f.chkTrack3, 4); }),
        click(IDC_chkTrack4, [&f] { f.SetTrackBit(f.chkTrack4, 8); }),
        click(IDC_cmdEnentEnabled, [&f] { f.cmdEnentEnabled_Click(); }),
        click(IDC_cmdTransmitSentinels, [&f] { f.cmdTransmitSentinels_Click(); }),
        click(IDC_cmdClearInput, [&f] { f.cmdClearInput_Click(); }),
        click(IDC_cmdMSRCap, [&f] { f.cmdMSRCap_Click(); }),
    };
}

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
