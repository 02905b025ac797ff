#include "store/mod_ini.h"

#include <algorithm>

namespace trellup {
namespace modINI {

std::string gIniPath;

namespace {

constexpr const char* kDeviceSection = "device";

void ComputeIniPath(const StorePlatform& p) { gIniPath = p.folder->Get() + "\\OPOS.INI"; }

}  // namespace

int32_t IniReadInt(const StorePlatform& p, const std::string& section, const std::string& key) {
    ComputeIniPath(p);
    return static_cast<int32_t>(p.profile->GetInt(section.c_str(), key.c_str(), 0, gIniPath.c_str()));
}

std::string IniReadString(const StorePlatform& p, const std::string& section, const std::string& key) {
    ComputeIniPath(p);
    char buffer[256] = {};
    const uint32_t copied =
        p.profile->GetString(section.c_str(), key.c_str(), "", buffer, sizeof buffer, gIniPath.c_str());
    const uint32_t n = std::min<uint32_t>(copied, sizeof buffer - 1);
    return std::string(buffer, std::find(buffer, buffer + n, '\0'));
}

void LoadMasterSection(const StorePlatform& p, const std::string& section, CashDrawerDevice* out) {
    out->ClassName = "CashDrawer";
    out->SOProgID = IniReadString(p, section, "SOName");
    out->Description = IniReadString(p, section, "SODescription");
    out->DeviceDesc = IniReadString(p, section, "DeviceDesc");
    out->Master = IniReadString(p, section, "Master");
    out->MasterValue = IniReadInt(p, section, "MasterValue");
    out->CheckStatusPeriod = IniReadInt(p, section, "CheckStatusPeriod");
    out->ConnectorPinNo = IniReadInt(p, section, "ConnectorPinNo");
    out->OpenStatusPhase = IniReadInt(p, section, "OpenStatusPhase");
    out->PulseOnTime = IniReadInt(p, section, "PulseOnTime");
    out->Timeout = IniReadInt(p, section, "Timeout");
}

std::vector<MasterDevice> ReadMasterDevices(const StorePlatform& p) {
    const int32_t count = std::clamp(IniReadInt(p, kDeviceSection, "count"), 0, kMaxMasterDevices);
    std::vector<MasterDevice> list;
    list.reserve(static_cast<size_t>(count));
    for (int32_t i = 1; i <= count; ++i) {
        MasterDevice m;
        m.section = IniReadString(p, kDeviceSection, "device" + std::to_string(i));
        // An unnamed entry stays empty: an empty section name would reach
        // whatever the profile keeps before the first section header.
        if (!m.section.empty()) m.name = IniReadString(p, m.section, "Master");
        list.push_back(std::move(m));
    }
    return list;
}

}  // namespace modINI

void CopyCurDeviceToEdit() { gEditDevice = gCurDevice; }

}  // namespace trellup
