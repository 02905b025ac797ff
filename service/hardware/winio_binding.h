// The binding of one hardware variant to the port I/O library WinIo32,
// loaded at run time from the device's DllPath folder.
#pragma once

#include <cstdint>
#include <memory>

#include "platform.h"

// The library's calling convention: stdcall on 32-bit Windows, the platform
// default everywhere else.
#if defined(_WIN32) && !defined(_WIN64)
#define KX_WINIO_CALL __stdcall
#else
#define KX_WINIO_CALL
#endif

namespace kestrix {

class CWinIoBinding {
public:
    // `loader` is not owned and must outlive the binding.
    explicit CWinIoBinding(ILibraryLoader* loader) : loader_(loader) {}
    ~CWinIoBinding() = default;  // releases the library, if any
    CWinIoBinding(const CWinIoBinding&) = delete;
    CWinIoBinding& operator=(const CWinIoBinding&) = delete;

    // Loads "<directory>\WinIo32.dll" and binds, in this order,
    // InitializeWinIo2, ShutdownWinIo, GetPortVal, SetPortVal. False when the
    // load or any of the four fails; a library that loaded stays loaded (until
    // the next call or destruction), but the binding counts as bound only when
    // all four names were found. Any library loaded before is released first.
    // The path is built at full length (a directory of up to 1023 characters
    // plus the 12 of "\WinIo32.dll"), never cut; a null directory fails.
    bool LoadLibraryAt(const char16_t* directory);

    // Calls InitializeWinIo2 with "<directory>\WinIo32.sys". True when the
    // low byte of its result is nonzero. False, without a call, when unbound.
    bool StartDriver(const char16_t* directory);

    // GetPortVal / SetPortVal of `size` bytes at the low 16 bits of `port`.
    // True when bound (the library's own result is ignored); false when
    // unbound, and then no port is touched and *value is left as it was.
    bool ReadPort(uint32_t port, uint32_t* value, uint32_t size);
    bool WritePort(uint32_t port, uint32_t value, uint32_t size);

    // Releases the library and empties the entry points.
    void UnloadLibrary();

    bool IsBound() const { return bound_; }

private:
    using InitializeWinIo2Fn = uint32_t(KX_WINIO_CALL*)(const char16_t* driverPath);
    using ShutdownWinIoFn = void(KX_WINIO_CALL*)();
    using GetPortValFn = uint32_t(KX_WINIO_CALL*)(uint32_t port, uint32_t* value, uint32_t size);
    using SetPortValFn = uint32_t(KX_WINIO_CALL*)(uint32_t port, uint32_t value, uint32_t size);

    ILibraryLoader* loader_;
    std::unique_ptr<ILibrary> library_;
    InitializeWinIo2Fn initialize_ = nullptr;
    ShutdownWinIoFn shutdown_ = nullptr;  // bound, never called
    GetPortValFn get_port_val_ = nullptr;
    SetPortValFn set_port_val_ = nullptr;
    bool bound_ = false;
};

}  // namespace kestrix
