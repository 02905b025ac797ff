// frmMain: the six life-cycle commands and the guided user mode.
#include "forms/main/frm_main.h"
#include "forms/main/utility_state.h"

namespace trellup {

void frmMain::cmdOpen_Click() {
    if (!CallCode(m_Device, "Open", "Open", {OposValue::String(lblDeviceName.Caption())}, &m_ResultCode)) return;
    if (m_ResultCode == 0) {
        for (Button* b : {&cmdClaim, &cmdEnable, &cmdEventOn, &cmdClose}) b->SetEnabled(true);
        if (chkUserMode.Value() != 0) cmdOpen.SetEnabled(false);
        for (Frame* f : {&frameMSR, &frameCashDrawer, &frameLineDisplay, &framePOSPrinter}) f->SetEnabled(true);
    }
    LogResult("Open");
}

void frmMain::cmdClaim_Click() {
    if (!CallCode(m_Device, "Claim", "ClaimDevice", {OposValue::Long(1000)}, &m_ResultCode)) return;
    if (chkUserMode.Value() != 0 && m_ResultCode == 0) {
        cmdRelease.SetEnabled(true);
        cmdClaim.SetEnabled(false);
    }
    LogResult("Claim");
}

void frmMain::cmdRelease_Click() {
    if (!CallCode(m_Device, "Release", "ReleaseDevice", {}, &m_ResultCode)) return;
    if (chkUserMode.Value() != 0 && m_ResultCode == 0) {
        cmdRelease.SetEnabled(false);
        cmdClaim.SetEnabled(true);
    }
    LogResult("Release");
}

void frmMain::cmdClose_Click() {
    // In user mode the buttons go back to "only Open" whatever happened,
    // a failed call included.
    if (CallCode(m_Device, "Close", "Close", {}, &m_ResultCode)) LogResult("Close");
    if (chkUserMode.Value() != 0) {
        DisableSessionControls();
        cmdOpen.SetEnabled(true);
    }
}

bool frmMain::ToggleProperty(IOposControl* object, const std::string& property) {
    OposValue value;
    if (!ReadValue(object, property, property, OposValue::Type::Bool, &value)) return false;
    return WriteValue(object, property, property, OposValue::Bool(!value.bool_value()));
}

void frmMain::cmdEnable_Click() {
    if (ToggleProperty(m_Device, "DeviceEnabled")) RefreshDeviceProperties(gCurClass);
}

void frmMain::cmdEventOn_Click() {
    if (ToggleProperty(m_Device, "FreezeEvents")) RefreshDeviceProperties(gCurClass);
}

}  // namespace trellup
