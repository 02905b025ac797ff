// The utility's main window as logic: its controls as models, under the
// names the window's logic uses, and its event procedures as members. The
// Windows side (setup/win32) creates the real controls, binds them to these
// models and calls the procedures on user input; tests drive the procedures
// directly through fakes of the store, the shell and the control objects.
//
// Everything runs on the utility's one thread. Control-object calls may run
// the event handlers (OnDataEvent, ...) before they return; the procedures
// keep no state across such a call that a handler could invalidate.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "controls/control_model.h"
#include "controls/menu_model.h"
#include "controls/tree_view_model.h"
#include "platform/opos_control.h"
#include "platform/shell.h"
#include "platform/store_platform.h"

namespace trellup {

// The program's version as its caption shows it, and the bitness of the
// build (64 for the 64-bit program, else 32).
struct AppVersion {
    int major = 0;
    int minor = 0;
    int revision = 0;
    int bits = 32;
};

// Indexes of ImageList1, the tree's images; a "1" image is the selected one.
enum TreeImage : int {
    kImageCashDrawer = 0,
    kImageLineDisplay = 1,
    kImagePOSPrinter = 2,
    kImageCashDrawer1 = 3,
    kImageLineDisplay1 = 4,
    kImagePOSPrinter1 = 5,
    kImageMSR = 6,
    kImageMSR1 = 7,
    kImageUnknow = 8,
    kTreeImageCount = 9,
};

// The place all four test frames share (pixels at 96 DPI).
constexpr int kTestFrameLeft = 176;
constexpr int kTestFrameTop = 288;

class frmMain : public IOposEvents {
public:
    // None of the references is owned; all must outlive the form.
    frmMain(const StorePlatform& store, IShell& shell, IOposControlFactory& factory, AppVersion version);
    ~frmMain();
    frmMain(const frmMain&) = delete;
    frmMain& operator=(const frmMain&) = delete;

    // ---- Controls -------------------------------------------------------
    CaptionedModel Form{"frmMain", ""};  // the window itself: its caption

    TreeViewModel TreeView1{"TreeView1"};
    ListBox List1{"List1"};
    CheckBox chkUserMode{"chkUserMode", "User Mode", 1};
    CheckBox chkClearLog{"chkClearLog", "Clear log when device change", 1};

    Frame Frame2{"Frame2", "SO Information  (Registry Information)"};
    Label lblSOName{"lblSOName"};
    Label lblDeviceName{"lblDeviceName"};
    Label lblSODescription{"lblSODescription"};
    Label lblDeviceDescription{"lblDeviceDescription"};

    Frame Frame1{"Frame1", "OPOS Common Properties"};
    Label SODescription1{"SODescription1"};
    Label SOVersion1{"SOVersion1"};
    Label CODescription{"CODescription"};
    Label COVersion{"COVersion"};
    Label OpenResult{"OpenResult"};
    Label Claimed{"Claimed"};
    Label DeviceEnabled{"DeviceEnabled"};
    Label ResultCode{"ResultCode"};
    Label State{"State"};
    Label FreezeEvents{"FreezeEvents"};
    Label PowerState{"PowerState"};
    Label PowerNotify{"PowerNotify"};
    Label ResultCodeExtended{"ResultCodeExtended"};

    Button cmdOpen{"cmdOpen", "Open"};
    Button cmdClaim{"cmdClaim", "Claim"};
    Button cmdEnable{"cmdEnable", "DeviceEnabled"};
    Button cmdEventOn{"cmdEventOn", "FreezeEvents"};
    Button cmdRelease{"cmdRelease", "Release"};
    Button cmdClose{"cmdClose", "Close"};

    Picture Image1{"Image1"};
    Picture Image2{"Image2"};
    Picture Image3{"Image3"};
    Picture Image4{"Image4"};

    Frame frameCashDrawer{"frameCashDrawer", "Cash Drawer"};
    Button cmdFire{"cmdFire", "OpenDrawer"};
    Button cmdWaitCashDrawerClose{"cmdWaitCashDrawerClose", "WaitDrawerClose"};
    Button cmdCashDrawerCap{"cmdCashDrawerCap", "Capability"};
    Label DrawerOpened{"DrawerOpened"};
    Label lblPulseOnTime{"lblPulseOnTime"};
    Label lblTimeout{"lblTimeout"};
    Label lblOpenStatusPhase{"lblOpenStatusPhase"};
    Picture CashDrawerClose{"CashDrawerClose"};
    Picture CashDrawerOpen{"CashDrawerOpen"};

