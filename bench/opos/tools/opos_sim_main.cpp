// opos-sim: hands card input to the simulated MSRs of the bench named by
// --name or the environment variable OPOS_SIM, and shows what its simulated
// line display shows.
//
//   opos-sim [--name NAME] swipe TRACK1 [TRACK2 [TRACK3]]
//   opos-sim [--name NAME] read-error [EXTENDED]
//   opos-sim [--name NAME] state
//   opos-sim [--name NAME] display
#include <cstdio>
#include <cstdlib>
#include <string>

#include "card_feed.h"
#include "display_mirror.h"

namespace {

// Prints the rows between bars, then the cursor and the settings.
int ShowDisplay(const std::string& name) {
    auto mirror = opos_bench::DisplayMirror::Open(name);
    if (!mirror) {
        std::fprintf(stderr, "opos-sim: bench %s not available\n", name.c_str());
        return 1;
    }
    uint32_t seq = 0;
    const opos_bench::DisplayState s = mirror->Last(&seq);
    std::printf("sequence %u\n", seq);
    for (const std::wstring& row : s.rows) std::printf("|%ls|\n", row.c_str());
    std::printf("cursor %d %d brightness %d blink-rate %d\n", s.cursor_row, s.cursor_column, s.brightness,
                s.blink_rate);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    using opos_bench::CardFeed;
    using opos_bench::CardInput;
    std::string name = CardFeed::NameFromEnvironment();
    int i = 1;
    if (i + 1 < argc && std::string(argv[i]) == "--name") {
        name = argv[i + 1];
        i += 2;
    }
    if (i < argc && std::string(argv[i]) == "display") return ShowDisplay(name);
    auto feed = CardFeed::Open(name);
    if (!feed) {
        std::fprintf(stderr, "opos-sim: bench %s not available\n", name.c_str());
        return 1;
    }
    const std::string cmd = i < argc ? argv[i] : "";
    if (cmd == "swipe" && i + 1 < argc) {
        CardInput in;
        in.kind = CardInput::kSwipe;
        for (int t = 0; t < 3 && i + 1 + t < argc; ++t) in.tracks[t] = argv[i + 1 + t];
        feed->Post(in);
    } else if (cmd == "read-error") {
        CardInput in;
        in.kind = CardInput::kReadError;
        in.extended = i + 1 < argc ? std::atoi(argv[i + 1]) : 0;
        feed->Post(in);
    } else if (cmd != "state") {
        std::fprintf(stderr, "usage: opos-sim [--name NAME] swipe T1 [T2 [T3]] | read-error [EXT] | state | display\n");
        return 2;
    }
    uint32_t seq = 0;
    CardInput last = feed->Last(&seq);
    std::printf("sequence %u kind %d tracks [%s] [%s] [%s]\n", seq, last.kind, last.tracks[0].c_str(),
                last.tracks[1].c_str(), last.tracks[2].c_str());
    return 0;
}
