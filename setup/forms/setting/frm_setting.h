// The cash drawer property dialog as logic: its controls as models, under
// the names the dialog's logic uses, and its event procedures as members.
// It shows, edits and writes gEditDevice: in create mode (gSettingMode
// kSettingCreate) from a hardware model of OPOS.INI, in property mode
// (kSettingProperty) an existing entry, which it may rename.
//
// The dialog is shown modally and hidden, never destroyed, when it closes:
// the models keep their lists, selections and texts from one showing to the
// next. Form.Visible() is the dialog's shown state; the procedures that close
// the dialog set it to false, and the Windows side ends the modal showing
// when it sees that. Everything runs on the utility's one thread.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "controls/control_model.h"
#include "platform/shell.h"
#include "platform/store_platform.h"

namespace trellup {

class frmSetting {
public:
    // None of the references is owned; all must outlive the dialog.
    // `tree_changed` runs after OK has written the device, to show the
    // changed devices (the main window rebuilds its tree).
    frmSetting(const StorePlatform& store, IShell& shell, std::function<void()> tree_changed);
    frmSetting(const frmSetting&) = delete;
    frmSetting& operator=(const frmSetting&) = delete;

    // ---- Controls, top to bottom ------------------------------------------
    CaptionedModel Form{"frmSetting", ""};  // the dialog itself: caption and shown state

    Label Label2{"Label2", "Master Device :"};
    ComboBox MasterDevice{"MasterDevice"};     // display names of the hardware models
    Label lblMasterDevice{"lblMasterDevice"};  // the record's model, in property mode
    ComboBox MasterName{"MasterName"};         // never shown: section names, index-parallel to MasterDevice
    Label Label1{"Label1", "Device Name :"};
    TextBox txtDeviceName{"txtDeviceName", "NVCD1"};
    Label Label21{"Label21", "Pulse On Time (ms) :"};
    TextBox txtPulseOnTime{"txtPulseOnTime", "100"};
    Label Label3{"Label3", "Time Out (ms) :"};
    TextBox txtTimeOut{"txtTimeOut", "100"};
    Label Label4{"Label4", "Open Status Phase"};
    OptionButton OpenStatusHigh{"OpenStatusHigh", "High"};
    OptionButton OpenStatusLow{"OpenStatusLow", "Low"};
    Button btnOK{"btnOK", "OK"};
    Button btnCancel{"btnCancel", "Cancel"};

    // Starts a showing: marks the dialog shown and runs Form_Activate. The
    // Windows side calls it each time it shows the dialog (after centring
    // it on the main window); tests call it where the dialog would appear.
    void Show();

    // ---- Event procedures ---------------------------------------------------
    // Fills the master lists on the first showing, sets the caption and the
    // OK button for the mode and shows gEditDevice.
    void Form_Activate();
    // Loads the picked hardware model into gEditDevice (its name kept).
    void MasterDevice_Click();
    void txtDeviceName_Change();
    void txtPulseOnTime_Change();
    void txtTimeOut_Change();
    // Typed characters: *key_ascii is the character code; set to 0 when
    // the character is dropped.
    void txtPulseOnTime_KeyPress(int* key_ascii);
    void txtTimeOut_KeyPress(int* key_ascii);
    void OpenStatusHigh_Click();
    void OpenStatusLow_Click();
    // Writes gEditDevice (moving a renamed entry), rebuilds the main
    // window's tree and hides the dialog; or, when there is nothing that
    // can be written, says why and stays open.
    void btnOK_Click();
    // Hides the dialog; edits already made stay in gEditDevice.
    void btnCancel_Click();

    // The longest device name a key can have.
    static constexpr size_t kMaxDeviceName = 255;
    // Pulse On Time and Time Out take 1 to this many milliseconds (the
    // largest 16-bit number; a box shows at most five digits).
    static constexpr int32_t kMaxMilliseconds = 32767;

private:
    void FillMasterLists();
    void ShowDeviceRecord();
    // Loads the hardware model picked in MasterDevice into gEditDevice (its
    // name kept); false, with the record untouched, when none is picked.
    bool LoadPickedMaster();
    // Decides whether OK writes Trellup's folder as DllPath (*write_dll_path):
    // only when the port library lies there. Otherwise property mode keeps
    // the entry's DllPath and says so, and create mode asks; false when the
    // user answers No (nothing may be written).
    bool ConfirmDllPath(bool* write_dll_path);
    // Puts the times the number boxes show into gEditDevice; false, with
    // the record untouched, after telling the user which box holds no time
    // OK may write.
    bool TakeShownTimes();
    // The refusal of a number box, named by its title ("Time Out (ms) :").
    static std::string RefusedNumberMessage(const std::string& title);
    // The message that says why the store would not take `name` as a
    // device name, or nullptr when it would.
    static const char* RefusedNameReason(const std::string& name);
    // Whether OK would write into the key of another device: one that exists
    // under the record's name in any letter case and is not the entry that
    // property mode edits.
    bool OverwritesAnotherEntry() const;

    const StorePlatform store_;
    IShell& shell_;
    std::function<void()> tree_changed_;
};

}  // namespace trellup
