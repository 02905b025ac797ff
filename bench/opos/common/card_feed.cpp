#include "card_feed.h"

#include <algorithm>
#include <cstring>

namespace opos_bench {

struct CardFeed::Shared {
    volatile LONG sequence;
    int32_t kind;
    int32_t extended;
    char tracks[3][128];
};

std::string CardFeed::NameFromEnvironment() {
    char buf[128] = {};
    DWORD n = GetEnvironmentVariableA("OPOS_SIM", buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("default");
}

std::unique_ptr<CardFeed> CardFeed::Open(const std::string& name) {
    auto file = SharedFile::Open(name, sizeof(Shared));
    if (!file) return nullptr;
    auto* view = static_cast<Shared*>(file->view());
    return std::unique_ptr<CardFeed>(new CardFeed(std::move(file), view));
}

void CardFeed::Post(const CardInput& input) {
    SharedFile::Lock lock(*file_);
    view_->kind = input.kind;
    view_->extended = input.extended;
    for (int t = 0; t < 3; ++t) {
        size_t len = std::min<size_t>(input.tracks[t].size(), sizeof view_->tracks[t] - 1);
        std::memset(view_->tracks[t], 0, sizeof view_->tracks[t]);
        std::memcpy(view_->tracks[t], input.tracks[t].data(), len);
    }
    InterlockedIncrement(&view_->sequence);
}

uint32_t CardFeed::Sequence() { return static_cast<uint32_t>(InterlockedCompareExchange(&view_->sequence, 0, 0)); }

CardInput CardFeed::Last(uint32_t* sequence) {
    CardInput in;
    SharedFile::Lock lock(*file_);
    *sequence = static_cast<uint32_t>(view_->sequence);
    in.kind = view_->kind;
    in.extended = view_->extended;
    for (int t = 0; t < 3; ++t) in.tracks[t] = std::string(view_->tracks[t], strnlen(view_->tracks[t], 127));
    return in;
}

}  // namespace opos_bench
