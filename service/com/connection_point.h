// The connection point for _ICashDrawer_SOEvents. The interface has no
// members, so nothing is ever fired; clients may connect and disconnect.
#pragma once

#include <windows.h>
#include <ocidl.h>
#include <olectl.h>

#include <vector>

namespace kestrix::com {

// Lives inside its container (the service object): AddRef and Release go to
// the container, so the point lives as long as the object does. Used only on
// the apartment thread.
//
// Sinks sit in slots: none at first, 4 on the first connection, doubling
// whenever all are taken; a sink takes the first empty slot and its cookie is
// that slot's position counted from 1. One reference is held per sink; the
// remaining sinks are released when the point is destroyed.
class CProxy_ICashDrawer_SOEvents final : public IConnectionPoint {
public:
    explicit CProxy_ICashDrawer_SOEvents(IConnectionPointContainer* container) : container_(container) {}
    ~CProxy_ICashDrawer_SOEvents();
    CProxy_ICashDrawer_SOEvents(const CProxy_ICashDrawer_SOEvents&) = delete;
    CProxy_ICashDrawer_SOEvents& operator=(const CProxy_ICashDrawer_SOEvents&) = delete;

    // IConnectionPoint and IUnknown only.
    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP GetConnectionInterface(IID* iid) override;
    STDMETHODIMP GetConnectionPointContainer(IConnectionPointContainer** container) override;
    // *cookie is 0 on every failure. A sink without the events interface:
    // CONNECT_E_CANNOTCONNECT; no room for another slot: CONNECT_E_ADVISELIMIT.
    STDMETHODIMP Advise(IUnknown* sink, DWORD* cookie) override;
    // CONNECT_E_NOCONNECTION unless the cookie names an occupied slot.
    STDMETHODIMP Unadvise(DWORD cookie) override;
    // An enumerator over a copy of the occupied slots.
    STDMETHODIMP EnumConnections(IEnumConnections** connections) override;

private:
    // Index of the first empty slot, growing the array when all are taken;
    // false when it cannot grow.
    bool FreeSlot(size_t* index) noexcept;

    IConnectionPointContainer* container_;  // the owner; not counted
    std::vector<IUnknown*> slots_;          // null marks an empty slot
};

}  // namespace kestrix::com
