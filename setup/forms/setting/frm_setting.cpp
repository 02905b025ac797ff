#include "forms/setting/frm_setting.h"

#include <cstdint>

#include "common/entry/cash_drawer_entry.h"
#include "text/ascii_case.h"
#include "text/number_text.h"
#include "text/registry_report.h"
#include "store/cash_drawer_device.h"
#include "store/mod_ini.h"
#include "store/mod_registry.h"
#include "forms/main/utility_state.h"

namespace trellup {
namespace {

constexpr const char* kInformation = "Information";
// The port I/O library that a drawer entry's DllPath must name the folder of.
constexpr const char* kPortLibrary = "WinIo32.dll";

// Key codes that pass the number boxes' filter whatever they hold: copy,
// paste, backspace.
constexpr int kKeyCopy = 3;
constexpr int kKeyPaste = 22;
constexpr int kKeyBackspace = 8;
// The filter lets only digits through while a box holds at most this many
// characters.
constexpr size_t kFilteredLength = 4;

// A number box's text as a 16-bit number into *field: the whole text must
// be one number (blanks around it allowed), rounded half to even; a text
// that does not convert, or does not fit, leaves *field as it was, and so
// does an empty box.
void TakeInt16(const std::string& text, int32_t* field) {
    double value;
    int16_t number;
    if (text.empty() || !WholeNumber(text, &value) || !RoundToInt16(value, &number)) return;
    *field = number;
}

// The milliseconds a number box shows, when it shows what OK may write: one
// to five digits and nothing else, of value 1 to kMaxMilliseconds. False
// leaves *ms untouched.
bool BoxMilliseconds(const std::string& text, int32_t* ms) {
    if (text.empty() || text.size() > 5) return false;
    int32_t value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > frmSetting::kMaxMilliseconds) return false;
    *ms = value;
    return true;
}

void FilterNumberKey(const std::string& text, int* key_ascii) {
    const int key = *key_ascii;
    if (key == kKeyCopy || key == kKeyPaste || key == kKeyBackspace) return;
    if (text.size() <= kFilteredLength && !(key >= '0' && key <= '9')) *key_ascii = 0;
}

}  // namespace

frmSetting::frmSetting(const StorePlatform& store, IShell& shell, std::function<void()> tree_changed)
    : store_(store), shell_(shell), tree_changed_(std::move(tree_changed)) {
    Form.SetVisible(false);
    MasterName.SetVisible(false);
}

void frmSetting::Show() {
    Form.SetVisible(true);
    Form_Activate();
}

void frmSetting::Form_Activate() {
    // Filled once: later showings keep the lists (and the pick) of the first.
    if (MasterDevice.ListCount() == 0) FillMasterLists();
    // A create shows the model still picked from an earlier one: the record
    // takes that model's values, so what is written is the model shown (not
    // what an earlier dialog left in the record).
    if (gSettingMode == kSettingCreate) LoadPickedMaster();
    const std::string version = modINI::IniReadString(store_, "device", "vesrion");
    if (gSettingMode == kSettingCreate) {
        Form.SetCaption("Create Cash Drawer Device " + version);
        btnOK.SetCaption("Create");
        MasterDevice.SetVisible(true);
        lblMasterDevice.SetVisible(false);
    } else if (gSettingMode == kSettingProperty) {
        Form.SetCaption("Cash Drawer Property " + version);
        btnOK.SetCaption("OK");
        MasterDevice.SetVisible(false);
        lblMasterDevice.SetVisible(true);
        lblMasterDevice.SetCaption(gEditDevice.Master);
    }
    ShowDeviceRecord();
}

void frmSetting::FillMasterLists() {
    MasterDevice.Clear();
    MasterName.Clear();
    for (const modINI::MasterDevice& m : modINI::ReadMasterDevices(store_)) {
        MasterName.AddItem(m.section);
        MasterDevice.AddItem(m.name);
    }
}

