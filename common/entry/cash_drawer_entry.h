// The cash drawer device entry, the one thing the service object, the setup
// utility, its command-line twin and the bench share: where it lies under
// HKEY_LOCAL_MACHINE and the names of its values.
//
// Each name comes in the three character types the deliverables call the
// registry with, spelt byte for byte alike: common::entry::narrow (char, the
// utility's ANSI calls), ::wide (wchar_t, the bench's and tests' wide calls)
// and ::utf16 (char16_t, the service object's portable core).
#pragma once

// The OPOS area: one key per device class, one key per device below it.
#define KX_ENTRY_OPOS_ROOT "SOFTWARE\\OLEforRetail\\ServiceOPOS"

#define KX_ENTRY_NAME(id, text)                \
    namespace narrow {                         \
    inline constexpr char id[] = text;         \
    }                                          \
    namespace wide {                           \
    inline constexpr wchar_t id[] = L"" text;  \
    }                                          \
    namespace utf16 {                          \
    inline constexpr char16_t id[] = u"" text; \
    }

namespace common::entry {

KX_ENTRY_NAME(kOposRoot, KX_ENTRY_OPOS_ROOT)
KX_ENTRY_NAME(kCashDrawerClass, "CashDrawer")
// kOposRoot + "\" + kCashDrawerClass; a device key is this + "\" + device name.
KX_ENTRY_NAME(kCashDrawerKey, KX_ENTRY_OPOS_ROOT "\\CashDrawer")

// Values; the key's default value holds the service object's ProgID. Texts
// are REG_SZ, numbers REG_DWORD.
KX_ENTRY_NAME(kDescription, "Description")
KX_ENTRY_NAME(kDeviceName, "DeviceName")
KX_ENTRY_NAME(kDeviceDesc, "DeviceDesc")
KX_ENTRY_NAME(kDllPath, "DllPath")  // the folder that holds the port library
KX_ENTRY_NAME(kMaster, "Master")    // the hardware model's display name
KX_ENTRY_NAME(kMasterValue, "MasterValue")
KX_ENTRY_NAME(kCheckStatusPeriod, "CheckStatusPeriod")
KX_ENTRY_NAME(kConnectorPinNo, "ConnectorPinNo")
KX_ENTRY_NAME(kOpenStatusPhase, "OpenStatusPhase")
KX_ENTRY_NAME(kPulseOnTime, "PulseOnTime")
// Value names do not depend on case: the utility writes "Timeout", the
// service object asks for "TimeOut"; both name one value.
KX_ENTRY_NAME(kTimeout, "Timeout")
KX_ENTRY_NAME(kTimeoutAsRead, "TimeOut")
// The port settings a model may override.
KX_ENTRY_NAME(kCdPort, "CD_Port")
KX_ENTRY_NAME(kCdFire, "CD_Fire")
KX_ENTRY_NAME(kCsPort, "CS_Port")
KX_ENTRY_NAME(kCsStatus, "CS_Status")
KX_ENTRY_NAME(kCdPhase, "CD_Phase")

}  // namespace common::entry

#undef KX_ENTRY_NAME
#undef KX_ENTRY_OPOS_ROOT
