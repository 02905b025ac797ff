// IEnumConnections and IEnumConnectionPoints over a snapshot of items taken
// when the enumerator is made. Each enumerator holds one reference on every
// item it keeps and hands out a new one with every item it returns; it counts
// its own references with interlocked operations and, while it lives, holds
// one lock on its module through ModuleLock (static Lock() and Unlock(), one
// per deliverable).
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <vector>

namespace common::win32 {

inline IUnknown* UnknownOf(IConnectionPoint* p) { return p; }
inline IUnknown* UnknownOf(const CONNECTDATA& c) { return c.pUnk; }

template <typename Itf, typename Item, const IID* Iid, typename ModuleLock>
class SnapshotEnumerator final : public Itf {
public:
    // *out gets a new enumerator at `position` (one reference); null with
    // E_OUTOFMEMORY when it cannot be made; E_POINTER when out is null.
    static HRESULT Create(const std::vector<Item>& items, size_t position, Itf** out) noexcept {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        try {
            *out = new SnapshotEnumerator(items, position);
        } catch (...) {
            return E_OUTOFMEMORY;
        }
        return S_OK;
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
        for (; n < count && position_ < items_.size(); ++n) {
            out[n] = items_[position_++];
            UnknownOf(out[n])->AddRef();
        }
        if (fetched != nullptr) *fetched = n;
        return n == count ? S_OK : S_FALSE;
    }
    // Skips past the end lands at the end, with S_FALSE.
    STDMETHODIMP Skip(ULONG count) override {
        const size_t left = items_.size() - position_;
        position_ += count < left ? count : left;
        return count <= left ? S_OK : S_FALSE;
    }
    STDMETHODIMP Reset() override {
        position_ = 0;
        return S_OK;
    }
    STDMETHODIMP Clone(Itf** out) override { return Create(items_, position_, out); }

private:
    SnapshotEnumerator(const std::vector<Item>& items, size_t position) : items_(items), position_(position) {
        for (const Item& i : items_) UnknownOf(i)->AddRef();
        ModuleLock::Lock();
    }
    ~SnapshotEnumerator() {
        for (const Item& i : items_) UnknownOf(i)->Release();
        ModuleLock::Unlock();
    }

    LONG refs_ = 1;
    std::vector<Item> items_;
    size_t position_;
};

template <typename ModuleLock>
using ConnectionEnumerator = SnapshotEnumerator<IEnumConnections, CONNECTDATA, &IID_IEnumConnections, ModuleLock>;
template <typename ModuleLock>
using ConnectionPointEnumerator =
    SnapshotEnumerator<IEnumConnectionPoints, IConnectionPoint*, &IID_IEnumConnectionPoints, ModuleLock>;

}  // namespace common::win32
