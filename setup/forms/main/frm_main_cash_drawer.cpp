// frmMain: the cash drawer panel, its status events and the health checks.
#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "forms/main/frm_main.h"
#include "text/opos_texts.h"
#include "text/panel_texts.h"
#include "forms/main/utility_state.h"

namespace trellup {

void frmMain::cmdFire_Click() {
    if (!CallCode(OPOSCashDrawer1.get(), "OpenDrawer", "OpenDrawer", {}, &m_ResultCode)) return;
    LogResult("OpenDrawer");
}

void frmMain::cmdWaitCashDrawerClose_Click() {
    IOposControl* drawer = OPOSCashDrawer1.get();
    OposValue claimed, enabled;
    if (!ReadValue(drawer, "WaitDrawerClose", "Claimed", OposValue::Type::Bool, &claimed)) return;
    if (!ReadValue(drawer, "WaitDrawerClose", "DeviceEnabled", OposValue::Type::Bool, &enabled)) return;
    if (!claimed.bool_value() || !enabled.bool_value()) {
        shell_.MsgBox("Device not ready !", mb::kOk | mb::kIconStop, "Error");
        return;
    }
    shell_.MsgBox(
        "Please open cash drawer then press OK.\n"
        "If you not close the cash drawer more then 10 sec,\n"
        "You will heart the alarm until you close the cash drawer.",
        mb::kOk | mb::kIconInformation, "Message");
    bool answered;
    {
        // The window takes no input until the drawer is closed, also when a
        // service object dispatches messages while it waits.
        struct Blocked {
            CaptionedModel& window;
            explicit Blocked(CaptionedModel& w) : window(w) { window.SetEnabled(false); }
            ~Blocked() { window.SetEnabled(true); }
        } blocked(Form);
        answered =
            CallCode(drawer, "WaitDrawerClose", "WaitForDrawerClose",
                     {OposValue::Long(10000), OposValue::Long(1000), OposValue::Long(1000), OposValue::Long(2000)},
                     &m_ResultCode);
    }
    if (answered) LogResult("WaitDrawerClose");
}

void frmMain::cmdCashDrawerCap_Click() {
    IOposControl* drawer = OPOSCashDrawer1.get();
    OposValue status, multi, statistics, power;
    const char* op = "Capability";
    if (!ReadValue(drawer, op, "CapStatus", OposValue::Type::Bool, &status) ||
        !ReadValue(drawer, op, "CapStatusMultiDrawerDetect", OposValue::Type::Bool, &multi) ||
        !ReadValue(drawer, op, "CapStatisticsReporting", OposValue::Type::Bool, &statistics) ||
        !ReadValue(drawer, op, "CapPowerReporting", OposValue::Type::Long, &power)) {
        return;
    }
    const std::string report = "\n\nCapStatus\t\t\t: " + BoolText(status.bool_value()) +
                               "\n\nCapStatusMultiDrawerDetect\t: " + BoolText(multi.bool_value()) +
                               "\n\nCapStatisticsReporting\t: " + BoolText(statistics.bool_value()) +
                               "\n\nCapPowerReporting\t\t: " + PowerReportingText(power.long_value()) + "\t\t";
    shell_.MsgBox(report, mb::kOk | mb::kIconInformation, "Cash Drawer Capability");
}

void frmMain::RefreshCashDrawerValues() {
    OposValue opened;
    if (!RefreshRead(OPOSCashDrawer1.get(), "DrawerOpened", OposValue::Type::Bool, &opened)) return;
    ShowChangedValue(BoolText(opened.bool_value()), DrawerOpened);
    if (opened.bool_value()) {
        CashDrawerOpen.SetVisible(true);
        CashDrawerClose.SetVisible(false);
        shell_.Beep();
    } else {
        CashDrawerClose.SetVisible(true);
        CashDrawerOpen.SetVisible(false);
    }
}

void frmMain::OnStatusUpdateEvent(IOposControl& from, int32_t data) {
    if (&from == OPOSCashDrawer1.get()) {
        AddLogLine("StatusUpdateEvent : [" + std::to_string(data) + "] " +
                   (data == common::opos::kDrawerOpen ? "Drawer Opened" : "Drawer Closed"));
    } else if (&from == OPOSMSR1.get()) {
        OnMsrStatusUpdateEvent(data);
    }
}

void frmMain::RunCheckHealth(const std::string& class_name, const std::string& device_name, int32_t level) {
    const char* level_name = level == common::opos::kHealthInternal   ? " CheckHealth Internal"
                             : level == common::opos::kHealthExternal ? " CheckHealth External"
                                                                      : " CheckHealth Interactive";
    const std::string caption = class_name + level_name;
    if (IOposControl* chosen = ControlFor(class_name)) m_Device = chosen;
    IOposControl* device = m_Device;
    if (device == nullptr) {
        // A class none of the four, before any device of a known class was
        // selected: there is no control object to run the check on.
        shell_.MsgBox("No control object serves the class \"" + class_name + "\".", mb::kOk | mb::kIconStop, caption);
        return;
    }

    // Each step runs whatever the earlier ones returned; a call that fails
    // at the COM level shows its status in place of a result code.
    auto step = [&](const char* label, HResult hr) {
        std::string line = label;
        if (hr == kOk) {
            line += ResultCodeText(m_ResultCode) + "  (" + std::to_string(m_ResultCode) + ")";
        } else {
            line += "call failed  (" + HexStatus(hr) + ")";
        }
        return line;
    };
    auto call = [&](const std::string& method, std::vector<OposValue> args) {
        OposValue result;
        const HResult hr = device->Call(method, args, OposValue::Type::Long, &result);
        if (hr == kOk) m_ResultCode = result.long_value();
        return hr;
    };

    std::string report = "Device Name  : " + device_name + "\t\t\n\n";
    report += step("Open Device   : ", call("Open", {OposValue::String(device_name)})) + "\n";
    report += step("Claim Device  : ", call("ClaimDevice", {OposValue::Long(100)})) + "\n";
    HResult hr = device->Put("DeviceEnabled", OposValue::Bool(true));
    if (hr == kOk) {
        OposValue rc;
        hr = device->Get("ResultCode", OposValue::Type::Long, &rc);
        if (hr == kOk) m_ResultCode = rc.long_value();
    }
    report += step("Enable Device : ", hr) + "\n";
    report += step("Check Health  : ", call("CheckHealth", {OposValue::Long(level)})) + "\n";
    report += step("Close Device   : ", call("Close", {}));
    shell_.MsgBox(report, mb::kOk | mb::kIconInformation, caption);
}

}  // namespace trellup
