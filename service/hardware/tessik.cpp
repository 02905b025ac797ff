#include "hardware/tessik.h"

#include "hardware/port_lock.h"

namespace kestrix {
namespace {
constexpr uint32_t kIndex = 0x4E;
constexpr uint32_t kData = 0x4F;
}  // namespace

void CTessik::Pulse(int32_t ms) {
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    W(kIndex, 0x87);
    W(kIndex, 0x87);
    W(kIndex, 0x07);
    W(kData, 0x06);
    W(kIndex, 0xF3);
    W(kData, 0x03);
    W(kIndex, 0xF0);
    W(kData, 0x93);
    uint32_t level;
    if (connector_ == 1) {
        level = 0x81;
    } else if (connector_ == 2) {
        level = 0x82;
    } else {
        return;
    }
    W(kIndex, 0xF1);
    W(kData, level);
    Wait(ms);
    W(kIndex, 0xF1);
    W(kData, 0x80);
    Wait(ms);
    W(kIndex, 0xF1);
    W(kData, level);
    // Both bytes go to the data port: register 0xF1 receives 0xF3, then 0x00.
    W(kData, 0xF3);
    W(kData, 0x00);
}

int32_t CTessik::ReadStatus() {
    std::lock_guard<std::mutex> lock(g_csPortAccess);
    W(kIndex, 0x87);
    W(kIndex, 0x87);
    W(kIndex, 0x07);
    W(kData, 0x06);
    W(kIndex, 0xF2);
    W(kData, 0x00);
    W(kIndex, 0xF2);
    const uint32_t v = R(kData);
    W(kData, 0xF3);
    W(kData, 0x00);
    if (connector_ == 1) return (v & 0x04) ? 1 : 0;
    if (connector_ == 2) return (v & 0x08) ? 1 : 0;
    return 0;
}

}  // namespace kestrix
