// The property dialog's controls, one row each, in Tab order: each title
// just before the box it names. Places are 96-DPI pixels in the client area:
// titles at the left, inputs from x 112, buttons at the bottom right.
#include "resource_ids.h"
#include "setting_dialog.h"

namespace trellup::win32 {

// A table keeps its columns.
// clang-format off
FormTable SettingForm(frmSetting& f) {
    using K = ControlKind;
    // Controls of a dialog do not tell their parent when they are made.
    auto styles = [](DWORD style, DWORD ex = 0) {
        return [=](FormRow row) { return std::move(row).Styles(WS_VISIBLE | style, WS_EX_NOPARENTNOTIFY | ex); };
    };
    const auto title = styles(SS_LEFT | SS_CENTERIMAGE);
    const auto list = styles(CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP);
    const auto box = styles(ES_AUTOHSCROLL | WS_TABSTOP, WS_EX_CLIENTEDGE);
    const auto number_box = [&](FormRow row, void (frmSetting::*key_press)(int*)) {
        return box(std::move(row)).Filter([&f, key_press](int* key) { (f.*key_press)(key); });
    };
    FormTable t;
    t.push_back(title({IDC_Label2, K::Label, &f.Label2, 0, 8, 14, 102, 21}));
    t.push_back(list(FormRow{IDC_MasterDevice, K::ComboBox, &f.MasterDevice, 0, 112, 14, 155, 240}
                         .NamedBy(IDC_Label2)
                         .Change([&f] { f.MasterDevice_Click(); })));
    t.push_back(styles(SS_LEFT | SS_CENTERIMAGE | SS_ENDELLIPSIS | SS_NOPREFIX)(
        FormRow{IDC_lblMasterDevice, K::Label, &f.lblMasterDevice, 0, 112, 14, 155, 21}.NamedBy(IDC_Label2)));
    t.push_back(title({IDC_Label1, K::Label, &f.Label1, 0, 8, 44, 102, 21}));
    t.push_back(box(FormRow{IDC_txtDeviceName, K::TextBox, &f.txtDeviceName, 0, 112, 44, 155, 21}
                        .NamedBy(IDC_Label1)
                        .Change([&f] { f.txtDeviceName_Change(); })));
    t.push_back(title({IDC_Label21, K::Label, &f.Label21, 0, 8, 74, 102, 21}));
    t.push_back(number_box(FormRow{IDC_txtPulseOnTime, K::TextBox, &f.txtPulseOnTime, 0, 112, 74, 72, 21}
                               .NamedBy(IDC_Label21)
                               .Change([&f] { f.txtPulseOnTime_Change(); }),
                           &frmSetting::txtPulseOnTime_KeyPress));
    t.push_back(styles(BS_PUSHBUTTON | WS_TABSTOP)(
        FormRow{IDCANCEL, K::Button, &f.btnCancel, 0, 192, 172, 75, 25}.Click([&f] { f.btnCancel_Click(); })));
    t.push_back(styles(BS_DEFPUSHBUTTON | WS_TABSTOP)(
        FormRow{IDOK, K::Button, &f.btnOK, 0, 112, 172, 75, 25}.Click([&f] { f.btnOK_Click(); })));
    // Never shown: its items run parallel to the master devices'.
    t.push_back(FormRow{IDC_MasterName, K::ComboBox, &f.MasterName, 0, 112, 14, 155, 240}.NamedBy(IDC_Label2).Styles(
        CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, WS_EX_NOPARENTNOTIFY));
    t.push_back(title({IDC_Label3, K::Label, &f.Label3, 0, 8, 104, 102, 21}));
    t.push_back(number_box(FormRow{IDC_txtTimeOut, K::TextBox, &f.txtTimeOut, 0, 112, 104, 72, 21}
                               .NamedBy(IDC_Label3)
                               .Change([&f] { f.txtTimeOut_Change(); }),
                           &frmSetting::txtTimeOut_KeyPress));
    t.push_back(title({IDC_Label4, K::Label, &f.Label4, 0, 8, 134, 102, 21}));
    t.push_back(styles(BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP)(
        FormRow{IDC_OpenStatusHigh, K::OptionButton, &f.OpenStatusHigh, 0, 112, 135, 60, 19}.Click(
            [&f] { f.OpenStatusHigh_Click(); })));
    t.push_back(styles(BS_AUTORADIOBUTTON)(
        FormRow{IDC_OpenStatusLow, K::OptionButton, &f.OpenStatusLow, 0, 180, 135, 60, 19}.Click(
            [&f] { f.OpenStatusLow_Click(); })));
    return t;
}
// clang-format on

SIZE SettingClientSize() { return SIZE{279, 209}; }

}  // namespace trellup::win32
