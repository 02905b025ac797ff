// IEnumConnectionPoints and IEnumConnections of the control object stand-ins,
// over a snapshot taken when the enumerator is made. The enumerator holds a
// reference on every item and hands out a new one with each item returned;
// it locks the module while it lives.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <new>
#include <vector>

#include "module.h"

namespace opos_bench {

inline IUnknown* UnknownOf(IConnectionPoint* p) { return p; }
inline IUnknown* UnknownOf(const CONNECTDATA& c) { return c.pUnk; }

template <typename Itf, typename Item, const IID* Iid>
class SnapshotEnum final : public Itf {
public:
    // *out gets a new enumerator (one reference) or null with E_OUTOFMEMORY.
    static HRESULT Make(const std::vector<Item>& items, Itf** out) {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            *out = new SnapshotEnum(items, 0);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid != IID_IUnknown && iid != *Iid) return E_NOINTERFACE;
        *out = static_cast<Itf*>(this);
        AddRef();
        return S_OK;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (!out || (!fetched && count != 1)) return E_POINTER;
        ULONG n = 0;
        for (; n < count && next_ < items_.size(); ++n) {
            out[n] = items_[next_++];
            UnknownOf(out[n])->AddRef();
        }
        if (fetched) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.size() - next_;
        next_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        next_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Itf** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        try {
            *out = new SnapshotEnum(items_, next_);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
    }

private:
    SnapshotEnum(const std::vector<Item>& items, size_t next) : items_(items), next_(next) {
        for (const Item& i : items_) UnknownOf(i)->AddRef();
        LockModule();
    }
    ~SnapshotEnum() {
        for (const Item& i : items_) UnknownOf(i)->Release();
        UnlockModule();
    }

    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t next_;
};

using ConnectionPointEnum = SnapshotEnum<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints>;
using ConnectionEnum = SnapshotEnum<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>;

}  // namespace opos_bench
