// The connection point of a control object stand-in: one per object, for
// the class's published event dispinterface. It is an object of its own (the
// control object does not answer IConnectionPoint) whose references go to
// its container, so it lives as long as the control object. Used on the
// creating thread only.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>
#include <wrl/client.h>

#include <vector>

namespace opos_bench {

class EventPoint final : public IConnectionPoint {
public:
    EventPoint(IConnectionPointContainer* container, const IID& events) : container_(container), events_(events) {}
    ~EventPoint();
    EventPoint(const EventPoint&) = delete;
    EventPoint& operator=(const EventPoint&) = delete;

    // IUnknown and IConnectionPoint only.
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return container_->AddRef(); }
    STDMETHODIMP_(ULONG) Release() override { return container_->Release(); }

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** out) override;
    // The sink must answer the event interface itself: one that answers
    // only IDispatch gets CONNECT_E_CANNOTCONNECT. The cookie is 0 on failure.
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    STDMETHODIMP Unadvise(DWORD cookie) override;
    STDMETHODIMP EnumConnections(IEnumConnections** out) override;

    // The connected sinks now, each with a reference of its own.
    std::vector<Microsoft::WRL::ComPtr<IDispatch>> Sinks() const;

private:
    IConnectionPointContainer* container_;  // the owner; not counted
    IID events_;
    std::vector<IDispatch*> sinks_;  // one reference each; empty slots are null
};

}  // namespace opos_bench
