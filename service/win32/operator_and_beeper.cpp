#include "handles.h"
#include "platform_win32.h"

namespace kestrix::win32 {

bool MessageBoxOperator::AskYesNo(const char16_t* caption, const char16_t* text) {
    return MessageBoxW(nullptr, wide(text), wide(caption), MB_YESNO) == IDYES;
}

void MessageBoxOperator::ShowOk(const char16_t* caption, const char16_t* text) {
    MessageBoxW(nullptr, wide(text), wide(caption), MB_OK);
}

void SystemBeeper::Beep(uint32_t frequency_hz, uint32_t duration_ms) {
    ::Beep(frequency_hz, duration_ms);  // no sound device: fails, which is ignored
}

}  // namespace kestrix::win32
