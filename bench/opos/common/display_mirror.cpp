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
    auto file = SharedFile::Open(name + "-display", sizeof(Shared));
    if (!file) return nullptr;
    auto* view = static_cast<Shared*>(file->view());
    return std::unique_ptr<DisplayMirror>(new DisplayMirror(std::move(file), view));
}

void DisplayMirror::Publish(const DisplayState& state) {
    SharedFile::Lock lock(*file_);
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
}

DisplayState DisplayMirror::Last(uint32_t* sequence) {
    DisplayState s;
    SharedFile::Lock lock(*file_);
    *sequence = static_cast<uint32_t>(view_->sequence);
    const int rows = std::clamp(view_->row_count, 0, 4);
    for (int r = 0; r < rows; ++r) s.rows.emplace_back(view_->rows[r], wcsnlen(view_->rows[r], 63));
    s.cursor_row = view_->cursor_row;
    s.cursor_column = view_->cursor_column;
    s.brightness = view_->brightness;
    s.blink_rate = view_->blink_rate;
    return s;
}

}  // namespace opos_bench
