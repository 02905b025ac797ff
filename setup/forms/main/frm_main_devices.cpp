// frmMain: the device commands create, delete and property.
#include <algorithm>
#include <cstdint>

#include "text/ascii_case.h"
#include "forms/main/frm_main.h"
#include "text/number_text.h"
#include "text/registry_report.h"
#include "store/cash_drawer_device.h"
#include "store/mod_ini.h"
#include "store/mod_registry.h"
#include "forms/main/utility_state.h"

namespace trellup {
namespace {

constexpr const char* kNamePrefix = "NVCD";
constexpr size_t kNamePrefixLength = 4;

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::any_of(names.begin(), names.end(), [&](const std::string& n) { return SameIgnoringCase(n, name); });
}

// The name for a new cash drawer: "NVCD" and one more than the largest
// number of the listed names that begin with "NVCD" (case matters), 1 when
// there is none. A name's number is the number its rest begins with, rounded
// half to even; numbers are 16-bit. A number whose name a listed device
// already takes in another letter case ("nvcd3") is passed over, since keys
// ignore case. When no next number fits, the first "NVCD<n>" (n from 1)
// that no listed name takes is proposed instead.
std::string NewCashDrawerName(const std::vector<std::string>& names) {
    int16_t largest = 0;
    bool beyond = false;
    for (const std::string& name : names) {
        if (name.compare(0, kNamePrefixLength, kNamePrefix) != 0) continue;
        const double value = LeadingNumber(name.substr(kNamePrefixLength));
        int16_t number;
        if (RoundToInt16(value, &number)) {
            largest = std::max(largest, number);
        } else if (value > 0) {
            beyond = true;  // past 32767: no next number
        }
    }
    for (int32_t n = largest + 1; !beyond && n <= INT16_MAX; ++n) {
        std::string name = kNamePrefix + std::to_string(n);
        if (!Listed(names, name)) return name;
    }
    for (size_t n = 1;; ++n) {
        std::string name = kNamePrefix + std::to_string(n);
        if (!Listed(names, name)) return name;
    }
}

}  // namespace

void frmMain::AddNewDevice() {
    gEditDevice.DeviceName = NewCashDrawerName(m_CashDrawerNames);
    gEditDevice.ConnectorPinNo = 2;
    gEditDevice.OpenStatusPhase = 1;
    gEditDevice.PulseOnTime = 100;
    gEditDevice.Timeout = 2500;
    gSettingMode = kSettingCreate;
    shell_.ShowSettingDialog();
    // Confirmed or cancelled, the tree is built again.
    GetOPOSClass();
}

void frmMain::DeleteDevice() {
    // Only a device node names an entry; a class node (no parent) would name
    // the class key itself.
    if (!gPopupNode.valid || gPopupNode.parent_text.empty()) return;
    const std::string cls = gPopupNode.parent_text;
    const std::string device = gPopupNode.text;
    const int answer =
        shell_.MsgBox("Are you sure you want to delete all setting information about\n\r" + cls + "\\" + device,
                      mb::kYesNo | mb::kIconInformation | mb::kDefaultButton2, "Delete " + cls + " Device");
    if (answer != mb::kIdYes) return;
    const int32_t deleted = modRegistry::DeleteRegKey(store_, std::string(kOposRoot) + "\\" + cls, device);
    if (deleted != kRegSuccess) ReportRegistryFailure(shell_, "delete " + EntryName(cls, device), deleted);
    GetOPOSClass();
}

void frmMain::DeviceProperty() {
    // The dialog edits the device right-clicked. When the window shows
    // another one, that device is clicked first, so the window, gCurDevice
    // and the dialog agree on which entry is edited.
    if (gPopupNode.valid && !gPopupNode.parent_text.empty() &&
        (gPopupNode.text != gCurDevice.DeviceName || gPopupNode.parent_text != gCurDevice.ClassName)) {
        const int node = DeviceNode(gPopupNode.parent_text, gPopupNode.text);
        if (node < 0) return;
        TreeView1.Select(node);
        TreeView1_NodeClick(node);
    }
    // An entry gone from the registry (the click said so) is not edited.
    if (!modRegistry::DeviceKeyExists(store_, gCurDevice.ClassName, gCurDevice.DeviceName)) return;
    CopyCurDeviceToEdit();
    gSettingMode = kSettingProperty;
    shell_.ShowSettingDialog();
}

}  // namespace trellup