    Frame frameLineDisplay{"frameLineDisplay", "Line Display"};
    TextBox txtDisplayText{"txtDisplayText", "12345"};
    ComboBox cmbDisplayType{"cmbDisplayType"};
    Button cmdDisplayText{"cmdDisplayText", "Display Text"};
    Button cmdClearText{"cmdClearText", "Clear Text"};
    ComboBox cmbScrollText{"cmbScrollText"};
    TextBox txtScrollUnits{"txtScrollUnits", "1"};
    Button Scroll{"Scroll", "ScrollText"};
    TextBox txtBlinkRate{"txtBlinkRate", "0"};
    TextBox txtCursorColumn{"txtCursorColumn", "0"};
    TextBox txtCursorRow{"txtCursorRow", "0"};
    TextBox txtDeviceBrightness{"txtDeviceBrightness", "0"};
    Button cmdLineDisplayCap{"cmdLineDisplayCap", "Capability"};
    Label CharacterSet{"CharacterSet"};
    Label MarqueeFormat{"MarqueeFormat"};
    Label MarqueeType{"MarqueeType"};
    Label CursorUpdate{"CursorUpdate"};
    Label CursorType{"CursorType"};
    Label DeviceColumns{"DeviceColumns"};
    Label DeviceRows{"DeviceRows"};

    Frame frameMSR{"frameMSR", "MSR"};
    CheckBox chkTrack1{"chkTrack1", "Track 1 Data"};
    CheckBox chkTrack2{"chkTrack2", "Track 2 Data"};
    CheckBox chkTrack3{"chkTrack3", "Track 3 Data"};
    CheckBox chkTrack4{"chkTrack4", "Track 4 Data"};
    Label Track1{"Track1"};
    Label Track2{"Track2"};
    Label Track3{"Track3"};
    Label Track4{"Track4"};
    Button cmdEnentEnabled{"cmdEnentEnabled", "DataEventEnabled"};
    Button cmdTransmitSentinels{"cmdTransmitSentinels", "TransmitSentinels"};
    Button cmdClearInput{"cmdClearInput", "ClearInput"};
    Button cmdMSRCap{"cmdMSRCap", "Capability"};
    Label lblTracksToRead{"lblTracksToRead"};
    Label lblDataEventEnabled{"lblDataEventEnabled"};
    Label lblTransmitSentinels{"lblTransmitSentinels"};
    Label lblAutoDisable{"lblAutoDisable"};

    Frame framePOSPrinter{"framePOSPrinter", "POS Printer"};

    MenuItem Menu_Add_New_Device{"Menu_Add_New_Device", "&Create New Device..."};
    MenuItem Menu_Class_Rescan{"Menu_Class_Rescan", "&Rescan"};
    MenuItem Menu_Check_Health_Internal{"Menu_Check_Health_Internal", "&Check Health Internal..."};
    MenuItem Menu_Check_Health_External{"Menu_Check_Health_External", "&Check Health External..."};
    MenuItem Menu_Check_Health_Interactive{"Menu_Check_Health_Interactive", "&Check Health Interactive..."};
    MenuItem Menu_Device_Property{"Menu_Device_Property", "&Property..."};
    MenuItem Menu_Delete_Device{"Menu_Delete_Device", "&Delete Device..."};
    MenuItem Menu_Device_Rescan{"Menu_Device_Rescan", "&Rescan"};
    MenuModel Menu_Class{"Menu_Class", "Class", {&Menu_Add_New_Device, nullptr, &Menu_Class_Rescan}};
    MenuModel Menu_Device{"Menu_Device",
                          "Device",
                          {&Menu_Check_Health_Internal, &Menu_Check_Health_External, &Menu_Check_Health_Interactive,
                           nullptr, &Menu_Device_Property, nullptr, &Menu_Delete_Device, nullptr, &Menu_Device_Rescan}};

    // ---- Control objects and window state ---------------------------------
    std::unique_ptr<IOposControl> OPOSCashDrawer1;
    std::unique_ptr<IOposControl> OPOSLineDisplay1;
    std::unique_ptr<IOposControl> OPOSPOSPrinter1;
    std::unique_ptr<IOposControl> OPOSMSR1;
    IOposControl* m_Device = nullptr;  // one of the four, or none yet

    // Cash drawer names of the last tree build, in tree order (any number).
    std::vector<std::string> m_CashDrawerNames;
    bool m_OwnServiceObject = false;
    int32_t m_ResultCode = 0;

