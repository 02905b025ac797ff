// Base of the bench's simulated service objects: the OPOS service object
// methods by name through IDispatch, the common properties by PIDX number,
// and the call-backs to the control object. A device class adds its own
// properties and methods. The control object's IDispatch is kept without a
// reference, as service objects do; it is called from the object's own
// threads too, without marshalling.
#pragma once

#include <windows.h>

#include <atomic>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "dispatch_util.h"

namespace opos_bench {

class SimServiceObject : public IDispatch {
public:
    SimServiceObject(std::wstring description, long version);
    virtual ~SimServiceObject();

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* n) override;
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                        UINT*) override;

protected:
    // Class methods get identifiers from kClassBase on, named by ClassNames().
    static constexpr DISPID kClassBase = 50;
    virtual std::vector<NamedId> ClassNames() const { return {}; }
    // A class method; returns its result code. Called on the application's thread.
    virtual long ClassMethod(DISPID, const Args&) { return 106; }
    // Class properties; false when the index is not the class's.
    virtual bool GetNumber(long, long*) { return false; }
    virtual bool SetNumber(long, long, long*) { return false; }
    virtual bool GetString(long, std::wstring*) { return false; }
    // Called by OpenService with the device's name; a result other than 0
    // fails the open (the object stays closed).
    virtual long OnOpen() { return 0; }
    virtual void OnClose() {}
    virtual long OnDirectIo(long, long*, std::wstring*) { return 106; }

    // Calls the control object's `name` (SOData, SOError, SOStatusUpdate...)
    // with long arguments; by-reference arguments are passed for `ref`
    // (written back). Safe from any thread while open.
    void CallControl(const wchar_t* name, std::vector<long> args, long* ref = nullptr);
    // Result code of a method needing a claimed, enabled device (0 when ready).
    long Ready() const;

    std::atomic<bool> opened_{false};
    std::atomic<bool> claimed_{false};
    std::atomic<bool> enabled_{false};
    std::atomic<bool> frozen_{false};
    std::atomic<long> result_code_{101};
    std::wstring health_text_;
    std::wstring device_name_;

private:
    HRESULT Call(DISPID id, const Args& args, VARIANT* result);

    LONG refs_ = 1;
    std::wstring description_;
    long version_;
    IDispatch* control_ = nullptr;  // not owned
};

// Waits for `h` while dispatching this thread's messages, so that a thread
// that delivers events to this thread can finish.
void WaitDispatching(HANDLE h);

HRESULT CreateLineDisplaySo(REFIID iid, void** out);
HRESULT CreateMsrSo(REFIID iid, void** out);
HRESULT CreatePosPrinterSo(REFIID iid, void** out);
HRESULT CreateTestCashDrawerSo(REFIID iid, void** out);
HRESULT CreateTestCashDrawerV2So(REFIID iid, void** out);

// Hands a new object to the caller as `iid`, dropping the creation reference.
HRESULT Hand(SimServiceObject* obj, REFIID iid, void** out);

}  // namespace opos_bench
