// The OposBench.dll module: its handle, the lock count that DllCanUnloadNow
// reads, and the class factory shared by every class the module serves.
#pragma once

#include <windows.h>
#include <unknwn.h>

namespace opos_bench {

HMODULE ModuleHandle();
void LockModule();
void UnlockModule();
// The lock a COM object of the module holds while it lives.
struct ModuleLock {
    static void Lock() { LockModule(); }
    static void Unlock() { UnlockModule(); }
};

// Creates a new object of one class, answering `iid`; *out is null on failure.
using CreateFn = HRESULT (*)(REFIID iid, void** out);

}  // namespace opos_bench
