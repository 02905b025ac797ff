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
    char dir[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, dir);
    std::string path = (n > 0 && n <= MAX_PATH ? std::string(dir, n) : std::string(".\\")) + "opos-sim-" + name + ".bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, sizeof(Shared), nullptr);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)) : nullptr;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Local\\opos-sim-" + name).c_str());
    if (!view || !mutex) {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (mutex) CloseHandle(mutex);
        CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<CardFeed>(new CardFeed(file, mapping, mutex, static_cast<Shared*>(view)));
}

CardFeed::CardFeed(HANDLE file, HANDLE mapping, HANDLE mutex, Shared* view)
    : file_(file), mapping_(mapping), mutex_(mutex), view_(view) {}

CardFeed::~CardFeed() {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
    CloseHandle(mutex_);
    CloseHandle(file_);
}

void CardFeed::Post(const CardInput& input) {
    WaitForSingleObject(mutex_, INFINITE);
    view_->kind = input.kind;
    view_->extended = input.extended;
    for (int t = 0; t < 3; ++t) {
        size_t len = std::min<size_t>(input.tracks[t].size(), sizeof view_->tracks[t] - 1);
        std::memset(view_->tracks[t], 0, sizeof view_->tracks[t]);
        std::memcpy(view_->tracks[t], input.tracks[t].data(), len);
    }
    InterlockedIncrement(&view_->sequence);
    ReleaseMutex(mutex_);
}

uint32_t CardFeed::Sequence() { return static_cast<uint32_t>(InterlockedCompareExchange(&view_->sequence, 0, 0)); }

CardInput CardFeed::Last(uint32_t* sequence) {
    CardInput in;
    WaitForSingleObject(mutex_, INFINITE);
    *sequence = static_cast<uint32_t>(view_->sequence);
    in.kind = view_->kind;
    in.extended = view_->extended;
    for (int t = 0; t < 3; ++t) in.tracks[t] = std::string(view_->tracks[t], strnlen(view_->tracks[t], 127));
    ReleaseMutex(mutex_);
    return in;
}

}  // namespace opos_bench
