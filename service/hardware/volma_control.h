// Drawer on the GPIO of the Super I/O chip at index port 0x2E, data 0x2F.
#pragma once

#include "hardware/cashdrawer_control.h"

namespace kestrix {

class CVolmaControl final : public CPortVariant {
public:
    CVolmaControl(ILibraryLoader* loader, IClock* clock) : CPortVariant(loader, clock) {}
    // Selects logical device 9 and sets up its GPIO function. Holds the port
    // lock, so that it never interleaves with another object's sequences.
    void Prepare() override;
    // Register 0xF1 to 0xFF for `ms`, then 0x00; the connector plays no part.
    void Pulse(int32_t ms) override;
    // 1 only when register 0xF1 reads exactly 0xEB.
    int32_t ReadStatus() override;
};

}  // namespace kestrix
