// IEnumConnections and IEnumConnectionPoints over a snapshot of items. Each
// enumerator owns one reference on every item it holds and hands out a new
// one with every item it returns; each live enumerator locks the module.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <new>
#include <vector>

#include "kestrix_module.h"

namespace kestrix::com {

inline void AddRefItem(const CONNECTDATA& c) { c.pUnk->AddRef(); }
inline void ReleaseItem(const CONNECTDATA& c) { c.pUnk->Release(); }
inline void AddRefItem(IConnectionPoint* p) { p->AddRef(); }
inline void ReleaseItem(IConnectionPoint* p) { p->Release(); }

template <typename Itf, typename Item, const IID* Iid>
class CEnumerator final : public Itf {
public:
    // A new enumerator over `items` (each gets a reference) with one
    // reference in *out; E_OUTOFMEMORY (and null) when it cannot be made.
    static HRESULT Create(const std::vector<Item>& items, size_t position, Itf** out) noexcept {
        *out = nullptr;
        try {
            auto* e = new CEnumerator(items, position);
            *out = e;
            return S_OK;
        } catch (...) {
            return E_OUTOFMEMORY;
        }
    }

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override {
        if (ppv == nullptr) return E_POINTER;
        if (IsEqualIID(riid, IID_IUnknown) || IsEqualIID(riid, *Iid)) {
            *ppv = static_cast<Itf*>(this);
            AddRef();
            return S_OK;
        }
        *ppv = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return static_cast<ULONG>(n);
    }

    // Copies up to `count` items into `out`; S_FALSE when fewer were left.
    STDMETHODIMP Next(ULONG count, Item* out, ULONG* fetched) override {
        if (out == nullptr || (fetched == nullptr && count != 1)) return E_POINTER;
        ULONG n = 0;
        while (n < count && position_ < items_.size()) {
            out[n] = items_[position_++];
            AddRefItem(out[n]);
            ++n;
        }
        if (fetched != nullptr) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.size() - position_;
        if (count > left) {
            position_ = items_.size();
            return S_FALSE;
        }
        position_ += count;
        return S_OK;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Itf** out) override {
        if (out == nullptr) return E_POINTER;
        return Create(items_, position_, out);
    }

private:
    CEnumerator(const std::vector<Item>& items, size_t position) : items_(items), position_(position) {
        for (const Item& i : items_) AddRefItem(i);
        Module().Lock();
    }
    ~CEnumerator() {
        for (const Item& i : items_) ReleaseItem(i);
        Module().Unlock();
    }

    volatile LONG refs_ = 1;
    std::vector<Item> items_;
    size_t position_;
};

using CConnectionEnumerator = CEnumerator<IEnumConnections, CONNECTDATA, &IID_IEnumConnections>;
using CConnectionPointEnumerator = CEnumerator<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints>;

}  // namespace kestrix::com