void frmSetting::ShowDeviceRecord() {
    lblMasterDevice.SetCaption(gEditDevice.Master);
    txtDeviceName.SetText(gEditDevice.DeviceName);
    txtPulseOnTime.SetText(std::to_string(gEditDevice.PulseOnTime));
    txtTimeOut.SetText(std::to_string(gEditDevice.Timeout));
    // Selecting an option runs its click, so any phase but 1 is stored as 0.
    if (gEditDevice.OpenStatusPhase == 1) {
        OpenStatusHigh.SetValue(1);
        OpenStatusLow.SetValue(0);
        OpenStatusHigh_Click();
    } else {
        OpenStatusLow.SetValue(1);
        OpenStatusHigh.SetValue(0);
        OpenStatusLow_Click();
    }
}

bool frmSetting::LoadPickedMaster() {
    const int index = MasterDevice.ListIndex();
    if (index < 0 || index >= MasterName.ListCount()) return false;
    modINI::LoadMasterSection(store_, MasterName.Items()[static_cast<size_t>(index)], &gEditDevice);
    return true;
}

void frmSetting::MasterDevice_Click() {
    if (LoadPickedMaster()) ShowDeviceRecord();
}

void frmSetting::txtDeviceName_Change() { gEditDevice.DeviceName = txtDeviceName.Text(); }
void frmSetting::txtPulseOnTime_Change() { TakeInt16(txtPulseOnTime.Text(), &gEditDevice.PulseOnTime); }
void frmSetting::txtTimeOut_Change() { TakeInt16(txtTimeOut.Text(), &gEditDevice.Timeout); }
void frmSetting::txtPulseOnTime_KeyPress(int* key_ascii) { FilterNumberKey(txtPulseOnTime.Text(), key_ascii); }
void frmSetting::txtTimeOut_KeyPress(int* key_ascii) { FilterNumberKey(txtTimeOut.Text(), key_ascii); }
void frmSetting::OpenStatusHigh_Click() { gEditDevice.OpenStatusPhase = 1; }
void frmSetting::OpenStatusLow_Click() { gEditDevice.OpenStatusPhase = 0; }

bool frmSetting::OverwritesAnotherEntry() const {
    if (gSettingMode == kSettingProperty && SameIgnoringCase(gEditDevice.DeviceName, gCurDevice.DeviceName))
        return false;  // the entry being edited
    return modRegistry::DeviceKeyExists(store_, gEditDevice.ClassName, gEditDevice.DeviceName);
}

const char* frmSetting::RefusedNameReason(const std::string& name) {
    if (name.empty()) return "Please Enter Device Name !";
    if (!modRegistry::IsKeyName(name)) return "Device Name cannot contain \"\\\" !";
    if (name.size() > kMaxDeviceName) return "Device Name cannot be longer than 255 characters !";
    return nullptr;
}

std::string frmSetting::RefusedNumberMessage(const std::string& title) {
    // The box's title without its trailing " :".
    std::string name = title;
    while (!name.empty() && (name.back() == ':' || name.back() == ' ')) name.pop_back();
    return name + " must be a whole number from 1 to " + std::to_string(kMaxMilliseconds) + " !";
}

bool frmSetting::ConfirmDllPath(bool* write_dll_path) {
    *write_dll_path = store_.folder->Holds(kPortLibrary);
    if (*write_dll_path) return true;
    const std::string missing =
        std::string(kPortLibrary) + ", the port library, is not in Trellup's folder " + store_.folder->Get() + " ";
    if (gSettingMode == kSettingCreate) {
        // A new entry has no DllPath of its own: it names Trellup's folder
        // anyway when the user says so (the library may come later).
        *write_dll_path = true;
        return shell_.MsgBox(missing + ", which the new device's DllPath names.\n\nCreate the device anyway ?",
                             mb::kYesNo | mb::kIconExclamation | mb::kDefaultButton2, kInformation) == mb::kIdYes;
    }
    // A working entry must not be pointed at a folder without the library
    // (a copy of Trellup run from a removable drive).
    std::string kept;
    modRegistry::QueryDeviceValue(store_, gCurDevice.ClassName, gCurDevice.DeviceName, common::entry::narrow::kDllPath,
                                  kRegSz, &kept, nullptr);
    shell_.MsgBox(missing + ".\n\nThe device keeps its DllPath " + (kept.empty() ? "(none)" : kept) + " .",
                  mb::kOk | mb::kIconInformation, kInformation);
    return true;
}

