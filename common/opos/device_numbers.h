// Property indexes and values of single device classes: cash drawer, line
// display, MSR. Indexes of different classes overlap (each starts at 1001).
#pragma once

#include <cstdint>

namespace common::opos {

// Cash drawer.
constexpr int32_t kPidxDrawerOpened = 1001;
constexpr int32_t kPidxCapStatus = 1501;
constexpr int32_t kPidxCapStatusMultiDrawerDetect = 1502;
// StatusUpdateEvent values of a cash drawer.
constexpr int32_t kDrawerClosed = 0;
constexpr int32_t kDrawerOpen = 1;

// Line display.
constexpr int32_t kPidxDispCharacterSet = 1001;
constexpr int32_t kPidxDispColumns = 1002;
constexpr int32_t kPidxDispCurrentWindow = 1003;
constexpr int32_t kPidxDispCursorColumn = 1004;
constexpr int32_t kPidxDispCursorRow = 1005;
constexpr int32_t kPidxDispCursorUpdate = 1006;
constexpr int32_t kPidxDispDeviceBrightness = 1007;
constexpr int32_t kPidxDispDeviceColumns = 1008;
constexpr int32_t kPidxDispDeviceDescriptors = 1009;
constexpr int32_t kPidxDispDeviceRows = 1010;
constexpr int32_t kPidxDispDeviceWindows = 1011;
constexpr int32_t kPidxDispInterCharacterWait = 1012;
constexpr int32_t kPidxDispMarqueeFormat = 1013;
constexpr int32_t kPidxDispMarqueeRepeatWait = 1014;
constexpr int32_t kPidxDispMarqueeType = 1015;
constexpr int32_t kPidxDispMarqueeUnitWait = 1016;
constexpr int32_t kPidxDispRows = 1017;
constexpr int32_t kPidxDispBlinkRate = 1018;
constexpr int32_t kPidxDispCursorType = 1019;
constexpr int32_t kPidxDispCapBlink = 1501;
constexpr int32_t kPidxDispCapBrightness = 1502;
constexpr int32_t kPidxDispCapCharacterSet = 1503;
constexpr int32_t kPidxDispCapDescriptors = 1504;
constexpr int32_t kPidxDispCapHMarquee = 1505;
constexpr int32_t kPidxDispCapICharWait = 1506;
constexpr int32_t kPidxDispCapVMarquee = 1507;
constexpr int32_t kPidxDispCapBlinkRate = 1508;
constexpr int32_t kPidxDispCapCursorType = 1509;
constexpr int32_t kPidxDispCapCustomGlyph = 1510;
constexpr int32_t kPidxDispCapReadBack = 1511;
constexpr int32_t kPidxDispCapReverse = 1512;
// Text attributes and scroll directions.
constexpr int32_t kDispDtNormal = 0;
constexpr int32_t kDispDtBlinkReverse = 3;
constexpr int32_t kDispStUp = 1;
constexpr int32_t kDispStRight = 4;

// MSR.
constexpr int32_t kPidxMsrDecodeData = 1001;
constexpr int32_t kPidxMsrErrorReportType = 1002;
constexpr int32_t kPidxMsrParseDecodeData = 1003;
constexpr int32_t kPidxMsrTracksToRead = 1004;
constexpr int32_t kPidxMsrTransmitSentinels = 1005;
constexpr int32_t kPidxMsrCapIso = 1501;
constexpr int32_t kPidxMsrCapJisOne = 1502;
constexpr int32_t kPidxMsrCapJisTwo = 1503;
constexpr int32_t kPidxMsrCapTransmitSentinels = 1504;
constexpr int32_t kPidxMsrTrack1Data = 1001009;
constexpr int32_t kPidxMsrTrack2Data = 1001011;
constexpr int32_t kPidxMsrTrack3Data = 1001013;

}  // namespace common::opos
