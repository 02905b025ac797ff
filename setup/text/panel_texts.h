// How the device panels show values: Booleans as words, and the OPOS
// capability and marquee values by their texts. Pure functions.
#pragma once

#include <cstdint>
#include <string>

namespace trellup {

// "True" or "False".
std::string BoolText(bool value);
// CapPowerReporting: "None", "Standard", "Advanced"; "" for any other value.
std::string PowerReportingText(int32_t value);

// Entry texts of the line display's capability report (": No Blink", ...);
// nullptr for a value outside the table, which then gets no entry at all.
const char* CapBlinkText(int32_t value);
const char* CapCharacterSetText(int32_t value);
const char* CapCursorTypeText(int32_t value);
const char* CapReverseText(int32_t value);

// Tool tip of the MarqueeType label for a marquee type; nullptr for any
// other value (the tip then stays as it was).
const char* MarqueeTypeTip(int32_t value);

}  // namespace trellup
