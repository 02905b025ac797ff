// winio-demo: fires the simulated drawer of profile 8 through the port
// library's exports, as the service object would, and shows the drawer open
// and close again by itself. Run by `make demo` under Wine.
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "machine.h"

namespace {

using InitializeFn = bool(__stdcall*)(const wchar_t*);
using ShutdownFn = void(__stdcall*)();
using GetPortFn = bool(__stdcall*)(uint32_t, uint32_t*, uint32_t);
using SetPortFn = bool(__stdcall*)(uint32_t, uint32_t, uint32_t);

const char* phase_name(winio_sim::DrawerPhase p) {
    switch (p) {
    case winio_sim::DrawerPhase::Closed: return "closed";
    case winio_sim::DrawerPhase::Opening: return "opening";
    case winio_sim::DrawerPhase::Open: return "open";
    }
    return "?";
}

template <typename Fn>
Fn bind(HMODULE lib, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(lib, name)));
}

std::wstring own_folder() {
    wchar_t path[MAX_PATH];
    const DWORD n = GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring s(path, n);
    return s.substr(0, s.find_last_of(L"\\/"));
}

}  // namespace

int main() {
    std::string error;
    auto machine = winio_sim::Machine::open(winio_sim::bench_name(), &error);
    if (!machine) {
        std::fprintf(stderr, "winio-demo: %s\n", error.c_str());
        return 1;
    }
    machine->reset();
    machine->select_profile(8);
    machine->set_timings({20, 50, 1500});
    std::printf("Terminal profile 8: drive port 0x0280 bit 0x10 (active low), sensor port 0x0281 bit 0x01\n");
    std::printf("Solenoid needs 20 ms, drawer travels 50 ms, closes by itself after 1500 ms\n\n");

    const std::wstring dir = own_folder();
    HMODULE lib = LoadLibraryW((dir + L"\\WinIo32.dll").c_str());
    if (!lib) {
        std::fprintf(stderr, "winio-demo: cannot load WinIo32.dll\n");
        return 1;
    }
    auto init = bind<InitializeFn>(lib, "InitializeWinIo2");
    auto shutdown = bind<ShutdownFn>(lib, "ShutdownWinIo");
    auto get = bind<GetPortFn>(lib, "GetPortVal");
    auto set = bind<SetPortFn>(lib, "SetPortVal");
    if (!init || !shutdown || !get || !set || !init((dir + L"\\WinIo32.sys").c_str())) {
        std::fprintf(stderr, "winio-demo: the port library did not start\n");
        return 1;
    }

    auto read = [&](uint32_t port) {
        uint32_t v = 0;
        get(port, &v, 1);
        return v;
    };
    const uint64_t t0 = machine->now_us();
    auto report = [&](const char* what) {
        const winio_sim::DrawerReport d = machine->drawer(0);
        std::printf("%8.1f ms  %-22s drawer %-7s sensor bit %d\n", (machine->now_us() - t0) / 1000.0, what,
                    phase_name(d.phase), d.sensor_bit);
    };

    report("before the pulse");
    uint32_t v = read(0x0280);
    set(0x0280, v & ~0x10u, 1);
    Sleep(100);
    v = read(0x0280);
    set(0x0280, v | 0x10u, 1);
    report("after a 100 ms pulse");

    winio_sim::DrawerPhase last = machine->drawer(0).phase;
    for (int i = 0; i < 40; ++i) {
        Sleep(100);
        const uint32_t s = read(0x0281) & 0x01;
        const winio_sim::DrawerPhase now = machine->drawer(0).phase;
        if (now != last) {
            report(s == 0 ? "sensor reads open" : "sensor reads closed");
            last = now;
            if (now == winio_sim::DrawerPhase::Closed) break;
        }
    }
    shutdown();
    FreeLibrary(lib);

    std::printf("\nPort trace (time since the first access, direction, port, value):\n");
    const auto trace = machine->trace();
    const uint64_t first = trace.empty() ? 0 : trace.front().time_us;
    int shown = 0;
    for (const auto& e : trace) {
        if (shown++ == 12) {
            std::printf("  ... %u more sensor readings\n", static_cast<unsigned>(trace.size() - 12));
            break;
        }
        std::printf("  %9.3f ms  %c 0x%04X 0x%02X\n", (e.time_us - first) / 1000.0, e.direction, e.port, e.value);
    }
    return 0;
}
