#include "hardware/volma_control.h"

#include "hardware/port_lock.h"

namespace kestrix {
namespace {
constexpr uint32_t kIndex = 0x2E;
constexpr uint32_t kData = 0x2F;
}  // namespace

void CVolmaControl::Prepare() {
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    W(kIndex, 0x87);
    W(kIndex, 0x87);
    W(kIndex, 0x07);
    W(kData, 0x09);
    W(kIndex, 0x30);
    uint32_t v = R(kData);
    W(kData, v | 0x02);
    W(kIndex, 0x2A);
    v = R(kData);
    W(kData, v & 0xFD);
    v = R(kData);
    W(kData, v | 0x0C);
    W(kIndex, 0x2C);
    v = R(kData);
    W(kData, v & 0x1F);
    W(kIndex, 0xF0);
    v = R(kData);
    W(kData, v & 0xFB);
    W(kIndex, 0xAA);
}

void CVolmaControl::Pulse(int32_t ms) {
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    W(kIndex, 0x87);
    W(kIndex, 0x87);
    W(kIndex, 0xF1);
    W(kData, 0xFF);
    W(kIndex, 0xAA);
    Wait(ms);
    W(kIndex, 0x87);
    W(kIndex, 0x87);
    W(kIndex, 0xF1);
    W(kData, 0x00);
    W(kIndex, 0xAA);
}

int32_t CVolmaControl::ReadStatus() {
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    W(kIndex, 0x87);
    W(kIndex, 0x87);
    W(kIndex, 0xF1);
    const uint32_t v = R(kData);
    W(kIndex, 0xAA);
    return v == 0xEB ? 1 : 0;
}

}  // namespace kestrix
