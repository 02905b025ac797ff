// Prints what the service object's core costs in time against the bench
// under Wine: OpenDrawer split into monitor stop, pulse and sensor wait
// (beside what a fixed stop wait of CheckStatusPeriod + 100 ms would take),
// StopStatusThread, sensor-change-to-event latency, and the CPU time of an
// idle monitor. A program of its own, not a test: it asserts nothing.
//   kestrix_core_benchmark [--idle-seconds N]
// N is how long the idle monitor is watched (60 by default; 0 leaves that
// figure out). The CPU time of a process under Wine moves in whole ticks, so
// the figure resolves one tick in N s.
#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "cash_drawer_core.h"
#include "machine.h"
#include "platform_win32.h"

namespace {

constexpr int32_t kPeriod = 300;  // the default CheckStatusPeriod
constexpr int32_t kPulse = 100;

class TimedControl final : public kestrix::IControlObject {
public:
    bool LookupStatusUpdate(int32_t* dispid) override {
        *dispid = 1;
        return true;
    }
    void InvokeStatusUpdate(int32_t, int32_t) override {
        last_us.store(winio_sim::monotonic_us());
        ++count;
    }
    std::atomic<uint64_t> last_us{0};
    std::atomic<int> count{0};
};

void write_entry(const std::wstring& dll_path) {
    HKEY k = nullptr;
    const std::wstring path = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\KxBenchDrawer";
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, path.c_str());
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
    auto str = [&](const wchar_t* n, const std::wstring& v) {
        RegSetValueExW(k, n, 0, REG_SZ, reinterpret_cast<const BYTE*>(v.c_str()), DWORD((v.size() + 1) * 2));
    };
    auto num = [&](const wchar_t* n, DWORD v) { RegSetValueExW(k, n, 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4); };
    str(L"DllPath", dll_path);
    str(L"Description", L"bench");
    str(L"DeviceName", L"KxBenchDrawer");
    str(L"DeviceDesc", L"bench");
    num(L"PulseOnTime", kPulse);
    num(L"OpenStatusPhase", 0);
    num(L"ConnectorPinNo", 1);
    num(L"TimeOut", 1000);
    num(L"CheckStatusPeriod", kPeriod);
    num(L"MasterValue", 8);
    RegCloseKey(k);
}

double cpu_ms() {
    FILETIME c, e, k, u;
    GetProcessTimes(GetCurrentProcess(), &c, &e, &k, &u);
    auto v = [](FILETIME f) { return (static_cast<uint64_t>(f.dwHighDateTime) << 32) | f.dwLowDateTime; };
    return static_cast<double>(v(k) + v(u)) / 10000.0;
}

// The smallest step of the process's CPU time, found by spinning until it
// has moved a few times (at most one second). 0 when it did not move.
double cpu_tick_ms() {
    double tick = 0;
    double last = cpu_ms();
    const DWORD start = GetTickCount();
    for (int steps = 0; steps < 3 && GetTickCount() - start < 1000;) {
        const double now = cpu_ms();
        if (now == last) continue;
        if (tick == 0 || now - last < tick) tick = now - last;
        last = now;
        ++steps;
    }
    return tick;
}

double median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? 0 : v[v.size() / 2];
}

double worst(const std::vector<double>& v) { return v.empty() ? 0 : *std::max_element(v.begin(), v.end()); }

// One machine-readable line for scripts/bench.sh: key, label, median, worst,
// unit, the figure of the fixed-wait design or slowest allowed path, and
// what that figure is.
void bench_line(const char* key, const char* label, const std::vector<double>& v, const char* unit, double reference,
                const char* basis) {
    std::printf("BENCH|%s|%s|%.4f|%.4f|%s|%.4f|%s\n", key, label, median(v), worst(v), unit, reference, basis);
}

}  // namespace

