// The bench's card reader feed: a small shared file mapping
// (%TEMP%\opos-sim-<name>.bin, name from the environment variable OPOS_SIM,
// default "default") through which the opos-sim tool hands a card swipe or a
// read error to the simulated MSR of any process on the same bench.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <utility>

#include "shared_file.h"

namespace opos_bench {

struct CardInput {
    enum Kind : int32_t { kSwipe = 1, kReadError = 2 };
    int32_t kind = kSwipe;
    int32_t extended = 0;   // ResultCodeExtended of a read error
    std::string tracks[3];  // track data without sentinels, at most 127 bytes each
};

class CardFeed {
public:
    // Null when the mapping cannot be made.
    static std::unique_ptr<CardFeed> Open(const std::string& name);
    static std::string NameFromEnvironment();

    void Post(const CardInput& input);
    // The sequence number of the last posted input (0: none yet).
    uint32_t Sequence();
    // The last posted input, with its sequence number in *sequence.
    CardInput Last(uint32_t* sequence);

private:
    struct Shared;
    CardFeed(std::unique_ptr<SharedFile> file, Shared* view) : file_(std::move(file)), view_(view) {}
    std::unique_ptr<SharedFile> file_;
    Shared* view_;
};

}  // namespace opos_bench
