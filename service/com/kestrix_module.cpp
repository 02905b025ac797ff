#include "kestrix_module.h"

#include <oleauto.h>

#include "Kestrix.h"
#include "class_factory.h"

namespace kestrix::com {

class CKestrixModule::Guard {
public:
    explicit Guard(CRITICAL_SECTION* cs) : cs_(cs) { EnterCriticalSection(cs_); }
    ~Guard() { LeaveCriticalSection(cs_); }
    Guard(const Guard&) = delete;
    Guard& operator=(const Guard&) = delete;

private:
    CRITICAL_SECTION* cs_;
};

CKestrixModule::~CKestrixModule() {
    if (lock_ready_) DeleteCriticalSection(&lock_);
}

LONG CKestrixModule::Lock() { return InterlockedIncrement(&lock_count_); }
LONG CKestrixModule::Unlock() { return InterlockedDecrement(&lock_count_); }
LONG CKestrixModule::GetLockCount() { return InterlockedCompareExchange(&lock_count_, 0, 0); }

HRESULT CKestrixModule::GetGITPtr(IGlobalInterfaceTable** git) {
    if (git == nullptr) return E_POINTER;
    *git = nullptr;
    Guard guard(&lock_);
    if (git_ == nullptr) {
        const HRESULT hr = CoCreateInstance(CLSID_StdGlobalInterfaceTable, nullptr, CLSCTX_INPROC_SERVER,
                                            IID_IGlobalInterfaceTable, reinterpret_cast<void**>(&git_));
        if (FAILED(hr)) return hr;
    }
    git_->AddRef();
    *git = git_;
    return S_OK;
}

bool CKestrixModule::Attach(HINSTANCE instance) {
    instance_ = instance;
    const DWORD n = GetModuleFileNameW(instance, path_, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) path_[0] = L'\0';
    lock_ready_ = InitializeCriticalSectionAndSpinCount(&lock_, 0) != FALSE;
    return lock_ready_;
}

void CKestrixModule::PinLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&Module), &self);
}

void CKestrixModule::Detach(bool processEnding) {
    if (processEnding) return;  // COM may be gone already; the process frees everything
    if (class_object_ != nullptr) class_object_->Release();
    if (type_info_ != nullptr) type_info_->Release();
    if (git_ != nullptr) git_->Release();
    class_object_ = nullptr;
    type_info_ = nullptr;
    git_ = nullptr;
}

HRESULT CKestrixModule::GetClassObject(IClassFactory** factory) {
    *factory = nullptr;
    Guard guard(&lock_);
    if (class_object_ == nullptr) {
        class_object_ = CCashDrawer_SOFactory::Create();
        if (class_object_ == nullptr) return E_OUTOFMEMORY;
    }
    class_object_->AddRef();
    *factory = class_object_;
    return S_OK;
}

ITypeInfo* CKestrixModule::CashDrawerTypeInfo() {
    Guard guard(&lock_);
    if (type_info_ == nullptr && path_[0] != L'\0') {
        ITypeLib* lib = nullptr;
        if (SUCCEEDED(LoadTypeLibEx(path_, REGKIND_NONE, &lib))) {
            lib->GetTypeInfoOfGuid(IID_ICashDrawer_SO, &type_info_);
            lib->Release();
        }
    }
    return type_info_;
}

CKestrixModule& Module() {
    static CKestrixModule module;
    return module;
}

}  // namespace kestrix::com
