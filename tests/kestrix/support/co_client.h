// A test application for the control objects: creates one by class
// identifier on the test's (STA) thread, calls it by name, and records the
// events its sink receives, with the thread they arrived on.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <wrl/client.h>

#include "dispatch_util.h"
#include "message_pump.h"

#include <functional>
#include <string>
#include <vector>

namespace opos_bench::test {

struct ReceivedEvent {
    DISPID id;
    std::vector<long> args;  // numeric arguments, by-reference ones included
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
    static bool PumpUntil(const std::function<bool()>& done, DWORD ms) { return kestrix::test::PumpUntil(done, ms); }
    // Dispatches messages for `ms`.
    static void Pump(DWORD ms) {
        PumpUntil([] { return false; }, ms);
    }

private:
    Microsoft::WRL::ComPtr<IDispatch> co_;
    Microsoft::WRL::ComPtr<IConnectionPoint> cp_;
    Sink* sink_ = nullptr;
    DWORD cookie_ = 0;
};

// The dispatch identifier of `name` (DISPID_UNKNOWN when unknown).
DISPID IdOf(IDispatch* d, const wchar_t* name);
// Invoke exactly as given: flags, arguments left to right, named argument
// identifiers (for the last arguments), interface identifier; the result
// lands in *result when given.
HRESULT RawInvoke(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> args, std::vector<DISPID> named,
                  REFIID riid = IID_NULL, VARIANT* result = nullptr);

using kestrix::test::AllHeapsValid;

VARIANT L(long v);
VARIANT B(bool v);
// The string stays owned by the caller's storage (see Str).
VARIANT S(BSTR s);
// Holds BSTRs for the duration of a test.
BSTR Str(const wchar_t* s);

// A string passed by reference: the callee may free it and put another in
// its place, which this frees in the end.
class RefString {
public:
    explicit RefString(const wchar_t* s = L"") : s_(SysAllocString(s)) {}
    ~RefString() { SysFreeString(s_); }
    RefString(const RefString&) = delete;
    RefString& operator=(const RefString&) = delete;
    VARIANT Arg() { return opos_bench::BstrRefArg(&s_); }
    std::wstring text() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_;
};

}  // namespace opos_bench::test
