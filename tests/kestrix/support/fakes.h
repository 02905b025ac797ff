// Test doubles of the platform interfaces of the service object's core.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform.h"

namespace winio_sim {
class Machine;
}

namespace kestrix::test {

using kestrix::IKeyStore;

constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;

// A key store with case-insensitive key paths and value names that holds any
// bytes under any type: unterminated strings, short or long numbers.
class FakeKeyStore : public IKeyStore {
public:
    void AddKey(const std::u16string& path);
    void SetBytes(const std::u16string& path, const std::u16string& name, uint32_t type, std::vector<uint8_t> bytes);
    // Stored with its terminator unless `terminated` is false.
    void SetString(const std::u16string& path, const std::u16string& name, const std::u16string& text,
                   bool terminated = true);
    void SetNumber(const std::u16string& path, const std::u16string& name, uint32_t value);
    void Remove(const std::u16string& path, const std::u16string& name);

    size_t OpenKeys() const { return open_.size(); }
    int BadCloses() const { return bad_closes_; }
    std::vector<std::u16string> OpenedPaths() const { return opened_; }

    Key OpenKey(const char16_t* path) override;
    bool QueryValue(Key key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) override;
    void CloseKey(Key key) override;

private:
    struct Value {
        uint32_t type;
        std::vector<uint8_t> bytes;
    };
    static std::u16string Fold(const std::u16string& s);
    std::map<std::u16string, std::map<std::u16string, Value>> keys_;
    std::map<Key, std::u16string> open_;
    std::vector<std::u16string> opened_;
    Key next_ = 100;
    int bad_closes_ = 0;
};

// Fake time. Sleep advances it at once (and the bench's manual clock with
// it), so waits and pulses take no real time. Signals made by the clock time
// out when fake time passes their deadline; Advance lets a test move time
// and then waits until every thread that this woke is waiting again or has
// ended, so that monitor tests are deterministic.
class FakeClock : public kestrix::IClock {
public:
    explicit FakeClock(winio_sim::Machine* machine = nullptr) : machine_(machine) {}
    void Attach(winio_sim::Machine* machine);

    void Sleep(uint32_t ms) override;
    uint64_t NowMs() override;
    std::unique_ptr<kestrix::ISignal> MakeSignal() override;

    // Moves time on by `ms`, then settles (real waiting, bounded). False when
    // the woken threads did not settle within 10 s.
    bool Advance(uint32_t ms);
    bool Settle() { return Advance(0); }
    // Threads blocked in a timed Wait of this clock's signals.
    size_t TimedWaiters();
    // Waits (real time, bounded) until exactly `n` threads are in a timed Wait.
    bool WaitForTimedWaiters(size_t n);
    uint64_t TotalSleptMs();
    // Runs once, inside the next dispatching wait, as a window message
    // dispatched there would (an application's handler re-entering the core).
    void DispatchOnce(std::function<void()> handler);
    std::function<void()> TakeDispatch();

    struct InFlight;  // per-thread mark, see fakes.cpp

private:
    friend class FakeSignal;
    void MoveLocked(uint32_t ms);
    void ArriveLocked();
    void DepartLocked();

    winio_sim::Machine* machine_;
    std::mutex m_;
    std::condition_variable cv_;
    uint64_t now_ = 0;
    uint64_t slept_ = 0;
    std::multiset<uint64_t> deadlines_;
    int in_flight_ = 0;
    std::mutex dispatch_m_;
    std::function<void()> dispatch_;
};

// Real time, for the storm tests.
class RealClock : public kestrix::IClock {
public:
    void Sleep(uint32_t ms) override;
    uint64_t NowMs() override;
    std::unique_ptr<kestrix::ISignal> MakeSignal() override;

    // Runs once, inside the next dispatching wait, as a window message
    // dispatched there would (an application's event handler).
    void DispatchOnce(std::function<void()> handler);
    std::function<void()> TakeDispatch();

private:
    std::mutex m_;
    std::function<void()> dispatch_;
};

// Records every lookup and event; can refuse the lookup and be slow.
class FakeControlObject : public kestrix::IControlObject {
public:
    static constexpr int32_t kDispid = 77;
    bool LookupStatusUpdate(int32_t* dispid) override;
    void InvokeStatusUpdate(int32_t dispid, int32_t status) override;

    void FailLookup(bool fail);
    void SetSlowMs(uint32_t ms);
    // Runs inside every event call, on the monitor thread.
    std::function<void(int32_t status)> onInvoke;
    std::vector<int32_t> Statuses();
    int Lookups();
    // Waits (real time, bounded) for at least `n` events.
    bool WaitForEvents(size_t n);

private:
    std::mutex m_;
    std::condition_variable cv_;
    std::vector<int32_t> statuses_;
    int lookups_ = 0;
    bool fail_lookup_ = false;
    uint32_t slow_ms_ = 0;
    int bad_dispids_ = 0;
};

// Answers message boxes from a script (Yes when the script is empty: false)
// and records them.
class FakeOperator : public kestrix::IOperator {
public:
    struct Box {
        std::u16string kind;  // u"YesNo" or u"Ok"
        std::u16string caption;
        std::u16string text;
    };
    bool AskYesNo(const char16_t* caption, const char16_t* text) override;
    void ShowOk(const char16_t* caption, const char16_t* text) override;

    std::vector<bool> answers;    // consumed front to back
    std::function<void()> onAsk;  // runs while the Yes/No box "is shown"
    std::function<void()> onOk;   // runs while the OK box "is shown"
    std::vector<Box> boxes;
};

class FakeBeeper : public kestrix::IBeeper {
public:
    struct Call {
        uint32_t frequency;
        uint32_t duration;
        uint64_t at_ms;
    };
    explicit FakeBeeper(FakeClock* clock = nullptr) : clock_(clock) {}
    void Beep(uint32_t frequency_hz, uint32_t duration_ms) override;

    std::vector<Call> calls;
    std::function<void(size_t)> onBeep;  // called with the count so far

private:
    FakeClock* clock_;
};

}  // namespace kestrix::test
