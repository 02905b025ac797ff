// CCashDrawer_SO: the COM class of the cash drawer service object. It owns the
// portable core (kestrix::CCashDrawer_SOCore) and turns its results into
// out-parameters, BSTRs and HRESULTs; IDispatch is answered from the embedded
// type library.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <memory>

#include "Kestrix.h"
#include "cash_drawer_core.h"
#include "connection_point.h"
#include "dispatch_control.h"

namespace kestrix::com {

// Threads: every method arrives on the creating apartment's thread; only the
// core's status monitor calls out on a thread of its own. Reference counts are
// interlocked; each live object holds one module lock. The class can be
// aggregated: the interfaces' IUnknown methods go to the controlling unknown.
//
// Re-entry: the methods that run the thread's message loop (OpenService,
// CloseService, OpenDrawer, CheckHealth) hold a reference on the controlling
// unknown while they run, so a handler that closes and releases the object
// there frees it only when the method has returned. A control object that
// releases the object from inside the status event, on the monitor thread,
// destroys it there; the monitor then ends on its own and the library stays
// loaded for the rest of the process.
//
// Results: every method returns S_OK and writes its OPOS result to its last
// out-parameter, except a not-handled property index (S_FALSE), a string that
// cannot be allocated (E_OUTOFMEMORY) and a null out-parameter (E_POINTER,
// nothing done). No error information is ever set; no exception leaves a method.
class CCashDrawer_SO final : public ICashDrawer_SO, public ISupportErrorInfo, public IConnectionPointContainer {
public:
    // Makes an object (aggregated when `outer` is given; then `riid` must be
    // IUnknown) and answers its QueryInterface for `riid` into *ppv.
    static HRESULT CreateInstance(IUnknown* outer, REFIID riid, void** ppv) noexcept;

    // IUnknown, delegating.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IDispatch, from the type library's description of ICashDrawer_SO.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* argErr) override;

    // ICashDrawer_SO.
    STDMETHODIMP COFreezeEvents(VARIANT_BOOL Freeze, LONG* pRC) override;
    STDMETHODIMP GetPropertyNumber(LONG PropIndex, LONG* pNumber) override;
    STDMETHODIMP SetPropertyNumber(LONG PropIndex, LONG Number) override;
    // *pString: a new string owned by the caller, or null (S_FALSE, E_OUTOFMEMORY).
    STDMETHODIMP GetPropertyString(LONG PropIndex, BSTR* pString) override;
    // The string stays the caller's and is not read.
    STDMETHODIMP SetPropertyString(LONG PropIndex, BSTR String) override;
    // pDispatch is kept without a reference; it must outlive the object's use of it.
    STDMETHODIMP OpenService(BSTR DeviceClass, BSTR DeviceName, IDispatch* pDispatch, LONG* pRC) override;
    // When the operator declines the interactive check, *pRC gets the
    // ResultCode as it stands (which does not change).
    STDMETHODIMP CheckHealth(LONG Level, LONG* pRC) override;
    STDMETHODIMP ClaimDevice(LONG Timeout, LONG* pRC) override;
    STDMETHODIMP CloseService(LONG* pRC) override;
    // *pData and *pString stay as they are.
    STDMETHODIMP DirectIO(LONG Command, LONG* pData, BSTR* pString, LONG* pRC) override;
    STDMETHODIMP ReleaseDevice(LONG* pRC) override;
    STDMETHODIMP OpenDrawer(LONG* pRC) override;
    STDMETHODIMP WaitForDrawerClose(LONG BeepTimeout, LONG BeepFrequency, LONG BeepDuration, LONG BeepDelay,
                                    LONG* pRC) override;

    // ISupportErrorInfo: S_OK for ICashDrawer_SO only.
    STDMETHODIMP InterfaceSupportsErrorInfo(REFIID riid) override;

    // IConnectionPointContainer: the one point for _ICashDrawer_SOEvents.
    STDMETHODIMP EnumConnectionPoints(IEnumConnectionPoints** points) override;
    STDMETHODIMP FindConnectionPoint(REFIID riid, IConnectionPoint** point) override;

private:
    // The non-delegating IUnknown: the object's identity when it stands
    // alone, the inner unknown when it is aggregated.
    class Inner final : public IUnknown {
    public:
        explicit Inner(CCashDrawer_SO* owner) : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        CCashDrawer_SO* owner_;
        volatile LONG refs_ = 0;
    };

    // A reference on the controlling unknown for the length of one method.
    class KeepAlive {
    public:
        explicit KeepAlive(IUnknown* unknown) : unknown_(unknown) { unknown_->AddRef(); }
        ~KeepAlive() { unknown_->Release(); }
        KeepAlive(const KeepAlive&) = delete;
        KeepAlive& operator=(const KeepAlive&) = delete;

    private:
        IUnknown* unknown_;
    };

    explicit CCashDrawer_SO(IUnknown* outer);
    ~CCashDrawer_SO();

    // The object's module lock: taken first and dropped last, after the core
    // has stopped its monitor thread, so the library cannot be unloaded while
    // any of the object's code still runs.
    struct ModuleLockHold {
        ModuleLockHold();
        ~ModuleLockHold();
    } module_lock_;
    Inner inner_{this};
    IUnknown* controlling_;
    // Destroyed in reverse order: the core (which stops the monitor) first,
    // then the control object it calls, then the connection point's sinks.
    CProxy_ICashDrawer_SOEvents events_{this};
    DispatchControlObject control_;
    std::unique_ptr<CCashDrawer_SOCore> core_;
};

}  // namespace kestrix::com
