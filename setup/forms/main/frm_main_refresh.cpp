// frmMain: the result log, the panel refresh and the common property list.
#include <cstdio>

#include "forms/main/frm_main.h"
#include "text/opos_texts.h"
#include "text/panel_texts.h"
#include "forms/main/utility_state.h"

namespace trellup {

std::string HexStatus(HResult hr) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%08X", static_cast<unsigned>(hr));
    return text;
}

namespace {

bool Usable(const IOposControl* object) { return object != nullptr && object->CreateResult() == kOk; }

}  // namespace

void frmMain::AppendLogLine(const std::string& text) {
    List1.AddItem(text);
    List1.SetListIndex(List1.ListCount() - 1);
}

void frmMain::AddLogLine(const std::string& text) {
    AppendLogLine(text);
    RefreshDeviceProperties(gCurClass);
}

void frmMain::LogResult(const std::string& operation) {
    AddLogLine(operation + " : [" + std::to_string(m_ResultCode) + "] " + ResultCodeText(m_ResultCode));
}

void frmMain::LogCallFailure(const std::string& operation, HResult hr) {
    AddLogLine(operation + " : call failed (" + HexStatus(hr) + ")");
}

bool frmMain::CallCode(IOposControl* object, const std::string& operation, const std::string& method,
                       const std::vector<OposValue>& args, int32_t* code) {
    OposValue result;
    const HResult hr =
        object == nullptr ? kClassNotRegistered : object->Call(method, args, OposValue::Type::Long, &result);
    if (hr != kOk) {
        LogCallFailure(operation, hr);
        return false;
    }
    *code = result.long_value();
    return true;
}

bool frmMain::ReadValue(IOposControl* object, const std::string& operation, const std::string& property,
                        OposValue::Type type, OposValue* value) {
    OposValue read;
    const HResult hr = object == nullptr ? kClassNotRegistered : object->Get(property, type, &read);
    if (hr != kOk) {
        LogCallFailure(operation, hr);
        return false;
    }
    *value = read;
    return true;
}

bool frmMain::WriteValue(IOposControl* object, const std::string& operation, const std::string& property,
                         const OposValue& value) {
    const HResult hr = object == nullptr ? kClassNotRegistered : object->Put(property, value);
    if (hr != kOk) {
        LogCallFailure(operation, hr);
        return false;
    }
    return true;
}

bool frmMain::RefreshRead(IOposControl* object, const std::string& property, OposValue::Type type, OposValue* value) {
    OposValue read;
    const HResult hr = object->Get(property, type, &read);
    if (hr != kOk) {
        if (refresh_failure_.empty())
            refresh_failure_ = "Refresh " + property + " : call failed (" + HexStatus(hr) + ")";
        return false;
    }
    *value = read;
    return true;
}

void frmMain::ShowChangedValue(const std::string& text, Label& label) {
    if (label.Caption() != text) {
        label.SetBackColor(kRed);
        label.SetCaption(text);
    } else {
        label.SetBackColor(kButtonFace);
    }
}

void frmMain::ClearCommonProperties() {
    for (Label* l : {&SODescription1, &SOVersion1, &CODescription, &COVersion, &OpenResult, &Claimed, &DeviceEnabled,
                     &ResultCode, &State, &FreezeEvents, &PowerState, &PowerNotify, &ResultCodeExtended}) {
        l->SetCaption("");
    }
    for (Label* l : {&OpenResult, &Claimed, &DeviceEnabled, &ResultCode, &State, &FreezeEvents, &PowerState,
                     &PowerNotify, &ResultCodeExtended}) {
        l->SetBackColor(kButtonFace);
    }
}

void frmMain::RefreshDeviceProperties(const std::string& class_name) {
    refresh_failure_.clear();
    if (IOposControl* object = ControlFor(class_name)) {
        m_Device = object;
        if (Usable(object)) {
            if (object == OPOSCashDrawer1.get()) RefreshCashDrawerValues();
            if (object == OPOSLineDisplay1.get()) RefreshLineDisplayValues();
            if (object == OPOSMSR1.get()) RefreshMsrValues();
        }
    }
    RefreshCommonProperties();
    // One line for a refresh that could not read everything, appended
    // without a refresh of its own.
    if (!refresh_failure_.empty()) AppendLogLine(refresh_failure_);
}

void frmMain::RefreshCommonProperties() {
    IOposControl* device = m_Device;
    if (!Usable(device)) return;
    OposValue v;
    if (RefreshRead(device, "ServiceObjectDescription", OposValue::Type::String, &v))
        SODescription1.SetCaption(v.string_value());
    if (RefreshRead(device, "ServiceObjectVersion", OposValue::Type::Long, &v))
        SOVersion1.SetCaption(std::to_string(v.long_value()));
    if (RefreshRead(device, "ControlObjectDescription", OposValue::Type::String, &v))
        CODescription.SetCaption(v.string_value());
    if (RefreshRead(device, "ControlObjectVersion", OposValue::Type::Long, &v))
        COVersion.SetCaption(std::to_string(v.long_value()));

    struct Entry {
        const char* property;
        Label* label;
        bool boolean;
        std::string (*tip)(int32_t);
    };
    const Entry entries[] = {
        {"DeviceEnabled", &DeviceEnabled, true, nullptr},
        {"Claimed", &Claimed, true, nullptr},
        {"FreezeEvents", &FreezeEvents, true, nullptr},
        {"OpenResult", &OpenResult, false, &OpenResultText},
        {"PowerNotify", &PowerNotify, false, nullptr},
        {"PowerState", &PowerState, false, &PowerStateText},
        {"ResultCode", &ResultCode, false, &ResultCodeText},
        {"ResultCodeExtended", &ResultCodeExtended, false, nullptr},
        {"State", &State, false, &StateText},
    };
    for (const Entry& e : entries) {
        if (!RefreshRead(device, e.property, e.boolean ? OposValue::Type::Bool : OposValue::Type::Long, &v)) continue;
        ShowChangedValue(e.boolean ? BoolText(v.bool_value()) : std::to_string(v.long_value()), *e.label);
        if (e.tip != nullptr) e.label->SetToolTipText(e.tip(v.long_value()));
    }
}

}  // namespace trellup
