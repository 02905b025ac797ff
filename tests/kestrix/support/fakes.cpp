#include "fakes.h"

#include <utility>

#include <chrono>
#include <cstring>
#include <thread>

#include "machine.h"

namespace kestrix::test {

// ---- FakeKeyStore ----

std::u16string FakeKeyStore::Fold(const std::u16string& s) {
    std::u16string out(s);
    for (char16_t& c : out) {
        if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    }
    return out;
}

void FakeKeyStore::AddKey(const std::u16string& path) { keys_[Fold(path)]; }

void FakeKeyStore::SetBytes(const std::u16string& path, const std::u16string& name, uint32_t type,
                            std::vector<uint8_t> bytes) {
    keys_[Fold(path)][Fold(name)] = Value{type, std::move(bytes)};
}

void FakeKeyStore::SetString(const std::u16string& path, const std::u16string& name, const std::u16string& text,
                             bool terminated) {
    std::vector<uint8_t> bytes;
    for (char16_t c : text) {
        bytes.push_back(static_cast<uint8_t>(c & 0xFF));
        bytes.push_back(static_cast<uint8_t>(c >> 8));
    }
    if (terminated) bytes.insert(bytes.end(), {0, 0});
    SetBytes(path, name, kRegSz, std::move(bytes));
}

void FakeKeyStore::SetNumber(const std::u16string& path, const std::u16string& name, uint32_t value) {
    SetBytes(path, name, kRegDword,
             {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
              static_cast<uint8_t>(value >> 24)});
}

void FakeKeyStore::Remove(const std::u16string& path, const std::u16string& name) {
    keys_[Fold(path)].erase(Fold(name));
}

IKeyStore::Key FakeKeyStore::OpenKey(const char16_t* path) {
    const std::u16string folded = Fold(path);
    opened_.push_back(path);
    if (!keys_.count(folded)) return 0;
    const Key k = next_++;
    open_[k] = folded;
    return k;
}

bool FakeKeyStore::QueryValue(Key key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) {
    auto k = open_.find(key);
    if (k == open_.end()) return false;
    auto& values = keys_[k->second];
    auto v = values.find(Fold(name));
    if (v == values.end()) return false;
    if (v->second.bytes.size() > *size) return false;
    if (!v->second.bytes.empty()) std::memcpy(buffer, v->second.bytes.data(), v->second.bytes.size());
    *size = static_cast<uint32_t>(v->second.bytes.size());
    *type = v->second.type;
    return true;
}

void FakeKeyStore::CloseKey(Key key) {
    if (!open_.erase(key)) ++bad_closes_;
}

// ---- FakeClock and its signal ----

// Marks a thread that a time-out woke and that has not come back to a wait.
struct FakeClock::InFlight {
    FakeClock* clock = nullptr;
    ~InFlight() {
        if (!clock) return;
        std::lock_guard<std::mutex> lock(clock->m_);
        --clock->in_flight_;
        clock->cv_.notify_all();
    }
};

static thread_local FakeClock::InFlight t_inFlight;

void FakeClock::ArriveLocked() {
    if (t_inFlight.clock == this) {
        t_inFlight.clock = nullptr;
        --in_flight_;
        cv_.notify_all();
    }
}

void FakeClock::DepartLocked() {
    t_inFlight.clock = this;
    ++in_flight_;
}

class FakeSignal : public kestrix::ISignal {
public:
    explicit FakeSignal(FakeClock* clock) : c_(clock) {}
    void Set() override {
        std::lock_guard<std::mutex> lock(c_->m_);
        set_ = true;
        c_->cv_.notify_all();
    }
    bool Wait(uint32_t ms) override {
        std::unique_lock<std::mutex> lock(c_->m_);
        c_->ArriveLocked();
        if (set_) return true;
        const bool forever = ms == 0xFFFFFFFFu;
        const uint64_t deadline = c_->now_ + ms;
        if (!forever && c_->now_ >= deadline) {
            c_->DepartLocked();
            return false;
        }
        auto it = c_->deadlines_.insert(forever ? UINT64_MAX : deadline);
        c_->cv_.notify_all();
        c_->cv_.wait(lock, [&] { return set_ || (!forever && c_->now_ >= deadline); });
        c_->deadlines_.erase(it);
        c_->cv_.notify_all();
        if (set_) return true;
        c_->DepartLocked();
        return false;
    }
    void WaitDispatching() override {
        {
            std::unique_lock<std::mutex> lock(c_->m_);
            if (set_) return;  // like the Windows wait: nothing runs once set
        }
        if (auto handler = c_->TakeDispatch()) handler();
        std::unique_lock<std::mutex> lock(c_->m_);
        c_->cv_.wait(lock, [&] { return set_; });
    }

private:
    FakeClock* c_;
    bool set_ = false;
};

void FakeClock::DispatchOnce(std::function<void()> handler) {
    std::lock_guard<std::mutex> lock(dispatch_m_);
    dispatch_ = std::move(handler);
}

std::function<void()> FakeClock::TakeDispatch() {
    std::lock_guard<std::mutex> lock(dispatch_m_);
    return std::exchange(dispatch_, nullptr);
}

void FakeClock::Attach(winio_sim::Machine* machine) {
    std::lock_guard<std::mutex> lock(m_);
    machine_ = machine;
}

void FakeClock::MoveLocked(uint32_t ms) {
    now_ += ms;
    if (machine_) machine_->advance_clock_us(static_cast<uint64_t>(ms) * 1000u);
    cv_.notify_all();
}

void FakeClock::Sleep(uint32_t ms) {
    std::lock_guard<std::mutex> lock(m_);
    slept_ += ms;
    MoveLocked(ms);
}

uint64_t FakeClock::NowMs() {
    std::lock_guard<std::mutex> lock(m_);
    return now_;
}

std::unique_ptr<kestrix::ISignal> FakeClock::MakeSignal() { return std::make_unique<FakeSignal>(this); }

bool FakeClock::Advance(uint32_t ms) {
    std::unique_lock<std::mutex> lock(m_);
    MoveLocked(ms);
    return cv_.wait_for(lock, std::chrono::seconds(10),
                        [&] { return in_flight_ == 0 && (deadlines_.empty() || *deadlines_.begin() > now_); });
}

size_t FakeClock::TimedWaiters() {
    std::lock_guard<std::mutex> lock(m_);
    size_t n = 0;
    for (uint64_t d : deadlines_) n += d != UINT64_MAX;
    return n;
}

bool FakeClock::WaitForTimedWaiters(size_t n) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] {
        size_t timed = 0;
        for (uint64_t d : deadlines_) timed += d != UINT64_MAX;
        return timed == n && in_flight_ == 0;
    });
}

