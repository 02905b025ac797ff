// The hardware model table: MasterValue to variant and port settings.
#include "cash_drawer_core.h"

namespace kestrix {
namespace {

struct GpioRow {
    int32_t masterValue;
    int32_t drivePort, driveMask, drivePhase, statusPort, statusMask;
};

constexpr GpioRow kGpioRows[] = {
    {5, 0x0A04, 0x01, 0, 0x0A04, 0x02},  {6, 0x0A04, 0x01, 0, 0x0A04, 0x02},  {7, 0x050D, 0x40, 0, 0x050D, 0x20},
    {8, 0x0280, 0x10, 0, 0x0281, 0x01},  {9, 0x048C, 0x04, 1, 0x048C, 0x40},  {10, 0x0A24, 0x40, 1, 0x0A24, 0x01},
    {11, 0x048F, 0x02, 0, 0x048F, 0x01}, {12, 0x0A04, 0x01, 0, 0x0A04, 0x02}, {13, 0x0A02, 0x04, 1, 0x0A02, 0x20},
    {14, 0x0482, 0x10, 1, 0x0482, 0x08}, {15, 0x048C, 0x04, 1, 0x048C, 0x40},
};

void ConfigureGpio(CCashdrawerControl& v, int32_t drivePort, int32_t driveMask, int32_t drivePhase, int32_t statusPort,
                   int32_t statusMask) {
    v.SetDrivePort(drivePort);
    v.SetDriveMask(driveMask);
    v.SetDrivePhase(drivePhase);
    v.SetStatusPort(statusPort);
    v.SetStatusMask(statusMask);
    v.SetConnector(1);
}

}  // namespace

// Makes the row's variant current and gives it the row's settings. False,
// with the current variant unchanged, for a MasterValue outside the table or
// (for 99) a missing custom port value; custom values read before the
// missing one keep their new values.
bool CCashDrawer_SOCore::ChooseVariant() {
    const int32_t mv = master_value_;
    if (mv == 1 || mv == 2) {
        current_ = &volma_;
        ready_ = false;
        volma_.SetConnector(mv);
        return true;
    }
    if (mv == 3 || mv == 4) {
        current_ = &tessik_;
        ready_ = false;
        tessik_.SetConnector(mv - 2);
        return true;
    }
    for (const GpioRow& row : kGpioRows) {
        if (row.masterValue != mv) continue;
        current_ = &gpio_;
        ready_ = false;
        ConfigureGpio(gpio_, row.drivePort, row.driveMask, row.drivePhase, row.statusPort, row.statusMask);
        return true;
    }
    if (mv != 99) return false;
    CDeviceRegistry& r = registry_;
    if (r.ReadCdPort(&cd_port_) != 0 || r.ReadCdFire(&cd_fire_) != 0 || r.ReadCsPort(&cs_port_) != 0 ||
        r.ReadCsStatus(&cs_status_) != 0 || r.ReadCdPhase(&cd_phase_) != 0) {
        return false;
    }
    current_ = &gpio_;
    ready_ = false;
    ConfigureGpio(gpio_, cd_port_, cd_fire_, cd_phase_, cs_port_, cs_status_);
    return true;
}

}  // namespace kestrix
