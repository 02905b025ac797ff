#include "text/opos_texts.h"

namespace trellup {
namespace {

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
    {0, "Success"},
    {101, "Device closed"},
    {102, "Device claimed"},
    {103, "Device not claimed"},
    {104, "No service"},
    {105, "Device disabled"},
    {106, "Illegal"},
    {107, "No hardware"},
    {108, "Device offline"},
    {109, "Device not exist"},
    {110, "Device exists"},
    {111, "Device failure"},
    {112, "Device timeout"},
    {113, "Device busy"},
    {114, "Extended result"},
    {115, "Deprecated"},
};

constexpr Entry kOpenResults[] = {
    {0, "Success"},
    {301, "Control Object already open"},
    {302, "The registry does not contain a key for the specified device name"},
    {303, "Could not read the device name key's default value"},
    {304, "Could not create a service object"},
    {305, "The service object does not support one or more of the method"},
    {306, "The service object returned a failure status from its open call"},
    {307, "The service object major version number is not 1"},
    {401, "Port is invalid or inaccessible"},
    {402, "Service Object does not support the specified device"},
    {403, "Configuration information error"},
    {450, "Errors greater than this value are SO-specific"},
};

constexpr Entry kPowerStates[] = {
    {2000, "Unknow"},
    {2001, "Online"},
    {2002, "Off"},
    {2003, "Offline"},
    {2004, "Off offline"},
};

constexpr Entry kStates[] = {
    {1, "Device closed"},
    {2, "Device idle"},
    {3, "Device busy"},
    {4, "Device error"},
};

}  // namespace

std::string ResultCodeText(int32_t code) { return Lookup(kResultCodes, code); }
std::string OpenResultText(int32_t code) { return Lookup(kOpenResults, code); }
std::string PowerStateText(int32_t value) { return Lookup(kPowerStates, value); }
std::string StateText(int32_t value) { return Lookup(kStates, value); }

}  // namespace trellup
