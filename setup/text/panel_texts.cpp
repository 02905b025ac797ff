#include "text/panel_texts.h"

namespace trellup {
namespace {

struct Entry {
    int32_t value;
    const char* text;
};

template <size_t N>
const char* Find(const Entry (&table)[N], int32_t value) {
    for (const Entry& e : table) {
        if (e.value == value) return e.text;
    }
    return nullptr;
}

constexpr Entry kPowerReporting[] = {{0, "None"}, {1, "Standard"}, {2, "Advanced"}};
constexpr Entry kCapBlink[] = {{0, ": No Blink"}, {1, ": Blink All"}, {2, ": Blink Each"}};
constexpr Entry kCapCharacterSet[] = {{0, ": Numeric"}, {1, ": Alpha"},     {10, ": Kana"},
                                      {11, ": Kanji"},  {997, ": Unicode"}, {998, ": ASCII"}};
// Single values only: a combination of cursor types has no text.
constexpr Entry kCapCursorType[] = {{0, ": None"},      {1, ": Fixed"},    {2, ": Block"}, {4, ": Half Block"},
                                    {8, ": Underline"}, {16, ": Reverse"}, {32, ": Other"}};
constexpr Entry kCapReverse[] = {{0, ": None"}, {1, ": Reverse All"}, {2, ": Reverse Each"}};
constexpr Entry kMarqueeTypes[] = {{0, "Marquees disabled"},       {1, "Scroll the window up"},
                                   {2, "Scroll the window down"},  {3, "Scroll the window left"},
                                   {4, "Scroll the window right"}, {5, "Marquees init mode"}};

}  // namespace

std::string BoolText(bool value) { return value ? "True" : "False"; }

std::string PowerReportingText(int32_t value) {
    const char* text = Find(kPowerReporting, value);
    return text != nullptr ? text : "";
}

const char* CapBlinkText(int32_t value) { return Find(kCapBlink, value); }
const char* CapCharacterSetText(int32_t value) { return Find(kCapCharacterSet, value); }
const char* CapCursorTypeText(int32_t value) { return Find(kCapCursorType, value); }
const char* CapReverseText(int32_t value) { return Find(kCapReverse, value); }
const char* MarqueeTypeTip(int32_t value) { return Find(kMarqueeTypes, value); }

}  // namespace trellup