uint64_t FakeClock::TotalSleptMs() {
    std::lock_guard<std::mutex> lock(m_);
    return slept_;
}

// ---- RealClock ----

namespace {

class RealSignal : public kestrix::ISignal {
public:
    explicit RealSignal(RealClock* clock) : clock_(clock) {}
    void Set() override {
        std::lock_guard<std::mutex> lock(m_);
        set_ = true;
        cv_.notify_all();
    }
    bool Wait(uint32_t ms) override {
        std::unique_lock<std::mutex> lock(m_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return set_; });
    }
    void WaitDispatching() override {
        if (auto handler = clock_->TakeDispatch()) handler();
        std::unique_lock<std::mutex> lock(m_);
        cv_.wait(lock, [&] { return set_; });
    }
    bool WaitDispatchingFor(uint32_t ms) override {
        if (auto handler = clock_->TakeDispatch()) handler();
        std::unique_lock<std::mutex> lock(m_);
        return cv_.wait_for(lock, std::chrono::milliseconds(ms), [&] { return set_; });
    }

private:
    RealClock* clock_;
    std::mutex m_;
    std::condition_variable cv_;
    bool set_ = false;
};

}  // namespace

void RealClock::DispatchOnce(std::function<void()> handler) {
    std::lock_guard<std::mutex> lock(m_);
    dispatch_ = std::move(handler);
}

std::function<void()> RealClock::TakeDispatch() {
    std::lock_guard<std::mutex> lock(m_);
    return std::exchange(dispatch_, nullptr);
}

void RealClock::Sleep(uint32_t ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

uint64_t RealClock::NowMs() {
    return static_cast<uint64_t>(
        std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
            .count());
}

std::unique_ptr<kestrix::ISignal> RealClock::MakeSignal() { return std::make_unique<RealSignal>(this); }

// ---- FakeControlObject ----

bool FakeControlObject::LookupStatusUpdate(int32_t* dispid) {
    std::lock_guard<std::mutex> lock(m_);
    ++lookups_;
    cv_.notify_all();
    if (fail_lookup_) return false;
    *dispid = kDispid;
    return true;
}

void FakeControlObject::InvokeStatusUpdate(int32_t dispid, int32_t status) {
    uint32_t slow;
    {
        std::lock_guard<std::mutex> lock(m_);
        if (dispid != kDispid) ++bad_dispids_;
        statuses_.push_back(status);
        slow = slow_ms_;
        cv_.notify_all();
    }
    if (onInvoke) onInvoke(status);
    if (slow) std::this_thread::sleep_for(std::chrono::milliseconds(slow));
}

void FakeControlObject::FailLookup(bool fail) {
    std::lock_guard<std::mutex> lock(m_);
    fail_lookup_ = fail;
}

void FakeControlObject::SetSlowMs(uint32_t ms) {
    std::lock_guard<std::mutex> lock(m_);
    slow_ms_ = ms;
}

std::vector<int32_t> FakeControlObject::Statuses() {
    std::lock_guard<std::mutex> lock(m_);
    return bad_dispids_ ? std::vector<int32_t>{-999} : statuses_;
}

int FakeControlObject::Lookups() {
    std::lock_guard<std::mutex> lock(m_);
    return lookups_;
}

bool FakeControlObject::WaitForEvents(size_t n) {
    std::unique_lock<std::mutex> lock(m_);
    return cv_.wait_for(lock, std::chrono::seconds(10), [&] { return statuses_.size() >= n; });
}

// ---- FakeOperator, FakeBeeper ----

bool FakeOperator::AskYesNo(const char16_t* caption, const char16_t* text) {
    boxes.push_back(Box{u"YesNo", caption, text});
    if (onAsk) onAsk();
    if (answers.empty()) return false;
    const bool a = answers.front();
    answers.erase(answers.begin());
    return a;
}

void FakeOperator::ShowOk(const char16_t* caption, const char16_t* text) {
    boxes.push_back(Box{u"Ok", caption, text});
    if (onOk) onOk();
}

void FakeBeeper::Beep(uint32_t frequency_hz, uint32_t duration_ms) {
    calls.push_back(Call{frequency_hz, duration_ms, clock_ ? clock_->NowMs() : 0});
    if (clock_) clock_->Sleep(duration_ms);
    if (onBeep) onBeep(calls.size());
}

}  // namespace kestrix::test
