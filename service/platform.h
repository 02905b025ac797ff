// What the service object's core needs from the platform. The core folders
// include no Windows headers; service/win32 implements these over the Win32
// API, the tests replace them with fakes. Strings are UTF-16 (char16_t, the
// same 16-bit unit as the Windows wchar_t).
#pragma once

#include <cstdint>
#include <memory>

namespace kestrix {

// Read access to HKEY_LOCAL_MACHINE.
class IKeyStore {
public:
    using Key = uintptr_t;  // 0 is never a valid key
    virtual ~IKeyStore() = default;
    // Opens `path` below HKEY_LOCAL_MACHINE with read access; 0 on failure.
    virtual Key OpenKey(const char16_t* path) = 0;
    // Copies value `name` (matched without regard to case) into `buffer` of
    // *size bytes. On success: true, *type is the registry type and *size the
    // bytes written. False when the value is missing, unreadable or larger
    // than the buffer; then *type, *size and the buffer are unspecified.
    virtual bool QueryValue(Key key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) = 0;
    virtual void CloseKey(Key key) = 0;
};

// A loaded library; unloaded when destroyed.
class ILibrary {
public:
    virtual ~ILibrary() = default;
    // Address of an export by name, or null.
    virtual void* Symbol(const char* name) = 0;
};

class ILibraryLoader {
public:
    virtual ~ILibraryLoader() = default;
    // Loads the library at a full path ("<folder>\WinIo32.dll"); null on failure.
    virtual std::unique_ptr<ILibrary> Load(const char16_t* path) = 0;
};

// The control object, reached through its IDispatch. The core keeps the
// pointer it is given without owning it; the status monitor thread calls it.
class IControlObject {
public:
    virtual ~IControlObject() = default;
    // GetIDsOfNames for "SOStatusUpdate" (null IID, one name, LCID 0x800).
    virtual bool LookupStatusUpdate(int32_t* dispid) = 0;
    // Invoke(dispid, null IID, LCID 0x400, DISPATCH_METHOD, one VT_I4
    // argument); the result variant and the status are discarded.
    virtual void InvokeStatusUpdate(int32_t dispid, int32_t status) = 0;
};

// The person at the terminal: modal message boxes without owner or icon.
class IOperator {
public:
    virtual ~IOperator() = default;
    // Yes/No box; true only for Yes.
    virtual bool AskYesNo(const char16_t* caption, const char16_t* text) = 0;
    // OK box; returns when OK is pressed.
    virtual void ShowOk(const char16_t* caption, const char16_t* text) = 0;
};

class IBeeper {
public:
    virtual ~IBeeper() = default;
    // Sounds the system beeper; blocks for the duration; failures are ignored.
    virtual void Beep(uint32_t frequency_hz, uint32_t duration_ms) = 0;
};

// A one-shot signal the status monitor sleeps on, so that a stop wakes it.
class ISignal {
public:
    virtual ~ISignal() = default;
    virtual void Set() = 0;
    // Waits up to `ms` for Set; true when set (now or before).
    virtual bool Wait(uint32_t ms) = 0;
    // Waits without limit for Set. On Windows the calling thread keeps
    // dispatching its window messages meanwhile, so a control object that
    // posts the status event to this thread and waits cannot deadlock it.
    virtual void WaitDispatching() = 0;
    // The same, for at most `ms`; true when set (now or before). A platform
    // that cannot bound the wait waits without limit and returns true.
    virtual bool WaitDispatchingFor(uint32_t ms) {
        (void)ms;
        WaitDispatching();
        return true;
    }
};

class IClock {
public:
    virtual ~IClock() = default;
    virtual void Sleep(uint32_t ms) = 0;
    virtual uint64_t NowMs() = 0;
    virtual std::unique_ptr<ISignal> MakeSignal() = 0;
};

// Everything the core reaches the platform through. Not owned by the core;
// must outlive it.
struct Platform {
    IKeyStore* keys;
    ILibraryLoader* loader;
    IOperator* op;
    IBeeper* beeper;
    IClock* clock;
};

}  // namespace kestrix
