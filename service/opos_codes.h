// OPOS numbers that the service object core uses.
#pragma once

#include <cstdint>

namespace kestrix {
namespace opos {

// Result codes.
constexpr int32_t kSuccess = 0;
constexpr int32_t kClosed = 101;
constexpr int32_t kClaimed = 102;
constexpr int32_t kNotClaimed = 103;
constexpr int32_t kDisabled = 105;
constexpr int32_t kIllegal = 106;
constexpr int32_t kFailure = 111;
constexpr int32_t kAlreadyOpen = 301;

// Numeric property indexes.
constexpr int32_t kPidxClaimed = 1;
constexpr int32_t kPidxDataEventEnabled = 2;
constexpr int32_t kPidxDeviceEnabled = 3;
constexpr int32_t kPidxFreezeEvents = 4;
constexpr int32_t kPidxResultCode = 6;
constexpr int32_t kPidxResultCodeExtended = 7;
constexpr int32_t kPidxServiceObjectVersion = 8;
constexpr int32_t kPidxState = 9;
constexpr int32_t kPidxPowerNotify = 13;
constexpr int32_t kPidxPowerState = 14;
constexpr int32_t kPidxCapPowerReporting = 501;
constexpr int32_t kPidxDrawerOpened = 1001;
constexpr int32_t kPidxCapStatus = 1501;
constexpr int32_t kPidxCapStatusMultiDrawerDetect = 1502;

// String property indexes.
constexpr int32_t kPidxCheckHealthText = 1000001;
constexpr int32_t kPidxDeviceDescription = 1000002;
constexpr int32_t kPidxDeviceName = 1000003;
constexpr int32_t kPidxServiceObjectDescription = 1000004;

// Values.
constexpr int32_t kServiceObjectVersion = 1005019;  // 1.5.19
constexpr int32_t kStateClosed = 1;
constexpr int32_t kStateIdle = 2;
constexpr int32_t kPowerNotifyDisabled = 0;
constexpr int32_t kPowerStateOnline = 2001;
constexpr int32_t kPowerReportingNone = 0;
constexpr int32_t kNotSupportedValue = 111;

// Health check levels.
constexpr int32_t kHealthInternal = 1;
constexpr int32_t kHealthExternal = 2;
constexpr int32_t kHealthInteractive = 3;

// Status-update values sent to the control object.
constexpr int32_t kDrawerClosed = 0;
constexpr int32_t kDrawerOpen = 1;

}  // namespace opos
}  // namespace kestrix
