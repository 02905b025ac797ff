#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "control_object.h"

namespace opos_bench {

using namespace common::opos;

namespace {

constexpr GUID guid(unsigned long d1) {
    return GUID{d1, 0xB81E, 0x11D2, {0xAB, 0x74, 0x00, 0x40, 0x05, 0x4C, 0x37, 0x19}};
}

std::vector<const wchar_t*> so_methods(std::vector<const wchar_t*> extra) {
    std::vector<const wchar_t*> m = {L"COFreezeEvents",    L"GetPropertyNumber", L"SetPropertyNumber",
                                     L"GetPropertyString", L"SetPropertyString", L"OpenService",
                                     L"CheckHealth",       L"ClaimDevice",       L"CloseService",
                                     L"DirectIO",          L"ReleaseDevice"};
    m.insert(m.end(), extra.begin(), extra.end());
    return m;
}

std::vector<MethodSpec> methods(std::vector<MethodSpec> extra) {
    std::vector<MethodSpec> m = {
        {L"ClaimDevice", {ArgKind::Long}},
        {L"ReleaseDevice", {}},
        {L"CheckHealth", {ArgKind::Long}},
        {L"DirectIO", {ArgKind::Long, ArgKind::LongRef, ArgKind::StringRef}},
    };
    m.insert(m.end(), extra.begin(), extra.end());
    return m;
}

std::vector<PropSpec> props(std::vector<PropSpec> extra) {
    std::vector<PropSpec> p = {
        {L"Claimed", kPidxClaimed, PropType::Bool, false},
        {L"DataEventEnabled", kPidxDataEventEnabled, PropType::Bool, true},
        {L"DeviceEnabled", kPidxDeviceEnabled, PropType::Bool, true},
        {L"OutputID", kPidxOutputId, PropType::Long, false},
        {L"ResultCodeExtended", kPidxResultCodeExtended, PropType::Long, false},
        {L"AutoDisable", kPidxAutoDisable, PropType::Bool, true},
        {L"BinaryConversion", kPidxBinaryConversion, PropType::Long, true},
        {L"DataCount", kPidxDataCount, PropType::Long, false},
        {L"PowerNotify", kPidxPowerNotify, PropType::Long, true},
        {L"PowerState", kPidxPowerState, PropType::Long, false},
        {L"CapPowerReporting", kPidxCapPowerReporting, PropType::Long, false},
        {L"CapStatisticsReporting", kPidxCapStatisticsReporting, PropType::Bool, false},
        {L"CapUpdateStatistics", kPidxCapUpdateStatistics, PropType::Bool, false},
        {L"CheckHealthText", kPidxCheckHealthText, PropType::String, false},
        {L"DeviceDescription", kPidxDeviceDescription, PropType::String, false},
        {L"DeviceName", kPidxDeviceName, PropType::String, false},
        {L"ServiceObjectDescription", kPidxServiceObjectDescription, PropType::String, false},
    };
    p.insert(p.end(), extra.begin(), extra.end());
    return p;
}

}  // namespace

// A table keeps its columns.
// clang-format off
const ClassSpec& CashDrawerSpec() {
    static const ClassSpec s{
        L"CashDrawer", guid(0xCCB90042), guid(0xCCB90043), L"OPOS CashDrawer bench control object",
        so_methods({L"OpenDrawer", L"WaitForDrawerClose"}),
        methods({{L"OpenDrawer", {}},
                 {L"WaitForDrawerClose", {ArgKind::Long, ArgKind::Long, ArgKind::Long, ArgKind::Long}}}),
        props({{L"DrawerOpened", kPidxDrawerOpened, PropType::Bool, false},
               {L"CapStatus", kPidxCapStatus, PropType::Bool, false},
               {L"CapStatusMultiDrawerDetect", kPidxCapStatusMultiDrawerDetect, PropType::Bool, false}})};
    return s;
}

const ClassSpec& LineDisplaySpec() {
    static const ClassSpec s{
        L"LineDisplay", guid(0xCCB90102), guid(0xCCB90103), L"OPOS LineDisplay bench control object",
        so_methods({L"DisplayText", L"ClearText", L"ScrollText"}),
        methods({{L"DisplayText", {ArgKind::String, ArgKind::Long}},
                 {L"ClearText", {}},
                 {L"ScrollText", {ArgKind::Long, ArgKind::Long}}}),
        props({{L"CharacterSet", kPidxDispCharacterSet, PropType::Long, true},
               {L"Columns", kPidxDispColumns, PropType::Long, false},
               {L"CursorColumn", kPidxDispCursorColumn, PropType::Long, true},
               {L"CursorRow", kPidxDispCursorRow, PropType::Long, true},
               {L"CursorUpdate", kPidxDispCursorUpdate, PropType::Bool, true},
               {L"DeviceBrightness", kPidxDispDeviceBrightness, PropType::Long, true},
               {L"DeviceColumns", kPidxDispDeviceColumns, PropType::Long, false},
               {L"DeviceRows", kPidxDispDeviceRows, PropType::Long, false},
               {L"MarqueeFormat", kPidxDispMarqueeFormat, PropType::Long, true},
               {L"MarqueeType", kPidxDispMarqueeType, PropType::Long, true},
               {L"Rows", kPidxDispRows, PropType::Long, false},
               {L"BlinkRate", kPidxDispBlinkRate, PropType::Long, true},
               {L"CursorType", kPidxDispCursorType, PropType::Long, true},
               {L"CapBlink", kPidxDispCapBlink, PropType::Long, false},
               {L"CapBrightness", kPidxDispCapBrightness, PropType::Bool, false},
               {L"CapCharacterSet", kPidxDispCapCharacterSet, PropType::Long, false},
               {L"CapBlinkRate", kPidxDispCapBlinkRate, PropType::Bool, false},
               {L"CapCursorType", kPidxDispCapCursorType, PropType::Long, false},
               {L"CapReverse", kPidxDispCapReverse, PropType::Long, false}})};
    return s;
}

const ClassSpec& MsrSpec() {
    static const ClassSpec s{
        L"MSR", guid(0xCCB90122), guid(0xCCB90123), L"OPOS MSR bench control object",
        so_methods({L"ClearInput"}),
        methods({{L"ClearInput", {}}}),
        props({{L"ErrorReportType", kPidxMsrErrorReportType, PropType::Long, true},
               {L"TracksToRead", kPidxMsrTracksToRead, PropType::Long, true},
               {L"TransmitSentinels", kPidxMsrTransmitSentinels, PropType::Bool, true},
               {L"DecodeData", kPidxMsrDecodeData, PropType::Bool, true},
               {L"CapISO", kPidxMsrCapIso, PropType::Bool, false},
               {L"CapJISOne", kPidxMsrCapJisOne, PropType::Bool, false},
               {L"CapJISTwo", kPidxMsrCapJisTwo, PropType::Bool, false},
               {L"CapTransmitSentinels", kPidxMsrCapTransmitSentinels, PropType::Bool, false},
               {L"Track1Data", kPidxMsrTrack1Data, PropType::String, false},
               {L"Track2Data", kPidxMsrTrack2Data, PropType::String, false},
               {L"Track3Data", kPidxMsrTrack3Data, PropType::String, false}})};
    return s;
}

const ClassSpec& PosPrinterSpec() {
    static const ClassSpec s{L"POSPrinter", guid(0xCCB90152), guid(0xCCB90153),
                             L"OPOS POSPrinter bench control object", so_methods({}), methods({}), props({})};
    return s;
}
// clang-format on

std::vector<const ClassSpec*> AllControlSpecs() {
    return {&CashDrawerSpec(), &LineDisplaySpec(), &MsrSpec(), &PosPrinterSpec()};
}

}  // namespace opos_bench
