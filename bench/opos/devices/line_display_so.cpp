// The simulated line display: DeviceRows x DeviceColumns characters that
// DisplayText, ClearText and ScrollText act on. DirectIO command 1 returns
// the display's rows joined by line feeds (for tests and the demo); while
// open, the display also publishes what it shows to the bench's display
// mirror after every command and property write.
#include <algorithm>
#include <memory>
#include <new>

#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "card_feed.h"
#include "display_mirror.h"
#include "sim_service_object.h"

namespace opos_bench {

using namespace common::opos;

namespace {

constexpr long kRows = 2;
constexpr long kColumns = 20;
constexpr long kCapCursorType = 2;  // block

class LineDisplaySo final : public SimServiceObject {
public:
    LineDisplaySo() : SimServiceObject(L"Bench line display", 1005000) { Clear(); }

private:
    enum : DISPID { kDisplayText = kClassBase, kClearText, kScrollText };

    std::vector<NamedId> ClassNames() const override {
        return {{L"DisplayText", kDisplayText}, {L"ClearText", kClearText}, {L"ScrollText", kScrollText}};
    }

    void Clear() {
        rows_.assign(kRows, std::wstring(kColumns, L' '));
        row_ = column_ = 0;
    }

    long OnOpen() override {
        mirror_ = DisplayMirror::Open(CardFeed::NameFromEnvironment());
        Publish();
        return 0;
    }
    void OnClose() override { mirror_.reset(); }

    void Publish() {
        if (mirror_) mirror_->Publish(DisplayState{rows_, row_, column_, brightness_, blink_rate_});
    }

    long ClassMethod(DISPID id, const Args& args) override {
        const long r = Run(id, args);
        Publish();
        return r;
    }

    long Run(DISPID id, const Args& args) {
        if (long r = Ready()) return r;
        switch (id) {
        case kDisplayText: {
            std::wstring text;
            long attribute = 0;
            if (!args.String(0, &text) || !args.Long(1, &attribute)) return kIllegal;
            if (attribute < kDispDtNormal || attribute > kDispDtBlinkReverse) return kIllegal;
            long r = row_, c = column_;
            for (wchar_t ch : text) {
                if (r >= kRows) break;
                rows_[r][c] = ch;
                if (++c == kColumns) {
                    c = 0;
                    ++r;
                }
            }
            if (cursor_update_) {
                row_ = std::min(r, kRows - 1);
                column_ = r >= kRows ? kColumns - 1 : c;
            }
            return kSuccess;
        }
        case kClearText: Clear(); return kSuccess;
        case kScrollText: {
            long direction = 0, units = 0;
            if (!args.Long(0, &direction) || !args.Long(1, &units)) return kIllegal;
            if (direction < kDispStUp || direction > kDispStRight || units < 0) return kIllegal;
            for (long u = 0; u < units; ++u) Scroll(direction);
            return kSuccess;
        }
        default: return kIllegal;
        }
    }

    void Scroll(long direction) {
        switch (direction) {
        case 1:  // up
            rows_.erase(rows_.begin());
            rows_.push_back(std::wstring(kColumns, L' '));
            break;
        case 2:  // down
            rows_.pop_back();
            rows_.insert(rows_.begin(), std::wstring(kColumns, L' '));
            break;
        case 3:  // left
            for (auto& r : rows_) r = r.substr(1) + L' ';
            break;
        default:  // right
            for (auto& r : rows_) r = L' ' + r.substr(0, kColumns - 1);
            break;
        }
    }

    bool GetNumber(long pidx, long* v) override {
        switch (pidx) {
        case kPidxDispCharacterSet: *v = 998; return true;
        case kPidxDispColumns:
        case kPidxDispDeviceColumns: *v = kColumns; return true;
        case kPidxDispRows:
        case kPidxDispDeviceRows: *v = kRows; return true;
        case kPidxDispCursorColumn: *v = column_; return true;
        case kPidxDispCursorRow: *v = row_; return true;
        case kPidxDispCursorUpdate: *v = cursor_update_; return true;
        case kPidxDispDeviceBrightness: *v = brightness_; return true;
        case kPidxDispMarqueeFormat: *v = marquee_format_; return true;
        case kPidxDispMarqueeType: *v = marquee_type_; return true;
        case kPidxDispBlinkRate: *v = blink_rate_; return true;
        case kPidxDispCursorType: *v = cursor_type_; return true;
        case kPidxDispCapBlink: *v = 1; return true;
        case kPidxDispCapBrightness: *v = 1; return true;
        case kPidxDispCapCharacterSet: *v = 998; return true;
        case kPidxDispCapBlinkRate: *v = 1; return true;
        case kPidxDispCapCursorType: *v = kCapCursorType; return true;
        case kPidxDispCapReverse: *v = 1; return true;
        case kPidxDispDeviceWindows: *v = 0; return true;
        default: return false;
        }
    }

    bool SetNumber(long pidx, long v, long* rc) override {
        const bool handled = Write(pidx, v, rc);
        Publish();
        return handled;
    }

    // Writes are refused (106) outside the device's range; the value then
    // stays as it was.
    bool Write(long pidx, long v, long* rc) {
        bool ok = true;
        switch (pidx) {
        case kPidxDispCharacterSet: ok = v == 998; break;
        case kPidxDispCursorColumn:
            ok = v >= 0 && v < kColumns;
            if (ok) column_ = v;
            break;
        case kPidxDispCursorRow:
            ok = v >= 0 && v < kRows;
            if (ok) row_ = v;
            break;
        case kPidxDispCursorUpdate: cursor_update_ = v != 0; break;
        case kPidxDispDeviceBrightness:
            ok = v >= 0 && v <= 100;
            if (ok) brightness_ = v;
            break;
        case kPidxDispMarqueeFormat:
            ok = v == 0 || v == 1;
            if (ok) marquee_format_ = v;
            break;
        case kPidxDispMarqueeType:
            ok = v >= 0 && v <= 5;
            if (ok) marquee_type_ = v;
            break;
        case kPidxDispBlinkRate:
            ok = v > 0;
            if (ok) blink_rate_ = v;
            break;
        case kPidxDispCursorType:
            ok = v == 0 || v == kCapCursorType;
            if (ok) cursor_type_ = v;
            break;
        default: return false;
        }
        *rc = !opened_ ? kClosed : ok ? kSuccess : kIllegal;
        return true;
    }

    long OnDirectIo(long command, long* data, std::wstring* text) override {
        if (command != 1) return kIllegal;
        *data = kRows;
        *text = rows_[0];
        for (long r = 1; r < kRows; ++r) *text += L"\n" + rows_[r];
        return kSuccess;
    }

    std::vector<std::wstring> rows_;
    long row_ = 0, column_ = 0;
    bool cursor_update_ = true;
    long brightness_ = 100;
    long marquee_format_ = 0;
    long marquee_type_ = 0;
    long blink_rate_ = 500;
    long cursor_type_ = 0;
    std::unique_ptr<DisplayMirror> mirror_;
};

class PosPrinterSo final : public SimServiceObject {
public:
    PosPrinterSo() : SimServiceObject(L"Bench POS printer", 1005000) {}
};

}  // namespace

HRESULT CreateLineDisplaySo(REFIID iid, void** out) { return Hand(new (std::nothrow) LineDisplaySo, iid, out); }
HRESULT CreatePosPrinterSo(REFIID iid, void** out) { return Hand(new (std::nothrow) PosPrinterSo, iid, out); }

}  // namespace opos_bench
