// The OPOS numbers every device class shares, in the published numbering:
// result codes, open results, device states, power values, health check
// levels, the common property indexes and the event dispatch identifiers.
// One name per number; device-class numbers are in device_numbers.h.
#pragma once

#include <cstdint>

namespace common::opos {

// Result codes.
constexpr int32_t kSuccess = 0;
constexpr int32_t kClosed = 101;
constexpr int32_t kClaimed = 102;
constexpr int32_t kNotClaimed = 103;
constexpr int32_t kNoService = 104;
constexpr int32_t kDisabled = 105;
constexpr int32_t kIllegal = 106;
constexpr int32_t kNoHardware = 107;
constexpr int32_t kOffline = 108;
constexpr int32_t kNoExist = 109;
constexpr int32_t kExists = 110;
constexpr int32_t kFailure = 111;
constexpr int32_t kTimeout = 112;
constexpr int32_t kBusy = 113;
constexpr int32_t kExtended = 114;
constexpr int32_t kDeprecated = 115;

// OpenResult values a control object gives.
constexpr int32_t kOrAlreadyOpen = 301;
constexpr int32_t kOrRegBadName = 302;
constexpr int32_t kOrRegProgId = 303;
constexpr int32_t kOrCreate = 304;
constexpr int32_t kOrBadIf = 305;
constexpr int32_t kOrFailedOpen = 306;
constexpr int32_t kOrBadVersion = 307;
// From here on, open results a service object gives itself.
constexpr int32_t kOrsNoPort = 401;
constexpr int32_t kOrsNotSupported = 402;
constexpr int32_t kOrsConfig = 403;
constexpr int32_t kOrsSpecific = 450;  // and above: the service object's own

// Device states.
constexpr int32_t kStateClosed = 1;
constexpr int32_t kStateIdle = 2;
constexpr int32_t kStateBusy = 3;
constexpr int32_t kStateError = 4;

// Power: PowerNotify, PowerState, CapPowerReporting.
constexpr int32_t kPowerNotifyDisabled = 0;
constexpr int32_t kPowerStateUnknown = 2000;
constexpr int32_t kPowerStateOnline = 2001;
constexpr int32_t kPowerStateOff = 2002;
constexpr int32_t kPowerStateOffline = 2003;
constexpr int32_t kPowerStateOffOffline = 2004;
constexpr int32_t kPowerReportingNone = 0;

// CheckHealth levels.
constexpr int32_t kHealthInternal = 1;
constexpr int32_t kHealthExternal = 2;
constexpr int32_t kHealthInteractive = 3;

// Common numeric property indexes.
constexpr int32_t kPidxClaimed = 1;
constexpr int32_t kPidxDataEventEnabled = 2;
constexpr int32_t kPidxDeviceEnabled = 3;
constexpr int32_t kPidxFreezeEvents = 4;
constexpr int32_t kPidxOutputId = 5;
constexpr int32_t kPidxResultCode = 6;
constexpr int32_t kPidxResultCodeExtended = 7;
constexpr int32_t kPidxServiceObjectVersion = 8;
constexpr int32_t kPidxState = 9;
constexpr int32_t kPidxAutoDisable = 10;
constexpr int32_t kPidxBinaryConversion = 11;
constexpr int32_t kPidxDataCount = 12;
constexpr int32_t kPidxPowerNotify = 13;
constexpr int32_t kPidxPowerState = 14;
constexpr int32_t kPidxCapPowerReporting = 501;
constexpr int32_t kPidxCapStatisticsReporting = 502;
constexpr int32_t kPidxCapUpdateStatistics = 503;
// Common string property indexes.
constexpr int32_t kPidxCheckHealthText = 1000001;
constexpr int32_t kPidxDeviceDescription = 1000002;
constexpr int32_t kPidxDeviceName = 1000003;
constexpr int32_t kPidxServiceObjectDescription = 1000004;

// Event dispatch identifiers of the control objects' event interfaces.
constexpr int32_t kDispidDataEvent = 1;
constexpr int32_t kDispidDirectIoEvent = 2;
constexpr int32_t kDispidErrorEvent = 3;
constexpr int32_t kDispidOutputCompleteEvent = 4;
constexpr int32_t kDispidStatusUpdateEvent = 5;

// ErrorEvent: the error locus of an input error, and the responses.
constexpr int32_t kElInput = 2;
constexpr int32_t kErRetry = 11;
constexpr int32_t kErClear = 12;

}  // namespace common::opos
