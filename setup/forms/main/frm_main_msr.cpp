// frmMain: the MSR panel and its events.
#include <cstdio>
#include <utility>

#include "common/opos/opos_numbers.h"
#include "forms/main/frm_main.h"
#include "text/number_text.h"
#include "text/panel_texts.h"
#include "forms/main/utility_state.h"

namespace trellup {

void frmMain::SetTrackBit(CheckBox& box, int32_t bit) {
    // ShowTracksToRead setting the boxes is not the user's click: a toolkit
    // that reports it as one must not write TracksToRead and refresh again.
    if (showing_tracks_) return;
    IOposControl* msr = OPOSMSR1.get();
    OposValue tracks;
    if (!ReadValue(msr, "TracksToRead", "TracksToRead", OposValue::Type::Long, &tracks)) return;
    const int32_t value = box.Value() != 0 ? (tracks.long_value() | bit) : (tracks.long_value() & ~bit);
    if (WriteValue(msr, "TracksToRead", "TracksToRead", OposValue::Long(value))) RefreshDeviceProperties(gCurClass);
}

void frmMain::ShowTracksToRead() {
    double number = 0;
    int32_t n = 0;
    // The refresh writes a number here; a caption it could not write (a
    // failed read) leaves the boxes and the tip as they are.
    if (!WholeNumber(lblTracksToRead.Caption(), &number) || !RoundToInt32(number, &n)) return;

    struct Track {
        CheckBox* box;
        int32_t bit;
        const char* item;
    };
    const Track tracks[] = {
        {&chkTrack1, 1, " 1,"}, {&chkTrack2, 2, " 2,"}, {&chkTrack3, 4, " 3,"}, {&chkTrack4, 8, " 4,"}};
    std::string list;
    {
        struct Showing {
            bool& flag;
            explicit Showing(bool& f) : flag(f) { flag = true; }
            ~Showing() { flag = false; }
        } showing(showing_tracks_);
        for (const Track& t : tracks) {
            const bool on = (n & t.bit) != 0;
            t.box->SetValue(on ? 1 : 0);
            if (on) list += t.item;
        }
    }
    if (!list.empty()) list.pop_back();
    lblTracksToRead.SetToolTipText("Track " + list);
}

void frmMain::cmdEnentEnabled_Click() {
    if (ToggleProperty(m_Device, "DataEventEnabled")) RefreshDeviceProperties(gCurClass);
}

void frmMain::cmdTransmitSentinels_Click() {
    if (ToggleProperty(OPOSMSR1.get(), "TransmitSentinels")) RefreshDeviceProperties(gCurClass);
}

void frmMain::cmdClearInput_Click() {
    for (Label* l : {&Track1, &Track2, &Track3}) l->SetCaption("");
    if (!CallCode(OPOSMSR1.get(), "ClearInput", "ClearInput", {}, &m_ResultCode)) return;
    using namespace common::opos;
    const char* word = m_ResultCode == kSuccess      ? "Success"
                       : m_ResultCode == kClaimed    ? "Claimed"
                       : m_ResultCode == kNotClaimed ? "Not claimed"
                                                     : nullptr;
    // Any other code leaves an empty line.
    AddLogLine(word != nullptr ? "ClearInput : [" + std::to_string(m_ResultCode) + "] " + word : std::string());
}

void frmMain::cmdMSRCap_Click() {
    IOposControl* msr = OPOSMSR1.get();
    OposValue iso, jis_one, jis_two, sentinels, power;
    const char* op = "Capability";
    if (!ReadValue(msr, op, "CapISO", OposValue::Type::Bool, &iso) ||
        !ReadValue(msr, op, "CapJISOne", OposValue::Type::Bool, &jis_one) ||
        !ReadValue(msr, op, "CapJISTwo", OposValue::Type::Bool, &jis_two) ||
        !ReadValue(msr, op, "CapTransmitSentinels", OposValue::Type::Bool, &sentinels) ||
        !ReadValue(msr, op, "CapPowerReporting", OposValue::Type::Long, &power)) {
        return;
    }
    const std::string report = "\n\nCapISO\t\t: " + BoolText(iso.bool_value()) +
                               "\n\nCapJISOne\t: " + BoolText(jis_one.bool_value()) +
                               "\n\nCapJISTwo\t: " + BoolText(jis_two.bool_value()) +
                               "\n\nCapTransmitSentinels: " + BoolText(sentinels.bool_value()) +
                               "\n\nCapPowerReporting\t: " + PowerReportingText(power.long_value()) + "\t";
    shell_.MsgBox(report, mb::kOk | mb::kIconInformation, "MSR Capability");
}

void frmMain::RefreshMsrValues() {
    IOposControl* msr = OPOSMSR1.get();
    OposValue v;
    if (RefreshRead(msr, "TracksToRead", OposValue::Type::Long, &v)) {
        ShowChangedValue(std::to_string(v.long_value()), lblTracksToRead);
    }
    const std::pair<const char*, Label*> flags[] = {{"DataEventEnabled", &lblDataEventEnabled},
                                                    {"TransmitSentinels", &lblTransmitSentinels},
                                                    {"AutoDisable", &lblAutoDisable}};
    for (const auto& f : flags) {
        if (RefreshRead(msr, f.first, OposValue::Type::Bool, &v)) ShowChangedValue(BoolText(v.bool_value()), *f.second);
    }
    ShowTracksToRead();
}

void frmMain::OnDataEvent(IOposControl& from, int32_t status) {
    // Only the MSR's data events have a handler.
    if (&from != OPOSMSR1.get()) return;
    const std::pair<const char*, Label*> tracks[] = {
        {"Track1Data", &Track1}, {"Track2Data", &Track2}, {"Track3Data", &Track3}};
    for (const auto& t : tracks) {
        OposValue data;
        if (ReadValue(&from, "Data Event", t.first, OposValue::Type::String, &data)) {
            t.second->SetCaption(data.string_value());
        }
    }
    // Upper-case hexadecimal without leading zeros; a negative status as
    // its 32-bit two's complement.
    char hex[16];
    std::snprintf(hex, sizeof hex, "%X", static_cast<unsigned>(static_cast<uint32_t>(status)));
    AddLogLine(std::string("Data Event : [") + hex + "]");
}

void frmMain::OnErrorEvent(IOposControl& from, int32_t result_code, int32_t result_code_extended, int32_t error_locus,
                           int32_t* /*error_response*/) {
    // Only the MSR's error events have a handler; the response stays as the
    // control object passed it.
    if (&from != OPOSMSR1.get()) return;
    OposValue type;
    const std::string report_type = ReadValue(&from, "Error Event", "ErrorReportType", OposValue::Type::Long, &type)
                                        ? std::to_string(type.long_value())
                                        : std::string();
    shell_.MsgBox("Error Report Type : [" + report_type + "]\n" + "Result Code : [" + std::to_string(result_code) +
                      "]\n" + "Result Code Extended=" + std::to_string(result_code_extended) + "]\n" + "Error Locus [" +
                      std::to_string(error_locus) + "]",
                  mb::kOk, kAppTitle);
    AddLogLine("Error Event");
}

void frmMain::OnMsrStatusUpdateEvent(int32_t data) {
    shell_.MsgBox("Status Update : [" + std::to_string(data) + "]", mb::kOk, kAppTitle);
    AddLogLine("Status Update Event : [" + std::to_string(data) + "]");
}

}  // namespace trellup
