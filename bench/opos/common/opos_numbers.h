// OPOS numbers shared by the bench's control objects and simulated service
// objects: result codes, open results, property indexes (PIDX) and event
// dispatch identifiers, in the published OPOS numbering.
#pragma once

namespace opos_bench {

// Result codes.
constexpr long kSuccess = 0;
constexpr long kClosed = 101;
constexpr long kClaimed = 102;
constexpr long kNotClaimed = 103;
constexpr long kNoService = 104;
constexpr long kDisabled = 105;
constexpr long kIllegal = 106;
constexpr long kNoExist = 109;
constexpr long kFailure = 111;
constexpr long kExtended = 114;

// OpenResult values.
constexpr long kOrAlreadyOpen = 301;
constexpr long kOrRegBadName = 302;
constexpr long kOrRegProgId = 303;
constexpr long kOrCreate = 304;
constexpr long kOrBadIf = 305;
constexpr long kOrFailedOpen = 306;
constexpr long kOrBadVersion = 307;
// From here on, open results that a service object gives itself (401 no port,
// 402 not supported, 403 configuration, 450 and above its own).
constexpr long kOrsFirst = 401;

// States.
constexpr long kStateClosed = 1;
constexpr long kStateIdle = 2;
constexpr long kStateBusy = 3;
constexpr long kStateError = 4;

// Common numeric property indexes.
constexpr long kPidxClaimed = 1;
constexpr long kPidxDataEventEnabled = 2;
constexpr long kPidxDeviceEnabled = 3;
constexpr long kPidxFreezeEvents = 4;
constexpr long kPidxOutputId = 5;
constexpr long kPidxResultCode = 6;
constexpr long kPidxResultCodeExtended = 7;
constexpr long kPidxServiceObjectVersion = 8;
constexpr long kPidxState = 9;
constexpr long kPidxAutoDisable = 10;
constexpr long kPidxBinaryConversion = 11;
constexpr long kPidxDataCount = 12;
constexpr long kPidxPowerNotify = 13;
constexpr long kPidxPowerState = 14;
constexpr long kPidxCapPowerReporting = 501;
constexpr long kPidxCapStatisticsReporting = 502;
constexpr long kPidxCapUpdateStatistics = 503;
// Common string property indexes.
constexpr long kPidxCheckHealthText = 1000001;
constexpr long kPidxDeviceDescription = 1000002;
constexpr long kPidxDeviceName = 1000003;
constexpr long kPidxServiceObjectDescription = 1000004;

// Cash drawer.
constexpr long kPidxDrawerOpened = 1001;
constexpr long kPidxCapStatus = 1501;
constexpr long kPidxCapStatusMultiDrawerDetect = 1502;

// Line display.
constexpr long kPidxDispCharacterSet = 1001;
constexpr long kPidxDispColumns = 1002;
constexpr long kPidxDispCurrentWindow = 1003;
constexpr long kPidxDispCursorColumn = 1004;
constexpr long kPidxDispCursorRow = 1005;
constexpr long kPidxDispCursorUpdate = 1006;
constexpr long kPidxDispDeviceBrightness = 1007;
constexpr long kPidxDispDeviceColumns = 1008;
constexpr long kPidxDispDeviceDescriptors = 1009;
constexpr long kPidxDispDeviceRows = 1010;
constexpr long kPidxDispDeviceWindows = 1011;
constexpr long kPidxDispInterCharacterWait = 1012;
constexpr long kPidxDispMarqueeFormat = 1013;
constexpr long kPidxDispMarqueeRepeatWait = 1014;
constexpr long kPidxDispMarqueeType = 1015;
constexpr long kPidxDispMarqueeUnitWait = 1016;
constexpr long kPidxDispRows = 1017;
constexpr long kPidxDispBlinkRate = 1018;
constexpr long kPidxDispCursorType = 1019;
constexpr long kPidxDispCapBlink = 1501;
constexpr long kPidxDispCapBrightness = 1502;
constexpr long kPidxDispCapCharacterSet = 1503;
constexpr long kPidxDispCapDescriptors = 1504;
constexpr long kPidxDispCapHMarquee = 1505;
constexpr long kPidxDispCapICharWait = 1506;
constexpr long kPidxDispCapVMarquee = 1507;
constexpr long kPidxDispCapBlinkRate = 1508;
constexpr long kPidxDispCapCursorType = 1509;
constexpr long kPidxDispCapCustomGlyph = 1510;
constexpr long kPidxDispCapReadBack = 1511;
constexpr long kPidxDispCapReverse = 1512;

// MSR.
constexpr long kPidxMsrDecodeData = 1001;
constexpr long kPidxMsrErrorReportType = 1002;
constexpr long kPidxMsrParseDecodeData = 1003;
constexpr long kPidxMsrTracksToRead = 1004;
constexpr long kPidxMsrTransmitSentinels = 1005;
constexpr long kPidxMsrCapIso = 1501;
constexpr long kPidxMsrCapJisOne = 1502;
constexpr long kPidxMsrCapJisTwo = 1503;
constexpr long kPidxMsrCapTransmitSentinels = 1504;
constexpr long kPidxMsrTrack1Data = 1001009;
constexpr long kPidxMsrTrack2Data = 1001011;
constexpr long kPidxMsrTrack3Data = 1001013;

// Event dispatch identifiers of the control objects' event interfaces.
constexpr long kDispidDataEvent = 1;
constexpr long kDispidDirectIoEvent = 2;
constexpr long kDispidErrorEvent = 3;
constexpr long kDispidOutputCompleteEvent = 4;
constexpr long kDispidStatusUpdateEvent = 5;

// Error locus of an MSR read error.
constexpr long kElInput = 2;
// Error response the control object passes with an ErrorEvent.
constexpr long kErRetry = 11;
constexpr long kErClear = 12;

// Line display attributes and scroll directions.
constexpr long kDispDtNormal = 0;
constexpr long kDispDtBlinkReverse = 3;
constexpr long kDispStUp = 1;
constexpr long kDispStRight = 4;

}  // namespace opos_bench