bool frmSetting::TakeShownTimes() {
    const struct {
        const TextBox& box;
        const Label& title;
        int32_t CashDrawerDevice::*field;
    } numbers[] = {
        {txtPulseOnTime, Label21, &CashDrawerDevice::PulseOnTime},
        {txtTimeOut, Label3, &CashDrawerDevice::Timeout},
    };
    int32_t shown[2] = {0, 0};
    for (size_t i = 0; i < 2; ++i) {
        if (!BoxMilliseconds(numbers[i].box.Text(), &shown[i])) {
            shell_.MsgBox(RefusedNumberMessage(numbers[i].title.Caption()), mb::kOk | mb::kIconInformation,
                          kInformation);
            return false;
        }
    }
    for (size_t i = 0; i < 2; ++i) gEditDevice.*numbers[i].field = shown[i];
    return true;
}

void frmSetting::btnOK_Click() {
    if (gSettingMode == kSettingCreate && MasterDevice.ListIndex() < 0) {
        shell_.MsgBox("Please Select Master Device !", mb::kOk | mb::kIconInformation, kInformation);
        return;
    }
    // A name the store cannot take would be "written" nowhere; say so and
    // let the user correct it.
    if (const char* reason = RefusedNameReason(gEditDevice.DeviceName)) {
        shell_.MsgBox(reason, mb::kOk | mb::kIconInformation, kInformation);
        return;
    }
    // Characters the code page lacks were replaced on their way into the
    // record: the name is not the one the user typed.
    if (!txtDeviceName.CaptionIsExact()) {
        shell_.MsgBox("Device Name cannot contain characters outside the system code page !",
                      mb::kOk | mb::kIconInformation, kInformation);
        return;
    }
    // What the number boxes show is what is written, or nothing is.
    if (!TakeShownTimes()) return;

    const std::string& old_name = gCurDevice.DeviceName;
    const bool rename = gSettingMode == kSettingProperty && gEditDevice.DeviceName != old_name;
    const std::string entry = EntryName(gEditDevice.ClassName, gEditDevice.DeviceName);
    const std::string action =
        rename ? "rename " + EntryName(gEditDevice.ClassName, old_name) + " to " + gEditDevice.DeviceName
               : "write " + entry;
    // One key under both spellings: its name keeps the spelling it has.
    if (rename && SameIgnoringCase(gEditDevice.DeviceName, old_name)) {
        ReportRegistryFailure(shell_, action, "Registry key names ignore letter case.");
        return;
    }
    // Keys ignore letter case: writing over another device's entry would
    // lose its settings, so that happens only when the user says so. The
    // entry written then holds nothing of the one it replaces.
    const bool replace = OverwritesAnotherEntry();
    if (replace && shell_.MsgBox("A device named " + gEditDevice.DeviceName + " already exists." + "\n\n" +
                                     "Do you want to replace its settings ?",
                                 mb::kYesNo | mb::kIconExclamation | mb::kDefaultButton2, kInformation) != mb::kIdYes) {
        return;
    }

    bool write_dll_path = true;
    if (!ConfirmDllPath(&write_dll_path)) return;

    // All or nothing; a rename carries the entry's hand-set values (the
    // custom port settings) and removes the old key last.
    const modRegistry::SaveResult saved =
        modRegistry::SaveDeviceRecord(store_, gEditDevice, rename ? old_name : std::string(), replace, write_dll_path);
    if (saved.result != kRegSuccess) {
        ReportRegistryFailure(shell_, action, saved.result,
                              saved.restored ? kRegistryNotChanged : entry + " may hold part of the new settings.");
        return;
    }

    gCurNodeText = gEditDevice.DeviceName;
    if (tree_changed_) tree_changed_();
    Form.SetVisible(false);
}

void frmSetting::btnCancel_Click() { Form.SetVisible(false); }

}  // namespace trellup
