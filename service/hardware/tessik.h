// Drawers on the GPIO of the Super I/O chip at index port 0x4E, data 0x4F;
// connector 1 or 2 selects the drawer.
#pragma once

#include "hardware/cashdrawer_control.h"

namespace kestrix {

class CTessik final : public CPortVariant {
public:
    CTessik(ILibraryLoader* loader, IClock* clock) : CPortVariant(loader, clock) {}
    // Level byte, 0x80, level byte into register 0xF1, each change `ms`
    // apart (two pulse times in all). With a connector other than 1 or 2 it
    // stops after the set-up writes.
    void Pulse(int32_t ms) override;
    // Register 0xF2: bit 0x04 for connector 1, 0x08 for connector 2; 0 for
    // any other connector.
    int32_t ReadStatus() override;
};

}  // namespace kestrix
