// The saved log's text: header, time stamps and line ends.
#include <gtest/gtest.h>

#include "text/log_file.h"

namespace trellup::test {
namespace {

TEST(LogFile, ClockTextIsZeroPaddedAndClamped) {
    const struct {
        LogClock clock;
        const char* text;
    } cases[] = {
        {{0, 0, 0, 0}, "00:00:00.000"},       {{9, 5, 7, 42}, "09:05:07.042"},    {{23, 59, 59, 999}, "23:59:59.999"},
        {{24, 60, 61, 1000}, "23:59:59.999"}, {{-1, -5, -1, -7}, "00:00:00.000"},
    };
    for (const auto& c : cases) EXPECT_EQ(ClockText(c.clock), c.text);
}

TEST(LogFile, HeaderThenEveryLineWithTheTimeItWasAdded) {
    LogFileHeader header{"NVCD1", "Trellup v1.0.8", 32, 2026, 3, 9};
    const std::vector<TimedLogLine> lines = {
        {{8, 1, 2, 3}, "Cash Drawer ========================"},
        {{8, 1, 2, 450}, "Open : [0] Success"},
        {{8, 1, 3, 0}, "Gr\xc3\xbc\xc3\x9f"},  // UTF-8 passes through unchanged
        {{8, 1, 3, 1}, ""},
    };
    EXPECT_EQ(LogFileText(header, lines),
              "Device: NVCD1\r\n"
              "Trellup v1.0.8 (32-bit)\r\n"
              "Date: 2026-03-09\r\n"
              "\r\n"
              "08:01:02.003 Cash Drawer ========================\r\n"
              "08:01:02.450 Open : [0] Success\r\n"
              "08:01:03.000 Gr\xc3\xbc\xc3\x9f\r\n"
              "08:01:03.001 \r\n");
    header.device.clear();
    header.bits = 64;
    EXPECT_EQ(LogFileText(header, {}), "Device: \r\nTrellup v1.0.8 (64-bit)\r\nDate: 2026-03-09\r\n\r\n");
}

}  // namespace
}  // namespace trellup::test
