// Figures of the running process that a long run watches for growth, and
// the rule that says when a series of them grows without bound.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace kestrix_soak {

struct ProcessFigures {
    uint32_t handles = 0;
    uint32_t threads = 0;
    uint64_t private_bytes = 0;
};

// Handle count, thread count (toolhelp snapshot) and private bytes of this
// process; a figure the system cannot give stays 0.
ProcessFigures TakeFigures();

// One figure sampled at a cycle count.
struct Sample {
    uint64_t cycle;
    double value;
};

// The rise over the last half of the series, taken from the least-squares
// line through those samples (so that one noisy sample neither hides nor
// fakes a trend). 0 with fewer than three samples in that half.
double RiseOverLastHalf(const std::vector<Sample>& series);

}  // namespace kestrix_soak