    // ---- Start-up, tree and selection -------------------------------------
    void Form_Load();
    void GetOPOSClass();
    void AddOPOSDevices(const std::string& class_key_path, int class_node);
    static std::string TrimNull(const std::string& text);
    void TreeView1_NodeClick(int node);
    // Button 1 left, 2 right; (x, y) in the tree's client pixels.
    void TreeView1_MouseUp(int button, int shift, int x, int y);
    void DisableSessionControls();
    void ClearCommonProperties();
    // Runs the action of a popup menu entry (or of the same command arriving
    // from elsewhere); nullptr does nothing.
    void MenuCommand(const MenuItem* item);
    void Image1_Click();
    void Image2_Click() {}
    void Image3_Click() {}
    void Image4_Click() {}

    // ---- Refresh and log ----------------------------------------------------
    void RefreshDeviceProperties(const std::string& class_name);
    void ShowChangedValue(const std::string& text, Label& label);
    void LogResult(const std::string& operation);
    void AddLogLine(const std::string& text);

    // ---- Life-cycle commands --------------------------------------------------
    void cmdOpen_Click();
    void cmdClaim_Click();
    void cmdEnable_Click();
    void cmdEventOn_Click();
    void cmdRelease_Click();
    void cmdClose_Click();

    // ---- Device commands -------------------------------------------------------
    void AddNewDevice();
    void DeleteDevice();
    void DeviceProperty();

    // ---- Cash drawer panel --------------------------------------------------------
    void cmdFire_Click();
    void cmdWaitCashDrawerClose_Click();
    void cmdCashDrawerCap_Click();
    void RunCheckHealth(const std::string& class_name, const std::string& device_name, int32_t level);

    // ---- Line display panel ---------------------------------------------------------
    void cmdDisplayText_Click();
    void cmdClearText_Click();
    void Scroll_Click();
    void cmdLineDisplayCap_Click();
    // Enter (13) in one of the number boxes; other keys are typed normally.
    void NumberBox_KeyPress(TextBox& box, int key);

    // ---- MSR panel ------------------------------------------------------------------
    void SetTrackBit(CheckBox& box, int32_t bit);
    void ShowTracksToRead();
    void cmdEnentEnabled_Click();
    void cmdTransmitSentinels_Click();
    void cmdClearInput_Click();
    void cmdMSRCap_Click();
    void OnMsrStatusUpdateEvent(int32_t data);

    // ---- Control-object events --------------------------------------------------------
    void OnDataEvent(IOposControl& from, int32_t status) override;
    void OnErrorEvent(IOposControl& from, int32_t result_code, int32_t result_code_extended, int32_t error_locus,
                      int32_t* error_response) override;
    void OnStatusUpdateEvent(IOposControl& from, int32_t data) override;

    const StorePlatform& store() const { return store_; }
    IShell& shell() { return shell_; }

private:
    // The control object of a known class name, or nullptr.
    IOposControl* ControlFor(const std::string& class_name) const;
    // Index of the device node `device` under the class node `cls`, or -1.
    int DeviceNode(const std::string& cls, const std::string& device) const;
    // Whether a service object ProgID names one of ours ("Norvane.…", any
    // letter case): only those entries are edited by the property dialog.
    static bool IsOwnServiceObject(const std::string& prog_id);
    // Appends a line and selects it, without a refresh.
    void AppendLogLine(const std::string& text);
    void HideTestFrames();

    // Control-object calls that log their own failure: on a COM failure, or
    // when `object` is null, they add the line "<operation> : call failed
    // (0x........)" through AddLogLine and return false, leaving the
    // out-value untouched.
    bool CallCode(IOposControl* object, const std::string& operation, const std::string& method,
                  const std::vector<OposValue>& args, int32_t* code);
    bool ReadValue(IOposControl* object, const std::string& operation, const std::string& property,
                   OposValue::Type type, OposValue* value);
    bool WriteValue(IOposControl* object, const std::string& operation, const std::string& property,
                    const OposValue& value);
    void LogCallFailure(const std::string& operation, HResult hr);
    // Reads Boolean `property` and writes back its negation; false when a
    // call failed (and was logged under the property's name).
    bool ToggleProperty(IOposControl* object, const std::string& property);

    // Reads for the panel refresh: failures are not logged one by one; the
    // first of a refresh is noted and logged once when the refresh ends.
    bool RefreshRead(IOposControl* object, const std::string& property, OposValue::Type type, OposValue* value);
    void RefreshCashDrawerValues();
    void RefreshLineDisplayValues();
    void RefreshMsrValues();
    void RefreshCommonProperties();

    const StorePlatform store_;
    IShell& shell_;
    IOposControlFactory& factory_;
    AppVersion version_;

    // First failed read of the refresh in progress.
    std::string refresh_failure_;
    // True while ShowTracksToRead sets the track boxes.
    bool showing_tracks_ = false;
};

}  // namespace trellup
