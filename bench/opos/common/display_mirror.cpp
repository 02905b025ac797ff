#include "display_mirror.h"

#include <algorithm>

namespace opos_bench {

struct DisplayMirror::Shared {
    volatile LONG sequence;
    int32_t row_count;
    int32_t cursor_row, cursor_column, brightness, blink_rate;
    wchar_t rows[4][64];
};

std::unique_ptr<DisplayMirror> DisplayMirror::Open(const std::string& name) {
    char dir[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(MAX_PATH, dir);
    const std::string path =
        (n > 0 && n <= MAX_PATH ? std::string(dir, n) : std::string(".\\")) + "opos-sim-" + name + "-display.bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, sizeof(Shared), nullptr);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, sizeof(Shared)) : nullptr;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Local\\opos-sim-" + name + "-display").c_str());
    if (!view || !mutex) {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (mutex) CloseHandle(mutex);
        CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<DisplayMirror>(new DisplayMirror(file, mapping, mutex, static_cast<Shared*>(view)));
}

DisplayMirror::DisplayMirror(HANDLE file, HANDLE mapping, HANDLE mutex, Shared* view)
    : file_(file), mapping_(mapping), mutex_(mutex), view_(view) {}

DisplayMirror::~DisplayMirror() {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
    CloseHandle(mutex_);
    CloseHandle(file_);
}

void DisplayMirror::Publish(const DisplayState& state) {
    WaitForSingleObject(mutex_, INFINITE);
    view_->row_count = static_cast<int32_t>(std::min<size_t>(state.rows.size(), 4));
    for (int r = 0; r < 4; ++r) {
        std::fill(std::begin(view_->rows[r]), std::end(view_->rows[r]), L'\0');
        if (r < view_->row_count) {
            const std::wstring& row = state.rows[static_cast<size_t>(r)];
            std::copy_n(row.begin(), std::min<size_t>(row.size(), 63), view_->rows[r]);
        }
    }
    view_->cursor_row = state.cursor_row;
    view_->cursor_column = state.cursor_column;
    view_->brightness = state.brightness;
    view_->blink_rate = state.blink_rate;
    InterlockedIncrement(&view_->sequence);
    ReleaseMutex(mutex_);
}

DisplayState DisplayMirror::Last(uint32_t* sequence) {
    DisplayState s;
    WaitForSingleObject(mutex_, INFINITE);
    *sequence = static_cast<uint32_t>(view_->sequence);
    const int rows = std::clamp(view_->row_count, 0, 4);
    for (int r = 0; r < rows; ++r) s.rows.emplace_back(view_->rows[r], wcsnlen(view_->rows[r], 63));
    s.cursor_row = view_->cursor_row;
    s.cursor_column = view_->cursor_column;
    s.brightness = view_->brightness;
    s.blink_rate = view_->blink_rate;
    ReleaseMutex(mutex_);
    return s;
}

}  // namespace opos_bench
