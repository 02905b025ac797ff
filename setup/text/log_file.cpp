#include "text/log_file.h"

#include <algorithm>
#include <cstdio>

namespace trellup {
namespace {

int Clamp(int value, int high) { return std::clamp(value, 0, high); }

}  // namespace

std::string ClockText(const LogClock& c) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d.%03d", Clamp(c.hour, 23), Clamp(c.minute, 59), Clamp(c.second, 59),
                  Clamp(c.millisecond, 999));
    return text;
}

std::string LogFileText(const LogFileHeader& header, const std::vector<TimedLogLine>& lines) {
    char date[32];
    std::snprintf(date, sizeof date, "%04d-%02d-%02d", Clamp(header.year, 9999), Clamp(header.month, 12),
                  Clamp(header.day, 31));
    std::string text = "Device: " + header.device + "\r\n";
    text += header.program + " (" + std::to_string(header.bits) + "-bit)\r\n";
    text += std::string("Date: ") + date + "\r\n\r\n";
    for (const TimedLogLine& line : lines) text += ClockText(line.added) + " " + line.text + "\r\n";
    return text;
}

}  // namespace trellup
