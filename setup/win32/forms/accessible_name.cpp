#include "accessible_name.h"

#include <commctrl.h>
#include <oleacc.h>
#include <wrl/client.h>

#include <utility>

namespace trellup::win32 {
namespace {

using Microsoft::WRL::ComPtr;

constexpr UINT_PTR kSubclassId = 3;
constexpr wchar_t kNamingProp[] = L"TrellupAccessibleName";

bool IsSelf(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The standard object of a control, with the name (and role) of our own.
// Everything else is the standard object's.
class NamedAccessible final : public IAccessible {
public:
    NamedAccessible(HWND hwnd, ComPtr<IAccessible> inner, std::wstring name, long role)
        : hwnd_(hwnd), inner_(std::move(inner)), name_(std::move(name)), role_(role) {}

    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        return inner_->QueryInterface(iid, out);
    }
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }
    STDMETHODIMP_(ULONG) Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    STDMETHODIMP GetTypeInfoCount(UINT* n) override { return inner_->GetTypeInfoCount(n); }
    STDMETHODIMP GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(i, lcid, info);
    }
    STDMETHODIMP GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, n, lcid, ids);
    }
    STDMETHODIMP Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                        EXCEPINFO* info, UINT* arg) override {
        return inner_->Invoke(id, iid, lcid, flags, params, result, info, arg);
    }

    STDMETHODIMP get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return inner_->get_accName(child, name);
        if (name == nullptr) return E_POINTER;
        *name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
        return *name != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accRole(VARIANT child, VARIANT* role) override {
        if (!IsSelf(child) || role_ == 0) return inner_->get_accRole(child, role);
        if (role == nullptr) return E_POINTER;
        VariantInit(role);
        role->vt = VT_I4;
        role->lVal = role_;
        return S_OK;
    }

    STDMETHODIMP get_accParent(IDispatch** p) override { return inner_->get_accParent(p); }
    STDMETHODIMP get_accChildCount(LONG* n) override { return inner_->get_accChildCount(n); }
    STDMETHODIMP get_accChild(VARIANT c, IDispatch** p) override { return inner_->get_accChild(c, p); }
    // A value label's text is its value (its name is the title beside it).
    STDMETHODIMP get_accValue(VARIANT c, BSTR* v) override {
        const HRESULT hr = inner_->get_accValue(c, v);
        if (!IsSelf(c) || v == nullptr || (hr == S_OK && *v != nullptr)) return hr;
        if (hr == S_OK) SysFreeString(*v);
        *v = nullptr;
        const int n = GetWindowTextLengthW(hwnd_);
        if (n <= 0) return S_FALSE;
        std::wstring text(static_cast<size_t>(n) + 1, L'\0');
        text.resize(static_cast<size_t>(GetWindowTextW(hwnd_, text.data(), n + 1)));
        *v = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
        return *v != nullptr ? S_OK : E_OUTOFMEMORY;
    }
    STDMETHODIMP get_accDescription(VARIANT c, BSTR* d) override { return inner_->get_accDescription(c, d); }
    STDMETHODIMP get_accState(VARIANT c, VARIANT* s) override { return inner_->get_accState(c, s); }
    STDMETHODIMP get_accHelp(VARIANT c, BSTR* h) override { return inner_->get_accHelp(c, h); }
    STDMETHODIMP get_accHelpTopic(BSTR* f, VARIANT c, LONG* t) override { return inner_->get_accHelpTopic(f, c, t); }
    STDMETHODIMP get_accKeyboardShortcut(VARIANT c, BSTR* k) override { return inner_->get_accKeyboardShortcut(c, k); }
    STDMETHODIMP get_accFocus(VARIANT* f) override { return inner_->get_accFocus(f); }
    STDMETHODIMP get_accSelection(VARIANT* s) override { return inner_->get_accSelection(s); }
    STDMETHODIMP get_accDefaultAction(VARIANT c, BSTR* a) override { return inner_->get_accDefaultAction(c, a); }
    STDMETHODIMP accSelect(LONG flags, VARIANT c) override { return inner_->accSelect(flags, c); }
    STDMETHODIMP accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT c) override {
        return inner_->accLocation(x, y, w, h, c);
    }
    STDMETHODIMP accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(dir, start, end);
    }
    STDMETHODIMP accHitTest(LONG x, LONG y, VARIANT* c) override { return inner_->accHitTest(x, y, c); }
    STDMETHODIMP accDoDefaultAction(VARIANT c) override { return inner_->accDoDefaultAction(c); }
    STDMETHODIMP put_accName(VARIANT c, BSTR n) override { return inner_->put_accName(c, n); }
    STDMETHODIMP put_accValue(VARIANT c, BSTR v) override { return inner_->put_accValue(c, v); }

private:
    ~NamedAccessible() = default;

    HWND hwnd_;
    ComPtr<IAccessible> inner_;
    std::wstring name_;
    long role_;
    LONG refs_ = 1;
};

struct Naming {
    std::wstring name;
    long role;
};

LRESULT CALLBACK NamingProc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR data) {
    auto* naming = reinterpret_cast<Naming*>(data);
    try {
        if (msg == WM_GETOBJECT && static_cast<LONG>(lp) == OBJID_CLIENT) {
            ComPtr<IAccessible> standard;
            if (SUCCEEDED(CreateStdAccessibleObject(hwnd, OBJID_CLIENT, __uuidof(IAccessible),
                                                    reinterpret_cast<void**>(standard.GetAddressOf())))) {
                auto* named = new NamedAccessible(hwnd, standard, naming->name, naming->role);
                const LRESULT r = LresultFromObject(__uuidof(IAccessible), wp, named);
                named->Release();  // LresultFromObject holds its own reference
                return r;
            }
        }
        if (msg == WM_NCDESTROY) {
            RemoveWindowSubclass(hwnd, NamingProc, kSubclassId);
            RemovePropW(hwnd, kNamingProp);
            delete naming;
        }
    } catch (...) {
    }
    return DefSubclassProc(hwnd, msg, wp, lp);
}

}  // namespace

void SetAccessibleName(HWND control, const std::wstring& name, long role) {
    if (control == nullptr) return;
    if (auto* named = static_cast<Naming*>(GetPropW(control, kNamingProp))) {
        *named = Naming{name, role};
        return;
    }
    auto* naming = new Naming{name, role};
    if (!SetWindowSubclass(control, NamingProc, kSubclassId, reinterpret_cast<DWORD_PTR>(naming))) {
        delete naming;
        return;
    }
    SetPropW(control, kNamingProp, naming);
}

std::wstring NameFromTitle(const std::wstring& title) {
    std::wstring name;
    for (wchar_t c : title) {
        if (c != L'&') name += c;
    }
    while (!name.empty() && (name.back() == L' ' || name.back() == L':')) name.pop_back();
    const size_t first = name.find_first_not_of(L' ');
    return first == std::wstring::npos ? std::wstring() : name.substr(first);
}

}  // namespace trellup::win32
