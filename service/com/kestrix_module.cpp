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
    if (lockReady_) DeleteCriticalSection(&lock_);
}

LONG CKestrixModule::Lock() { return InterlockedIncrement(&lockCount_); }
LONG CKestrixModule::Unlock() { return InterlockedDecrement(&lockCount_); }
LONG CKestrixModule::GetLockCount() { return InterlockedCompareExchange(&lockCount_, 0, 0); }

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
    lockReady_ = InitializeCriticalSectionAndSpinCount(&lock_, 0) != FALSE;
    return lockReady_;
}

void CKestrixModule::PinLoaded() {
    HMODULE self = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_PIN,
                       reinterpret_cast<LPCWSTR>(&Module), &self);
}

void CKestrixModule::Detach(bool processEnding) {
    if (processEnding) return;  // COM may be gone already; the process frees everything
    if (classObject_ != nullptr) classObject_->Release();
    if (typeInfo_ != nullptr) typeInfo_->Release();
    if (git_ != nullptr) git_->Release();
    classObject_ = nullptr;
    typeInfo_ = nullptr;
    git_ = nullptr;
}

HRESULT CKestrixModule::GetClassObject(IClassFactory** factory) {
    *factory = nullptr;
    Guard guard(&lock_);
    if (classObject_ == nullptr) {
        classObject_ = CCashDrawer_SOFactory::Create();
        if (classObject_ == nullptr) return E_OUTOFMEMORY;
    }
    classObject_->AddRef();
    *factory = classObject_;
    return S_OK;
}

ITypeInfo* CKestrixModule::CashDrawerTypeInfo() {
    Guard guard(&lock_);
    if (typeInfo_ == nullptr && path_[0] != L'\0') {
        ITypeLib* lib = nullptr;
        if (SUCCEEDED(LoadTypeLibEx(path_, REGKIND_NONE, &lib))) {
            lib->GetTypeInfoOfGuid(IID_ICashDrawer_SO, &typeInfo_);
            lib->Release();
        }
    }
    return typeInfo_;
}

CKestrixModule& Module() {
    static CKestrixModule module;
    return module;
}

}  // namespace kestrix::com
