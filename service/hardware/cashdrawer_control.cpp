#include "hardware/cashdrawer_control.h"

namespace kestrix {

bool CPortVariant::Initialize(const char16_t* directory) {
    if (!binding_.LoadLibraryAt(directory)) return false;
    return binding_.StartDriver(directory);
}

uint32_t CPortVariant::R(uint32_t port) {
    uint32_t v = 0;
    binding_.ReadPort(port, &v, 1);
    return v;
}

void CPortVariant::W(uint32_t port, uint32_t value) { binding_.WritePort(port, value, 1); }

void CPortVariant::Wait(int32_t ms) {
    if (ms > 0 && clock_) clock_->Sleep(static_cast<uint32_t>(ms));
}

}  // namespace kestrix
