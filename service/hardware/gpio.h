// Drawer on plain I/O port bits, fully configurable.
#pragma once

#include "hardware/cashdrawer_control.h"

namespace kestrix {

class CGPIO final : public CPortVariant {
public:
    CGPIO(ILibraryLoader* loader, IClock* clock) : CPortVariant(loader, clock) {}
    // Setters only store; ports use their low 16 bits, the drive mask acts on
    // the byte read, the status mask uses its low 16 bits.
    void SetDrivePort(int32_t port) override { drive_port_ = port; }
    void SetDriveMask(int32_t mask) override { drive_mask_ = mask; }
    // 0 active low, 1 active high; any other phase writes the byte back as read.
    void SetDrivePhase(int32_t phase) override { drive_phase_ = phase; }
    void SetStatusPort(int32_t port) override { status_port_ = port; }
    void SetStatusMask(int32_t mask) override { status_mask_ = mask; }
    // Read-modify-write to the active level, wait `ms`, read-modify-write to
    // the inactive level.
    void Pulse(int32_t ms) override;
    // 1 when every bit of the status mask is set in the byte read.
    int32_t ReadStatus() override;

private:
    uint32_t Activate(uint32_t v) const;
    uint32_t Deactivate(uint32_t v) const;

    int32_t drive_port_ = 0;
    int32_t drive_mask_ = 0;
    int32_t drive_phase_ = 0;
    int32_t status_port_ = 0;
    int32_t status_mask_ = 0;
};

}  // namespace kestrix
