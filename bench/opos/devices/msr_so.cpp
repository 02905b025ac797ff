// The simulated MSR. While open, a reader thread watches the bench's card
// feed; a swipe or read error posted after the open is taken while the
// device is enabled and reported from that thread once DataEventEnabled is
// set and events are not frozen: SOData with the track lengths (track 1 in
// the low byte, then 2 and 3), or SOError. Reporting clears
// DataEventEnabled, and disables the device when AutoDisable is set.
#include <algorithm>
#include <new>

#include "common/opos/device_numbers.h"
#include "common/opos/opos_numbers.h"
#include "card_feed.h"
#include "sim_service_object.h"

namespace opos_bench {

using namespace common::opos;

namespace {

constexpr long kErrorLrc = 204;  // OPOS_EMSR_LRC

class MsrSo final : public SimServiceObject {
public:
    MsrSo() : SimServiceObject(L"Bench MSR", 1005000) {}
    ~MsrSo() override { StopReader(); }

private:
    enum : DISPID { kClearInput = kClassBase };

    std::vector<NamedId> ClassNames() const override { return {{L"ClearInput", kClearInput}}; }

    long ClassMethod(DISPID id, const Args&) override {
        if (id != kClearInput) return kIllegal;
        if (!opened_) return kClosed;
        if (!claimed_) return kNotClaimed;
        std::lock_guard<std::mutex> g(lock_);
        pending_ = false;
        for (auto& t : tracks_) t.clear();
        return kSuccess;
    }

    // Without the bench's card feed the reader opens but never reads.
    long OnOpen() override {
        stop_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
        feed_ = CardFeed::Open(CardFeed::NameFromEnvironment());
        if (!stop_ || !feed_) return kSuccess;
        seen_ = feed_->Sequence();
        reader_ = std::thread([this] { ReaderLoop(); });
        return kSuccess;
    }
    void OnClose() override { StopReader(); }

    void StopReader() {
        if (stop_) SetEvent(stop_);
        if (reader_.joinable()) reader_.join();
        if (stop_) CloseHandle(stop_);
        stop_ = nullptr;
        feed_.reset();
    }

    // Reader thread: no exception leaves it.
    void ReaderLoop() {
        while (WaitForSingleObject(stop_, 20) == WAIT_TIMEOUT) {
            try {
                Poll();
            } catch (...) {
            }
        }
    }

    void Poll() {
        uint32_t seq = feed_->Sequence();
        if (seq != seen_) {
            CardInput in = feed_->Last(&seq);
            seen_ = seq;
            if (enabled_) {
                std::lock_guard<std::mutex> g(lock_);
                input_ = in;
                pending_ = true;
            }
        }
        if (!data_event_enabled_ || frozen_ || !enabled_) return;
        CardInput in;
        long lengths = 0;  // track 1 in the low byte, then 2 and 3
        {
            std::lock_guard<std::mutex> g(lock_);
            if (!pending_) return;
            pending_ = false;
            in = input_;
            if (in.kind == CardInput::kSwipe) {
                for (int t = 0; t < 3; ++t) {
                    tracks_[t].clear();
                    if (!(tracks_to_read_ & (1 << t))) continue;
                    std::wstring data(in.tracks[t].begin(), in.tracks[t].end());
                    tracks_[t] = sentinels_ ? (t == 0 ? L"%" : L";") + data + L"?" : data;
                }
                // Taken under the lock: ClearInput may empty the tracks at any time.
                for (int t = 0; t < 3; ++t)
                    lengths |= static_cast<long>(std::min<size_t>(tracks_[t].size(), 255)) << (8 * t);
            }
        }
        data_event_enabled_ = false;
        if (auto_disable_) enabled_ = false;
        if (in.kind == CardInput::kSwipe) {
            CallControl(L"SOData", {lengths});
        } else {
            long response = kErClear;
            CallControl(L"SOError", {kExtended, in.extended ? in.extended : kErrorLrc, kElInput}, &response);
        }
    }

    bool GetNumber(long pidx, long* v) override {
        switch (pidx) {
        case kPidxDataEventEnabled: *v = data_event_enabled_; return true;
        case kPidxAutoDisable: *v = auto_disable_; return true;
        case kPidxDataCount: *v = pending_ ? 1 : 0; return true;
        case kPidxMsrTracksToRead: *v = tracks_to_read_; return true;
        case kPidxMsrTransmitSentinels: *v = sentinels_; return true;
        case kPidxMsrErrorReportType: *v = error_report_type_; return true;
        case kPidxMsrDecodeData: *v = 0; return true;
        case kPidxMsrCapIso: *v = 1; return true;
        case kPidxMsrCapJisOne: *v = 0; return true;
        case kPidxMsrCapJisTwo: *v = 0; return true;
        case kPidxMsrCapTransmitSentinels: *v = 1; return true;
        default: return false;
        }
    }

    bool SetNumber(long pidx, long v, long* rc) override {
        bool ok = true;
        switch (pidx) {
        case kPidxDataEventEnabled: data_event_enabled_ = v != 0; break;
        case kPidxAutoDisable: auto_disable_ = v != 0; break;
        case kPidxMsrTracksToRead:
            ok = v >= 0 && v <= 15;
            if (ok) tracks_to_read_ = v;
            break;
        case kPidxMsrTransmitSentinels: sentinels_ = v != 0; break;
        case kPidxMsrErrorReportType:
            ok = v == 0 || v == 1;
            if (ok) error_report_type_ = v;
            break;
        case kPidxMsrDecodeData: ok = v == 0; break;
        default: return false;
        }
        *rc = !opened_ ? kClosed : ok ? kSuccess : kIllegal;
        return true;
    }

    bool GetString(long pidx, std::wstring* s) override {
        std::lock_guard<std::mutex> g(lock_);
        switch (pidx) {
        case kPidxMsrTrack1Data: *s = tracks_[0]; return true;
        case kPidxMsrTrack2Data: *s = tracks_[1]; return true;
        case kPidxMsrTrack3Data: *s = tracks_[2]; return true;
        default: return false;
        }
    }

    std::atomic<bool> data_event_enabled_{false};
    std::atomic<bool> auto_disable_{false};
    std::atomic<bool> sentinels_{false};
    std::atomic<long> tracks_to_read_{7};
    std::atomic<long> error_report_type_{1};
    std::mutex lock_;
    bool pending_ = false;    // under lock_
    CardInput input_;         // under lock_
    std::wstring tracks_[3];  // under lock_
    HANDLE stop_ = nullptr;
    std::unique_ptr<CardFeed> feed_;
    uint32_t seen_ = 0;
    std::thread reader_;
};

}  // namespace

HRESULT CreateMsrSo(REFIID iid, void** out) { return Hand(new (std::nothrow) MsrSo, iid, out); }

}  // namespace opos_bench
