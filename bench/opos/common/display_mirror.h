// The bench's window on its simulated line displays: an open display
// publishes what it shows (rows, cursor, brightness, blink rate) after every
// change in a small shared file mapping (%TEMP%\opos-sim-<name>-display.bin,
// name as the card feed's), so that a test or the opos-sim tool in another
// process can read it. The display that changed last is the one shown.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "shared_file.h"

namespace opos_bench {

struct DisplayState {
    std::vector<std::wstring> rows;  // at most 4 rows of at most 63 characters
    int32_t cursor_row = 0;
    int32_t cursor_column = 0;
    int32_t brightness = 0;
    int32_t blink_rate = 0;
};

class DisplayMirror {
public:
    // Null when the mapping cannot be made.
    static std::unique_ptr<DisplayMirror> Open(const std::string& name);
    DisplayMirror(const DisplayMirror&) = delete;
    DisplayMirror& operator=(const DisplayMirror&) = delete;

    void Publish(const DisplayState& state);
    // The state published last, with its sequence number in *sequence (0:
    // nothing published yet on this bench).
    DisplayState Last(uint32_t* sequence);

private:
    struct Shared;
    DisplayMirror(std::unique_ptr<SharedFile> file, Shared* view) : file_(std::move(file)), view_(view) {}
    std::unique_ptr<SharedFile> file_;
    Shared* view_;
};

}  // namespace opos_bench
