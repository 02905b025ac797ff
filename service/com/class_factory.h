// The class object of CashDrawer_SO.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace kestrix::com {

// Reference counting: the module keeps the first reference for as long as
// the library is loaded; every reference beyond it belongs to a client, and
// the first of those (count 1 to 2) locks the module, dropping back to 1
// unlocks it.
class CCashDrawer_SOFactory final : public IClassFactory {
public:
    // A new class object with one reference (the module's); null when out of memory.
    static IClassFactory* Create() noexcept;

    STDMETHODIMP QueryInterface(REFIID riid, void** ppv) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // With an outer object only IUnknown may be asked for
    // (CLASS_E_NOAGGREGATION otherwise); *ppv is null on every failure.
    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** ppv) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    CCashDrawer_SOFactory() = default;
    ~CCashDrawer_SOFactory() = default;

    volatile LONG refs_ = 1;
};

}  // namespace kestrix::com
