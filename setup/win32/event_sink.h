// The sink a control object raises its events on: an IDispatch that answers
// QueryInterface for the class's event interface, and hands DataEvent,
// ErrorEvent and StatusUpdateEvent to the utility's handlers. Other events
// are accepted and ignored. Events arrive on the utility's thread.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <wrl/client.h>

#include "platform/opos_control.h"

namespace trellup::win32 {

class EventSink : public IDispatch {
public:
    // A new sink with one reference, or nullptr when memory ran out. Neither
    // `events` nor `from` is owned; both must stay valid until Detach.
    static Microsoft::WRL::ComPtr<EventSink> Create(REFIID events_iid, IOposEvents* events, IOposControl* from);

    // From now on events are accepted and dropped (the control object may
    // still hold the sink).
    void Detach() {
        events_ = nullptr;
        from_ = nullptr;
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* excep, UINT* arg_error) override;

private:
    EventSink(REFIID events_iid, IOposEvents* events, IOposControl* from)
        : events_iid_(events_iid), events_(events), from_(from) {}
    virtual ~EventSink() = default;

    LONG refs_ = 1;
    IID events_iid_;
    IOposEvents* events_;
    IOposControl* from_;
};

}  // namespace trellup::win32
