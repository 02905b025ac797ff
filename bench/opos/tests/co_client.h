// A test application for the control objects: creates one by class
// identifier on the test's (STA) thread, calls it by name, and records the
// events its sink receives, with the thread they arrived on.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include <functional>
#include <string>
#include <vector>

namespace opos_bench_test {

struct ReceivedEvent {
    DISPID id;
    std::vector<long> args;   // numeric arguments, by-reference ones included
    DWORD thread;
};

class Sink;

class CoClient {
public:
    explicit CoClient(const CLSID& clsid, const IID& events);
    ~CoClient();
    CoClient(const CoClient&) = delete;
    CoClient& operator=(const CoClient&) = delete;

    bool ok() const { return co_ != nullptr; }
    // Method call by name with long / string arguments; returns the long result
    // (or -9999 when the call fails as a COM call).
    long Call(const wchar_t* name, std::vector<VARIANT> args = {});
    long GetLong(const wchar_t* name);
    bool GetBool(const wchar_t* name);
    std::wstring GetString(const wchar_t* name);
    HRESULT Put(const wchar_t* name, VARIANT value);
    IDispatch* dispatch() { return co_.Get(); }

    std::vector<ReceivedEvent> events() const;
    // Runs `handler` for every event as it arrives (after recording it).
    void set_on_event(std::function<void(const ReceivedEvent&)> handler);
    void clear_events();
    // Dispatches messages until `done` holds or `ms` passes; true if it held.
    static bool PumpUntil(const std::function<bool()>& done, DWORD ms);
    // Dispatches messages for `ms`.
    static void Pump(DWORD ms) { PumpUntil([] { return false; }, ms); }

private:
    Microsoft::WRL::ComPtr<IDispatch> co_;
    Microsoft::WRL::ComPtr<IConnectionPoint> cp_;
    Sink* sink_ = nullptr;
    DWORD cookie_ = 0;
};

VARIANT L(long v);
VARIANT B(bool v);
// The string stays owned by the caller's storage (see Str).
VARIANT S(BSTR s);
// Holds BSTRs for the duration of a test.
BSTR Str(const wchar_t* s);

}  // namespace opos_bench_test
