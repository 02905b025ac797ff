#include "event_relay.h"

#include "module.h"

namespace opos_bench {
namespace {

constexpr UINT kPostedEvent = WM_APP + 1;
constexpr UINT kReleaseHeld = WM_APP + 2;
constexpr wchar_t kWindowClass[] = L"OposBenchEventRelay";

void RegisterWindowClass() {
    static std::once_flag once;
    std::call_once(once, [] {
        WNDCLASSW wc{};
        wc.lpfnWndProc = DefWindowProcW;
        wc.hInstance = ModuleHandle();
        wc.lpszClassName = kWindowClass;
        RegisterClassW(&wc);
    });
}

}  // namespace

EventRelay::EventRelay(std::function<void(EventCall&)> fire)
    : fire_(std::move(fire)), owner_thread_(GetCurrentThreadId()) {
    RegisterWindowClass();
    hwnd_ = CreateWindowExW(0, kWindowClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, ModuleHandle(), nullptr);
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EventRelay::WindowProc));
    }
}

EventRelay::~EventRelay() {
    *alive_ = false;
    Accept(false);
    if (hwnd_) {
        SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
        DestroyWindow(hwnd_);
    }
}

LRESULT CALLBACK EventRelay::WindowProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
    if (msg == kPostedEvent || msg == kReleaseHeld) {
        auto* self = reinterpret_cast<EventRelay*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        try {
            if (self && msg == kPostedEvent) self->OnPosted(static_cast<uint64_t>(wp));
            if (self && msg == kReleaseHeld) self->OnReleaseHeld();
        } catch (...) {
            // No exception leaves a window procedure: the event is dropped.
        }
        return 0;
    }
    return DefWindowProcW(hwnd, msg, wp, lp);
}

void EventRelay::Deliver(EventCall& call) {
    if (GetCurrentThreadId() == owner_thread_) {
        {
            std::lock_guard<std::mutex> g(lock_);
            if (!accepting_) return;
        }
        DeliverHere(call);
        return;
    }
    auto req = std::make_shared<Request>();
    req->call = call;
    if (!req->done) return;
    uint64_t id = 0;
    {
        std::lock_guard<std::mutex> g(lock_);
        if (accepting_ && hwnd_) {
            id = next_id_++;
            waiting_[id] = req;
            if (!PostMessageW(hwnd_, kPostedEvent, static_cast<WPARAM>(id), 0)) {
                waiting_.erase(id);
                id = 0;
            }
        }
    }
    if (id != 0) {
        WaitForSingleObject(req->done, INFINITE);
        std::lock_guard<std::mutex> g(req->result_lock);
        call = req->call;
    }
}

void EventRelay::OnPosted(uint64_t id) {
    std::shared_ptr<Request> req;
    {
        std::lock_guard<std::mutex> g(lock_);
        auto it = waiting_.find(id);
        if (it == waiting_.end()) return;  // released by a close meanwhile
        req = it->second;
    }
    EventCall call;
    {
        std::lock_guard<std::mutex> g(req->result_lock);
        call = req->call;
    }
    // The request stays listed while the application runs its handler, so a
    // Close from inside the handler releases the caller too. The handler may
    // also drop the last reference to the owner: this relay is then gone and
    // its destructor has released the caller.
    const std::shared_ptr<bool> alive = alive_;
    DeliverHere(call);
    if (!*alive) return;
    {
        std::lock_guard<std::mutex> g(req->result_lock);
        req->call = call;
    }
    {
        std::lock_guard<std::mutex> g(lock_);
        waiting_.erase(id);
    }
    SetEvent(req->done);
}

// Held events go first: while any waits for its delivery, a new one queues
// behind it.
void EventRelay::DeliverHere(EventCall& call) {
    if (frozen_ || !held_.empty()) {
        held_.push_back(call);
        return;
    }
    fire_(call);
}

void EventRelay::Accept(bool on) {
    std::map<uint64_t, std::shared_ptr<Request>> released;
    {
        std::lock_guard<std::mutex> g(lock_);
        accepting_ = on;
        if (!on) released.swap(waiting_);
    }
    for (auto& [id, req] : released) SetEvent(req->done);
    held_.clear();
    frozen_ = false;
}

void EventRelay::Freeze(bool on) {
    frozen_ = on;
    if (frozen_ || held_.empty() || release_posted_ || !hwnd_) return;
    release_posted_ = PostMessageW(hwnd_, kReleaseHeld, 0, 0) != FALSE;
}

void EventRelay::OnReleaseHeld() {
    release_posted_ = false;
    const std::shared_ptr<bool> alive = alive_;  // a handler may end the owner
    while (*alive && !frozen_ && !held_.empty()) {
        EventCall call = held_.front();
        held_.pop_front();
        fire_(call);
    }
}

}  // namespace opos_bench