int main(int argc, char** argv) {
    unsigned long idle_s = 60;
    bool usage_ok = argc == 1;
    if (argc == 3 && std::strcmp(argv[1], "--idle-seconds") == 0) {
        char* end = nullptr;
        idle_s = std::strtoul(argv[2], &end, 10);
        usage_ok = end != argv[2] && *end == '\0' && idle_s <= 3600;
    }
    if (!usage_ok) {
        std::fprintf(stderr, "usage: kestrix_core_benchmark [--idle-seconds N]  (N from 0 to 3600)\n");
        return 2;
    }
    SetEnvironmentVariableA("WINIO_SIM", "core-benchmark");
    std::string error;
    auto machine = winio_sim::Machine::open("core-benchmark", &error);
    if (!machine) {
        std::fprintf(stderr, "%s\n", error.c_str());
        return 1;
    }
    machine->reset();
    machine->select_profile(8);
    machine->set_timings({20, 150, 0});

    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring dir(exe);
    dir = dir.substr(0, dir.find_last_of(L"\\/"));
    write_entry(dir);

    TimedControl control;
    kestrix::CCashDrawer_SOCore core(kestrix::win32::SystemPlatform());
    if (core.OpenService(u"KxBenchDrawer", &control) != 0) {
        std::fprintf(stderr, "OpenService failed; is WinIo32.dll beside the benchmark?\n");
        return 1;
    }
    core.ClaimDevice(0);
    core.SetPropertyNumber(3, 1);
    Sleep(kPeriod + 50);

    std::printf(
        "Kestrix core on the bench (profile 8, CheckStatusPeriod %d ms, PulseOnTime %d ms,\n"
        "drawer shows open %d ms after the pulse began)\n\n",
        kPeriod, kPulse, 20 + 150);
    std::vector<double> stop, pulse, wait, total;
    for (int i = 0; i < 5; ++i) {
        machine->close_drawer(0);
        Sleep(kPeriod + 50);
        machine->clear_trace();
        const uint64_t t0 = winio_sim::monotonic_us();
        const int32_t rc = core.OpenDrawer();
        const uint64_t t3 = winio_sim::monotonic_us();
        uint64_t t1 = 0, t2 = 0;
        for (const auto& e : machine->trace()) {
            if (e.port == 0x0280 && e.direction == 'W') {
                if (!t1)
                    t1 = e.time_us;
                else
                    t2 = e.time_us;
            }
        }
        if (rc != 0 || !t1 || !t2) {
            std::fprintf(stderr, "OpenDrawer gave %d\n", rc);
            return 1;
        }
        stop.push_back((t1 - t0) / 1000.0);
        pulse.push_back((t2 - t1) / 1000.0);
        wait.push_back((t3 - t2) / 1000.0);
        total.push_back((t3 - t0) / 1000.0);
    }
    const double fixed = kPeriod + 100 + median(pulse) + median(wait);
    std::printf("OpenDrawer (median of 5)        %8.1f ms\n", median(total));
    std::printf("  monitor stop                  %8.1f ms\n", median(stop));
    std::printf("  pulse                         %8.1f ms\n", median(pulse));
    std::printf("  sensor wait                   %8.1f ms\n", median(wait));
    std::printf("  with a fixed stop wait        %8.1f ms  (CheckStatusPeriod + 100 + pulse + wait)\n\n", fixed);
    bench_line("opendrawer_total", "OpenDrawer, whole call", total, "ms", fixed,
               "fixed stop wait: CheckStatusPeriod + 100 + pulse + sensor wait");
    bench_line("opendrawer_stop", "OpenDrawer: monitor stop", stop, "ms", kPeriod + 100,
               "fixed stop wait: CheckStatusPeriod + 100");
    bench_line("opendrawer_pulse", "OpenDrawer: pulse", pulse, "ms", kPulse, "PulseOnTime");
    bench_line("opendrawer_wait", "OpenDrawer: sensor wait", wait, "ms", 1000, "TimeOut, the slowest allowed wait");

    std::vector<double> stops;
    for (int i = 0; i < 20; ++i) {
        Sleep(37 * (i % 7));
        const uint64_t t0 = winio_sim::monotonic_us();
        core.StopStatusThread();
        stops.push_back((winio_sim::monotonic_us() - t0) / 1000.0);
        core.StartStatusThread();
    }
    std::printf("StopStatusThread (median of 20) %8.2f ms  (max %.2f ms)\n\n", median(stops),
                *std::max_element(stops.begin(), stops.end()));
    bench_line("monitor_stop", "StopStatusThread", stops, "ms", kPeriod + 100,
               "fixed stop wait: CheckStatusPeriod + 100");

    // Each change comes 50 + 41 i ms into the monitor's period, counted from
    // the previous event; the road benchmark places its changes the same way,
    // so its "via control object" figure compares with this one.
    std::vector<double> latency;
    machine->close_drawer(0);  // each change below is a real one
    Sleep(2 * kPeriod);
    for (int i = 0; i < 6; ++i) {
        Sleep(kPeriod + 50 + 41 * i);
        const int before = control.count.load();
        const uint64_t t0 = winio_sim::monotonic_us();
        if (i % 2 == 0)
            machine->open_by_hand(0);
        else
            machine->close_drawer(0);
        while (control.count.load() == before && winio_sim::monotonic_us() - t0 < 3000000) Sleep(1);
        latency.push_back((control.last_us.load() - t0) / 1000.0);
    }
    std::printf("Sensor change to event (6 changes) median %.1f ms, max %.1f ms  (period %d ms)\n\n", median(latency),
                *std::max_element(latency.begin(), latency.end()), kPeriod);
    bench_line("core_event_latency", "sensor change to event call (core)", latency, "ms", kPeriod,
               "one CheckStatusPeriod, the slowest allowed sampling");

    if (idle_s > 0) {
        const double tick_ms = cpu_tick_ms();
        const double idle_total_ms = idle_s * 1000.0;
        const double c0 = cpu_ms();
        Sleep(static_cast<DWORD>(idle_total_ms));
        const double idle_ms = cpu_ms() - c0;
        const double resolution = tick_ms * 100.0 / idle_total_ms;
        std::printf("Idle monitor, %lu s: %.2f ms of CPU time in the process\n", idle_s, idle_ms);
        bench_line("idle_cpu", "idle CPU of an open device", {idle_ms * 100.0 / idle_total_ms}, "% core", 100.0,
                   "a monitor that spins (CheckStatusPeriod 0 before its floor)");
        // For the table's header: how the figure was taken and what it resolves.
        std::printf(
            "BENCH|note|Idle CPU of an open device|one %lu s run; the process's CPU time moves in "
            "ticks of %.0f ms, so the figure resolves %.4f %% of a core\n",
            idle_s, tick_ms, resolution);
    }

    core.CloseService();
    RegDeleteKeyW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\KxBenchDrawer");
    return 0;
}
