// frmMain: the line display panel.
#include "forms/main/frm_main.h"
#include "text/number_text.h"
#include "text/panel_texts.h"
#include "forms/main/utility_state.h"

namespace trellup {
namespace {

// The text box rule of the refresh: a box whose text is the device's value
// as a number (blanks around it allowed) keeps its text on the window
// background; any other text, typed or not a number at all, is replaced by
// the device's value on red.
void ShowTextBoxValue(TextBox& box, int32_t value) {
    double shown = 0;
    if (WholeNumber(box.Text(), &shown) && shown == static_cast<double>(value)) {
        box.SetBackColor(kWindowBackground);
    } else {
        box.SetBackColor(kRed);
        box.SetText(std::to_string(value));
    }
}

std::string Quoted(const std::string& text) { return "\"" + text + "\""; }

constexpr const char* kOutOfRange = " is outside the range -2147483648 to 2147483647.";

// An entry of the capability report: `name`, `separator`, the value's text
// and `end`; nothing for a value outside the table.
std::string CapEntry(const char* name, const char* separator, const char* text, const char* end) {
    return text != nullptr ? std::string(name) + separator + text + end : std::string();
}

}  // namespace

void frmMain::cmdDisplayText_Click() {
    const std::string text = txtDisplayText.Text();
    if (text.empty()) return;
    // The item index is the attribute: Normal 0, Blink 1, Reverse 2, Blink
    // Reverse 3; -1 for a typed text that is no item.
    const int32_t attribute = cmbDisplayType.ListIndex();
    if (!CallCode(OPOSLineDisplay1.get(), "DisplayText", "DisplayText",
                  {OposValue::String(text), OposValue::Long(attribute)}, &m_ResultCode)) {
        return;
    }
    LogResult("DisplayText");
}

void frmMain::cmdClearText_Click() {
    if (!CallCode(OPOSLineDisplay1.get(), "ClearText", "ClearText", {}, &m_ResultCode)) return;
    LogResult("ClearText");
}

void frmMain::Scroll_Click() {
    // Up 1, Down 2, Left 3, Right 4; 0 for a typed text that is no item.
    const int32_t direction = cmbScrollText.ListIndex() + 1;
    const std::string units_text = txtScrollUnits.Text();
    double number = 0;
    int32_t units = 0;
    if (!WholeNumber(units_text, &number)) {
        shell_.MsgBox("Units " + Quoted(units_text) + " is not a number.\nScrollText was not sent.",
                      mb::kOk | mb::kIconStop, kAppTitle);
        return;
    }
    if (!RoundToInt32(number, &units)) {
        shell_.MsgBox("Units " + Quoted(units_text) + kOutOfRange + "\nScrollText was not sent.",
                      mb::kOk | mb::kIconStop, kAppTitle);
        return;
    }
    if (!CallCode(OPOSLineDisplay1.get(), "ScrollText", "ScrollText",
                  {OposValue::Long(direction), OposValue::Long(units)}, &m_ResultCode)) {
        return;
    }
    LogResult("ScrollText");
}

void frmMain::NumberBox_KeyPress(TextBox& box, int key) {
    if (key != 13) return;
    struct NumberBox {
        TextBox* box;
        const char* title;     // as the box is labelled
        const char* property;  // nullptr: the box only tidies its text
    };
    const NumberBox boxes[] = {
        {&txtBlinkRate, "Blink Rate", "BlinkRate"}, {&txtCursorColumn, "Cursor Column", "CursorColumn"},
        {&txtCursorRow, "Cursor Row", "CursorRow"}, {&txtDeviceBrightness, "Brightness", "DeviceBrightness"},
        {&txtScrollUnits, "Units", nullptr},
    };
    const NumberBox* entry = nullptr;
    for (const NumberBox& b : boxes) {
        if (b.box == &box) entry = &b;
    }
    if (entry == nullptr) return;

    int32_t value = 0;
    if (!RoundToInt32(LeadingNumber(box.Text()), &value)) {
        // The text stays as typed, so that it can be corrected.
        const std::string outcome =
            entry->property != nullptr ? std::string("\n") + entry->property + " was not written." : std::string();
        shell_.MsgBox(std::string(entry->title) + " " + Quoted(box.Text()) + kOutOfRange + outcome,
                      mb::kOk | mb::kIconStop, kAppTitle);
        return;
    }
    box.SetText(std::to_string(value));
    if (entry->property == nullptr) return;
    if (WriteValue(OPOSLineDisplay1.get(), entry->property, entry->property, OposValue::Long(value))) {
        RefreshDeviceProperties(gCurClass);
    }
}

void frmMain::cmdLineDisplayCap_Click() {
    IOposControl* display = OPOSLineDisplay1.get();
    OposValue brightness, blink, blink_rate_cap, blink_rate, character_set, cursor_type, reverse;
    const char* op = "Capability";
    if (!ReadValue(display, op, "CapBrightness", OposValue::Type::Bool, &brightness) ||
        !ReadValue(display, op, "CapBlink", OposValue::Type::Long, &blink) ||
        !ReadValue(display, op, "CapBlinkRate", OposValue::Type::Bool, &blink_rate_cap) ||
        !ReadValue(display, op, "BlinkRate", OposValue::Type::Long, &blink_rate) ||
        !ReadValue(display, op, "CapCharacterSet", OposValue::Type::Long, &character_set) ||
        !ReadValue(display, op, "CapCursorType", OposValue::Type::Long, &cursor_type) ||
        !ReadValue(display, op, "CapReverse", OposValue::Type::Long, &reverse)) {
        return;
    }
    const std::string report =
        "\n\nCapBrightness\t: " + BoolText(brightness.bool_value()) + "\n\n" +
        CapEntry("CapBlink", "\t\t", CapBlinkText(blink.long_value()), "\n\n") +
        "CapBlinkRate\t: " + BoolText(blink_rate_cap.bool_value()) + "\n" +
        "BlinkRate \t: " + std::to_string(blink_rate.long_value()) + "ms\n\n" +
        CapEntry("CapCharacterSet", "\t", CapCharacterSetText(character_set.long_value()), "\n\n") +
        CapEntry("CapCursorType", "\t", CapCursorTypeText(cursor_type.long_value()), "\n\n") +
        CapEntry("CapReverse", "\t", CapReverseText(reverse.long_value()), "\t\t");
    shell_.MsgBox(report, mb::kOk | mb::kIconInformation, "Line Display Capability");
}

void frmMain::RefreshLineDisplayValues() {
    IOposControl* display = OPOSLineDisplay1.get();
    OposValue v;
    auto number = [&](const char* property) { return RefreshRead(display, property, OposValue::Type::Long, &v); };
    auto decimal = [&] { return std::to_string(v.long_value()); };

    if (number("DeviceRows")) ShowChangedValue(decimal(), DeviceRows);
    if (number("DeviceColumns")) ShowChangedValue(decimal(), DeviceColumns);
    if (number("CursorRow")) ShowTextBoxValue(txtCursorRow, v.long_value());
    if (number("DeviceBrightness")) ShowTextBoxValue(txtDeviceBrightness, v.long_value());
    if (number("CursorColumn")) ShowTextBoxValue(txtCursorColumn, v.long_value());
    if (number("CursorType")) ShowChangedValue(decimal(), CursorType);
    if (RefreshRead(display, "CursorUpdate", OposValue::Type::Bool, &v)) {
        ShowChangedValue(BoolText(v.bool_value()), CursorUpdate);
    }
    if (number("CharacterSet")) ShowChangedValue(decimal(), CharacterSet);
    if (number("BlinkRate")) txtBlinkRate.SetText(decimal());
    if (number("MarqueeType")) {
        ShowChangedValue(decimal(), MarqueeType);
        if (const char* tip = MarqueeTypeTip(v.long_value())) MarqueeType.SetToolTipText(tip);
    }
    if (number("MarqueeFormat")) ShowChangedValue(decimal(), MarqueeFormat);
}

}  // namespace trellup
