// Cross-thread event delivery of one control object. Calls that arrive on a
// thread other than the one that created the object are posted to a hidden
// window of the creating thread; the calling thread waits until the event has
// been delivered there (or held, or dropped because the object is closing).
#pragma once

#include <windows.h>
#include <oaidl.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace opos_bench {

// One event for the application. `n` holds the event's numeric arguments in
// order; for ErrorEvent n[3] is the error response and for DirectIOEvent n[1]
// the data, both passed by reference and written back after delivery, as is
// `text` (DirectIOEvent's string).
struct EventCall {
    DISPID id = 0;
    long n[4] = {0, 0, 0, 0};
    std::wstring text;
};

class EventRelay {
public:
    // `fire` delivers one event on the creating thread; it must not throw.
    explicit EventRelay(std::function<void(EventCall&)> fire);
    ~EventRelay();
    EventRelay(const EventRelay&) = delete;
    EventRelay& operator=(const EventRelay&) = delete;

    // From any thread. Returns once the event has been delivered, held or
    // dropped; `call` then holds the by-reference results. Exactly one
    // delivery per call. Dropped at once while not accepting.
    void Deliver(EventCall& call);

    // Creating thread only. Accepting starts at Open (unfrozen) and ends at
    // Close: stopping releases every waiting caller and drops held events.
    void Accept(bool on);
    // Creating thread only. While frozen, events are held in arrival order
    // and their callers released. Unfreezing posts the held events to the
    // hidden window: the application gets them from its message loop after
    // the call that unfroze, in order and before any later event.
    void Freeze(bool on);
    bool frozen() const { return frozen_; }

private:
    // Shared by the waiting caller and the window; the last owner closes `done`.
    struct Request {
        Request() : done(CreateEventW(nullptr, TRUE, FALSE, nullptr)) {}
        ~Request() {
            if (done) CloseHandle(done);
        }
        Request(const Request&) = delete;
        Request& operator=(const Request&) = delete;
        EventCall call;
        HANDLE done;
        std::mutex result_lock;
    };
    static LRESULT CALLBACK WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
    void OnPosted(uint64_t id);
    void OnReleaseHeld();
    void DeliverHere(EventCall& call);

    std::function<void(EventCall&)> fire_;
    DWORD owner_thread_;
    HWND hwnd_ = nullptr;
    std::mutex lock_;
    bool accepting_ = false;                                // under lock_
    uint64_t next_id_ = 1;                                  // under lock_
    std::map<uint64_t, std::shared_ptr<Request>> waiting_;  // under lock_
    bool frozen_ = false;                                   // creating thread
    std::deque<EventCall> held_;                            // creating thread
    bool release_posted_ = false;                           // creating thread
    // False once the destructor has run: `fire` may end the owner (and this
    // relay with it), so code that runs after it checks this first.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);  // creating thread
};

}  // namespace opos_bench
