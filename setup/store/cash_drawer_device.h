// The utility's record of one cash drawer device entry, and the records and
// mode flag that the main window, the device commands and the property dialog
// share. All of them are used from the utility's one thread only.
#pragma once

#include <cstdint>
#include <string>

namespace trellup {

// One device entry; the twelve fields in the order of the entry's values.
struct CashDrawerDevice {
    std::string ClassName;  // device class key name; "CashDrawer" for dialog-written records
    std::string SOProgID;   // the key's default value
    std::string Description;
    std::string DeviceName;  // the device key's name
    std::string DeviceDesc;
    std::string Master;  // display name of the hardware model
    int32_t MasterValue = 0;
    int32_t CheckStatusPeriod = 0;
    int32_t ConnectorPinNo = 0;
    int32_t OpenStatusPhase = 0;
    int32_t PulseOnTime = 0;
    int32_t Timeout = 0;

    bool operator==(const CashDrawerDevice& o) const;
    bool operator!=(const CashDrawerDevice& o) const { return !(*this == o); }
};

// What the property dialog is doing.
enum : int16_t { kSettingCreate = 0, kSettingProperty = 1 };

extern CashDrawerDevice gCurDevice;   // the device clicked last in the tree
extern CashDrawerDevice gEditDevice;  // the record the property dialog shows and writes
extern int16_t gSettingMode;          // kSettingCreate or kSettingProperty

}  // namespace trellup
