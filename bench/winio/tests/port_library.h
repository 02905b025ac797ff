// Test access to the built port I/O library: loads WinIo32 from a folder and
// calls its exports exactly as a client of the real library would. Every
// test program that includes this runs on a bench of its own (WINIO_SIM is set
// to a name unique to the process before the library first runs).
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "machine.h"

#ifdef _WIN32
#include <windows.h>
#define WINIO_CALL __stdcall
using wchar16 = wchar_t;
#else
#define WINIO_CALL
using wchar16 = char16_t;
#endif

namespace winio_sim::test {

using InitializeFn = bool(WINIO_CALL*)(const wchar16*);
using ShutdownFn = void(WINIO_CALL*)();
using GetPortFn = bool(WINIO_CALL*)(uint32_t, uint32_t*, uint32_t);
using SetPortFn = bool(WINIO_CALL*)(uint32_t, uint32_t, uint32_t);

// Folder of the built library and the tool, as this platform spells it.
std::string winio_dir();
std::string tool_path();
// The bench name of this test process.
std::string bench_name();
std::u16string to_u16(const std::string& s);

class PortLibrary {
public:
    // Loads <dir>/WinIo32 (.dll, or .so natively). Check loaded().
    explicit PortLibrary(const std::string& dir);
    ~PortLibrary();
    PortLibrary(const PortLibrary&) = delete;
    PortLibrary& operator=(const PortLibrary&) = delete;

    bool loaded() const { return handle_ != nullptr; }
    void* symbol(const char* name) const;

    // InitializeWinIo2 with "<dir>\WinIo32.sys" (or another driver path).
    bool start(const std::string& driver_path);
    bool start() { return start(dir_ + "/WinIo32.sys"); }
    void shutdown();

    // R(p) as the service object does it: the destination set to 0 first.
    uint32_t R(uint32_t port);
    void W(uint32_t port, uint32_t value);

private:
    std::string dir_;
    void* handle_ = nullptr;
    InitializeFn init_ = nullptr;
    ShutdownFn shutdown_ = nullptr;
    GetPortFn get_ = nullptr;
    SetPortFn set_ = nullptr;
};

// The machine behind the library, opened by name from the test process.
std::unique_ptr<winio_sim::Machine> open_machine();

// Runs the winio-sim tool as another process; returns its exit code and
// stores what it printed in *out.
int run_tool(const std::string& args, std::string* out);

}  // namespace winio_sim::test
