#include "text/opos_texts.h"

#include "common/opos/opos_numbers.h"

namespace trellup {
namespace {

using namespace common::opos;

struct Entry {
    int32_t value;
    const char* text;
};

constexpr const char* kUnknown = "Unknowen";

template <size_t N>
std::string Lookup(const Entry (&table)[N], int32_t value) {
    for (const Entry& e : table) {
        if (e.value == value) return e.text;
    }
    return kUnknown;
}

constexpr Entry kResultCodes[] = {
    {kSuccess, "Success"},          {kClosed, "Device closed"},
    {kClaimed, "Device claimed"},   {kNotClaimed, "Device not claimed"},
    {kNoService, "No service"},     {kDisabled, "Device disabled"},
    {kIllegal, "Illegal"},          {kNoHardware, "No hardware"},
    {kOffline, "Device offline"},   {kNoExist, "Device not exist"},
    {kExists, "Device exists"},     {kFailure, "Device failure"},
    {kTimeout, "Device timeout"},   {kBusy, "Device busy"},
    {kExtended, "Extended result"}, {kDeprecated, "Deprecated"},
};

constexpr Entry kOpenResults[] = {
    {kSuccess, "Success"},
    {kOrAlreadyOpen, "Control Object already open"},
    {kOrRegBadName, "The registry does not contain a key for the specified device name"},
    {kOrRegProgId, "Could not read the device name key's default value"},
    {kOrCreate, "Could not create a service object"},
    {kOrBadIf, "The service object does not support one or more of the method"},
    {kOrFailedOpen, "The service object returned a failure status from its open call"},
    {kOrBadVersion, "The service object major version number is not 1"},
    {kOrsNoPort, "Port is invalid or inaccessible"},
    {kOrsNotSupported, "Service Object does not support the specified device"},
    {kOrsConfig, "Configuration information error"},
    {kOrsSpecific, "Errors greater than this value are SO-specific"},
};

constexpr Entry kPowerStates[] = {
    {kPowerStateUnknown, "Unknow"},  {kPowerStateOnline, "Online"},          {kPowerStateOff, "Off"},
    {kPowerStateOffline, "Offline"}, {kPowerStateOffOffline, "Off offline"},
};

constexpr Entry kStates[] = {
    {kStateClosed, "Device closed"},
    {kStateIdle, "Device idle"},
    {kStateBusy, "Device busy"},
    {kStateError, "Device error"},
};

}  // namespace

std::string ResultCodeText(int32_t code) { return Lookup(kResultCodes, code); }
std::string OpenResultText(int32_t code) { return Lookup(kOpenResults, code); }
std::string PowerStateText(int32_t value) { return Lookup(kPowerStates, value); }
std::string StateText(int32_t value) { return Lookup(kStates, value); }

}  // namespace trellup
