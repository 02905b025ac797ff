// The result log as a text file that a technician can send: a header that
// names the device, the utility and the date, then every line with the
// local time at which it was added. Texts are UTF-8; line ends are CR LF.
#pragma once

#include <string>
#include <vector>

namespace trellup {

struct LogClock {
    int hour = 0, minute = 0, second = 0, millisecond = 0;
};

struct LogFileHeader {
    std::string device;   // the selected device's name, may be empty
    std::string program;  // the window caption, "Trellup v1.0.8"
    int bits = 0;         // 32 or 64
    int year = 0, month = 0, day = 0;
};

struct TimedLogLine {
    LogClock added;
    std::string text;
};

// "HH:MM:SS.mmm", each field clamped to its range.
std::string ClockText(const LogClock& clock);

// The whole file.
std::string LogFileText(const LogFileHeader& header, const std::vector<TimedLogLine>& lines);

}  // namespace trellup
