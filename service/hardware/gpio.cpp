#include "hardware/gpio.h"

#include "hardware/port_lock.h"

namespace kestrix {

uint32_t CGPIO::Activate(uint32_t v) const {
    const uint32_t mask = static_cast<uint32_t>(drive_mask_);
    if (drive_phase_ == 0) return v & ~mask;
    if (drive_phase_ == 1) return v | mask;
    return v;
}

uint32_t CGPIO::Deactivate(uint32_t v) const {
    const uint32_t mask = static_cast<uint32_t>(drive_mask_);
    if (drive_phase_ == 0) return v | mask;
    if (drive_phase_ == 1) return v & ~mask;
    return v;
}

void CGPIO::Pulse(int32_t ms) {
    const uint32_t port = static_cast<uint32_t>(drive_port_) & 0xFFFFu;
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    W(port, Activate(R(port)));
    Wait(ms);
    W(port, Deactivate(R(port)));
}

int32_t CGPIO::ReadStatus() {
    const uint32_t port = static_cast<uint32_t>(status_port_) & 0xFFFFu;
    const uint32_t mask = static_cast<uint32_t>(status_mask_) & 0xFFFFu;
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    const uint32_t v = R(port);
    return (v & mask) == mask ? 1 : 0;
}

}  // namespace kestrix
