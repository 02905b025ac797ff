// The one module object of Kestrix.dll: the lock count behind
// DllCanUnloadNow, the cached class object, the per-user registration flag
// and the type information that answers IDispatch.
#pragma once

#include <windows.h>
#include <oaidl.h>
#include <objidl.h>

namespace kestrix::com {

class CKestrixModule {
public:
    CKestrixModule() = default;
    virtual ~CKestrixModule();
    CKestrixModule(const CKestrixModule&) = delete;
    CKestrixModule& operator=(const CKestrixModule&) = delete;

    // Lock count: atomic increment and decrement; returns the new count.
    virtual LONG Lock();
    virtual LONG Unlock();
    virtual LONG GetLockCount();
    // The process's global interface table, created on first use; a new
    // reference in *git (null on failure).
    virtual HRESULT GetGITPtr(IGlobalInterfaceTable** git);

    // DllMain: false when the module lock cannot be set up (refuse to load).
    bool Attach(HINSTANCE instance);
    // DllMain on unload; `processEnding` skips releasing COM objects.
    void Detach(bool processEnding);

    HINSTANCE Instance() const { return instance_; }
    // Full path of Kestrix.dll; empty on failure.
    const wchar_t* ModulePath() const { return path_; }

    // Keeps the library loaded until the process ends (a thread that
    // outlives its object still runs code of it).
    void PinLoaded();

    bool PerUser() const { return per_user_; }
    void SetPerUser() { per_user_ = true; }

    // The class object of CashDrawer_SO, created at the first call under the
    // module lock and kept; *factory gets a new reference (null on failure).
    HRESULT GetClassObject(IClassFactory** factory);

    // Type information of ICashDrawer_SO from the embedded type library,
    // loaded once; the pointer is borrowed (the module keeps it). Null when
    // the library cannot be loaded.
    ITypeInfo* CashDrawerTypeInfo();

private:
    class Guard;

    HINSTANCE instance_ = nullptr;
    wchar_t path_[MAX_PATH] = {};
    CRITICAL_SECTION lock_{};
    bool lock_ready_ = false;
    volatile LONG lock_count_ = 0;
    bool per_user_ = false;
    IClassFactory* class_object_ = nullptr;  // one reference held by the module
    ITypeInfo* type_info_ = nullptr;         // one reference held by the module
    IGlobalInterfaceTable* git_ = nullptr;   // one reference held by the module
};

CKestrixModule& Module();

// The module lock a COM object holds while it lives (see com_enumerator.h).
struct ModuleLock {
    static void Lock() { Module().Lock(); }
    static void Unlock() { Module().Unlock(); }
};

}  // namespace kestrix::com
