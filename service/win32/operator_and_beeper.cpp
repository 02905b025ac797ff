#include "platform_win32.h"

namespace kestrix::win32 {

namespace {
// Above a full-screen, topmost POS application, and in front, so that the
// question is seen instead of the terminal looking hung.
constexpr UINT kInFront = MB_TOPMOST | MB_SETFOREGROUND;
}  // namespace

bool MessageBoxOperator::AskYesNo(const char16_t* caption, const char16_t* text) {
    return show_(nullptr, wide(text), wide(caption), MB_YESNO | kInFront) == IDYES;
}

void MessageBoxOperator::ShowOk(const char16_t* caption, const char16_t* text) {
    show_(nullptr, wide(text), wide(caption), MB_OK | kInFront);
}

void SystemBeeper::Beep(uint32_t frequency_hz, uint32_t duration_ms) {
    ::Beep(frequency_hz, duration_ms);  // no sound device: fails, which is ignored
}

}  // namespace kestrix::win32
