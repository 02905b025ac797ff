// Readers of OPOS.INI, the hardware model templates beside the program, and
// the record helpers of the property dialog. Every read computes the file's
// path afresh (gIniPath) and opens the file anew; a missing file, section or
// key reads as 0 or "". Utility thread only.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/cash_drawer_device.h"
#include "platform/store_platform.h"

namespace trellup {
namespace modINI {

// Full path of OPOS.INI as computed before the last read.
extern std::string gIniPath;

// Upper bound on the master devices listed, whatever "count" says; keeps an
// absurd count from stalling the utility.
constexpr int32_t kMaxMasterDevices = 256;

// The key's value as an integer (a leading decimal number), 0 when missing.
int32_t IniReadInt(const StorePlatform& p, const std::string& section, const std::string& key);

// The key's text, at most 255 characters, "" when missing.
std::string IniReadString(const StorePlatform& p, const std::string& section, const std::string& key);

// Fills *out from one master section: ClassName "CashDrawer", SOProgID from
// "SOName", Description from "SODescription", DeviceDesc, Master and the six
// numbers from the keys of their names. DeviceName is left as it was.
void LoadMasterSection(const StorePlatform& p, const std::string& section, CashDrawerDevice* out);

// One master device of the "device" section.
struct MasterDevice {
    std::string section;  // value of "device<i>"
    std::string name;     // "Master" of that section
};

// The master devices in file order: for i = 1 ... "count" (clamped to
// 0 ... kMaxMasterDevices) the section named by "device<i>" and its "Master".
// A missing "device<i>" gives an entry with empty section and name.
std::vector<MasterDevice> ReadMasterDevices(const StorePlatform& p);

}  // namespace modINI

// gEditDevice = gCurDevice, all twelve fields.
void CopyCurDeviceToEdit();

}  // namespace trellup
