// Shared plumbing of the Kestrix.dll tests: COM on the main thread, the bench
// named before any port library loads, Kestrix registered machine-wide for
// the whole run, child processes with their output.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "machine.h"

namespace kestrix::test {

// Kestrix.dll of this tree, as a Windows path.
std::wstring KestrixDll();
#ifdef _WIN64
// The 32-bit build's Kestrix.dll beside this tree (win32/product), as a
// Windows path; the file may be absent.
std::wstring KestrixDll32();
#endif
// The bench's name in this process (and in its children, via WINIO_SIM).
std::string BenchName();

// Runs `command_line` (searched on the prefix's PATH, e.g. "regsvr32 /s x"),
// waits up to two minutes, returns its exit code (-1 when it could not run)
// and its standard output in *output when given.
int RunProcess(const std::wstring& command_line, std::string* output = nullptr);

// "regsvr32 /s <args> <Kestrix.dll>".
int Regsvr32(const std::wstring& args);

// The bench in a known state (profile 8, drawer closed) with the device entry
// "KxWineDrawer" pointing at it; removed again when destroyed.
class Bench {
public:
    Bench();
    ~Bench();
    winio_sim::Machine& machine() { return *machine_; }

private:
    std::unique_ptr<winio_sim::Machine> machine_;
};

}  // namespace kestrix::test
