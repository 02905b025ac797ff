#include "co_client.h"

#include <algorithm>
#include <memory>

#include "dispatch_util.h"

using opos_bench::CallById;
using opos_bench::Variant;

namespace opos_bench::test {

class Sink final : public IDispatch {
public:
    explicit Sink(const IID& iid) : iid_(iid) {}
    STDMETHODIMP QueryInterface(REFIID iid, void** out) override {
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == iid_) {
            *out = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    STDMETHODIMP_(ULONG) AddRef() override { return InterlockedIncrement(&refs_); }
    STDMETHODIMP_(ULONG) Release() override {
        LONG n = InterlockedDecrement(&refs_);
        if (n == 0) delete this;
        return n;
    }
    STDMETHODIMP GetTypeInfoCount(UINT* n) override {
        *n = 0;
        return S_OK;
    }
    STDMETHODIMP GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    STDMETHODIMP GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    STDMETHODIMP Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* p, VARIANT*, EXCEPINFO*, UINT*) override {
        ReceivedEvent e{id, {}, GetCurrentThreadId()};
        opos_bench::Args args(p);
        for (UINT i = 0; i < args.count(); ++i) {
            long v = 0;
            if (args.Long(i, &v)) e.args.push_back(v);
        }
        events.push_back(e);
        if (on_event) on_event(e);
        return S_OK;
    }
    std::vector<ReceivedEvent> events;
    std::function<void(const ReceivedEvent&)> on_event;

private:
    IID iid_;
    LONG refs_ = 1;
};

CoClient::CoClient(const CLSID& clsid, const IID& events) {
    if (FAILED(CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                reinterpret_cast<void**>(co_.GetAddressOf()))))
        return;
    Microsoft::WRL::ComPtr<IConnectionPointContainer> cpc;
    if (FAILED(co_.As(&cpc)) || FAILED(cpc->FindConnectionPoint(events, cp_.GetAddressOf()))) return;
    sink_ = new Sink(events);
    cp_->Advise(sink_, &cookie_);
}

CoClient::~CoClient() {
    if (cp_ && cookie_) cp_->Unadvise(cookie_);
    cp_.Reset();
    co_.Reset();
    if (sink_) sink_->Release();
}

DISPID IdOf(IDispatch* d, const wchar_t* name) {
    LPOLESTR n = const_cast<LPOLESTR>(name);
    DISPID id = DISPID_UNKNOWN;
    d->GetIDsOfNames(IID_NULL, &n, 1, LOCALE_USER_DEFAULT, &id);
    return id;
}

HRESULT RawInvoke(IDispatch* d, DISPID id, WORD flags, std::vector<VARIANT> args, std::vector<DISPID> named,
                  REFIID riid, VARIANT* result) {
    std::reverse(args.begin(), args.end());
    DISPPARAMS p{args.empty() ? nullptr : args.data(), named.empty() ? nullptr : named.data(),
                 static_cast<UINT>(args.size()), static_cast<UINT>(named.size())};
    Variant r;
    return d->Invoke(id, riid, LOCALE_USER_DEFAULT, flags, &p, result ? result : r.get(), nullptr, nullptr);
}

long CoClient::Call(const wchar_t* name, std::vector<VARIANT> args) {
    Variant r;
    if (FAILED(CallById(co_.Get(), IdOf(co_.Get(), name), DISPATCH_METHOD, args, r.get()))) return -9999;
    return r.ref().vt == VT_I4 ? r.ref().lVal : -9998;
}

long CoClient::GetLong(const wchar_t* name) {
    Variant r;
    if (FAILED(CallById(co_.Get(), IdOf(co_.Get(), name), DISPATCH_PROPERTYGET, {}, r.get()))) return -9999;
    return r.ref().vt == VT_I4 ? r.ref().lVal : -9998;
}

bool CoClient::GetBool(const wchar_t* name) {
    Variant r;
    CallById(co_.Get(), IdOf(co_.Get(), name), DISPATCH_PROPERTYGET, {}, r.get());
    return r.ref().vt == VT_BOOL && r.ref().boolVal == VARIANT_TRUE;
}

std::wstring CoClient::GetString(const wchar_t* name) {
    Variant r;
    CallById(co_.Get(), IdOf(co_.Get(), name), DISPATCH_PROPERTYGET, {}, r.get());
    return r.ref().vt == VT_BSTR && r.ref().bstrVal ? std::wstring(r.ref().bstrVal) : L"<not a string>";
}

HRESULT CoClient::Put(const wchar_t* name, VARIANT value) {
    return CallById(co_.Get(), IdOf(co_.Get(), name), DISPATCH_PROPERTYPUT, {value}, nullptr);
}

std::vector<ReceivedEvent> CoClient::events() const { return sink_ ? sink_->events : std::vector<ReceivedEvent>{}; }
void CoClient::set_on_event(std::function<void(const ReceivedEvent&)> handler) {
    if (sink_) sink_->on_event = std::move(handler);
}

void CoClient::clear_events() {
    if (sink_) sink_->events.clear();
}

VARIANT L(long v) { return opos_bench::LongArg(v); }
VARIANT B(bool v) { return opos_bench::BoolArg(v); }
VARIANT S(BSTR s) { return opos_bench::BstrArg(s); }

BSTR Str(const wchar_t* s) {
    static std::vector<std::unique_ptr<OLECHAR, decltype(&SysFreeString)>> held;
    BSTR b = SysAllocString(s);
    held.emplace_back(b, &SysFreeString);
    return b;
}

}  // namespace opos_bench::test
