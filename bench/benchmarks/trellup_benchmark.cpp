// Figures of Trellup's window under Wine, in one process with the real
// window, the bench's control objects and Kestrix.dll on the port bench:
//   - start to idle window with 1 000 cash drawers in the registry;
//   - one log line with the refresh that follows it (an open drawer), with
//     Kestrix and with the bench's test drawer;
//   - a burst of 1 000 status events.
// Prints figures; asserts nothing.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "dispatch_control.h"
#include "forms/main/frm_main.h"
#include "machine.h"
#include "win32/forms/main_window.h"
#include "setup_entries.h"
#include "win32_shell.h"
#include "win32_store.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

// Handles every message waiting, as the message loop would when idle.
void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

// Prints the median and worst, and a "BENCH|" line for scripts/bench.sh with
// the figure `reference` stands for.
void Report(const char* key, const char* what, std::vector<double> ms, double reference, const char* basis) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-44s median %9.3f ms   worst %9.3f ms   (%zu runs)\n", what, ms[ms.size() / 2], ms.back(), ms.size());
    std::printf("BENCH|%s|%s|%.4f|%.4f|ms|%.4f|%s\n", key, what, ms[ms.size() / 2], ms.back(), reference, basis);
}

// A window as Trellup.exe builds it, over the real store, shell and control
// objects.
struct Window {
    trellup::win32::Win32Store store;
    trellup::win32::Win32Shell shell;
    trellup::win32::DispatchControlFactory factory;
    trellup::frmMain form{store.platform(), shell, factory, trellup::AppVersion{1, 0, 0}};
    trellup::win32::MainWindow window{form, shell, GetModuleHandleW(nullptr)};
    Window() {
        shell.SetSettingDialog({});
        if (!window.Create()) std::printf("window not created\n");
        form.chkClearLog.SetValue(0);
        form.Form_Load();
        ShowWindow(window.hwnd(), SW_SHOWNOACTIVATE);
        Pump();
    }
};

}  // namespace

int wmain() {
    SetEnvironmentVariableA("WINIO_SIM", "trellup-benchmark");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    std::string error;
    auto machine = winio_sim::Machine::open("trellup-benchmark", &error);
    if (!machine || !machine->select_profile(opos_bench::kBenchMasterValue) || !opos_bench::RegisterBenchServer(true)) {
        std::printf("bench not available: %s\n", error.c_str());
        return 1;
    }
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS");
    opos_bench::WriteBenchEntries(TRELLUP_PRODUCT_DIR_W);
    opos_bench::WriteProgIdEntry(L"CashDrawer", L"TestDrawer", L"OposBench.TestCashDrawer");
    for (int i = 1; i <= 1000; ++i) {
        opos_bench::WriteProgIdEntry(L"CashDrawer", L"NVCD" + std::to_wstring(i), L"Norvane.CashDrawer.1");
    }

    std::vector<double> start;
    for (int run = 0; run < 5; ++run) {
        const auto t0 = Clock::now();
        auto w = std::make_unique<Window>();
        start.push_back(Ms(Clock::now() - t0));
    }
    Report("trellup_start", "start to idle window, 1 000 devices", start, 1000,
           "one second, the slowest a technician should wait");

    Window w;
    trellup::frmMain& f = w.form;
    // One log line and its refresh for an open drawer of `device`: the
    // refresh reads every property through the control object.
    auto log_line = [&](const char* device, int runs) {
        for (int node = 0; node < f.TreeView1.Count(); ++node) {
            if (f.TreeView1.At(node).text == device) f.TreeView1_NodeClick(node);
        }
        f.cmdOpen_Click();
        Pump();
        std::vector<double> line;
        for (int i = 0; i < runs; ++i) {
            const auto t0 = Clock::now();
            f.AddLogLine("benchmark line " + std::to_string(i));
            Pump();
            line.push_back(Ms(Clock::now() - t0));
        }
        return line;
    };
    // Kestrix samples the sensor for up to 200 ms when DrawerOpened is read;
    // the bench's test drawer answers at once, which leaves the utility's
    // own share.
    Report("log_line_kestrix", "log line + refresh, Kestrix drawer", log_line("BenchDrawer", 20), 200 + 20,
           "DrawerOpened's 200 ms sensor wait + one redraw of the list (20 ms)");
    Report("log_line_test", "log line + refresh, bench test drawer", log_line("TestDrawer", 200), 20,
           "one redraw of the list at every line (20 ms)");

    const auto t0 = Clock::now();
    for (int i = 0; i < 1000; ++i) f.OnStatusUpdateEvent(*f.OPOSCashDrawer1, i % 2);
    Pump();
    const double burst = Ms(Clock::now() - t0);
    std::printf("%-44s total %9.1f ms   %.3f ms per event\n", "1 000 status events, bench test drawer", burst,
                burst / 1000);
    std::printf("BENCH|status_burst|1 000 status events, bench test drawer|%.4f|%.4f|ms|%.4f|%s\n", burst, burst,
                1000 * 20.0, "one redraw of the list at every line (20 ms each)");

    f.cmdClose_Click();
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer");
    opos_bench::WriteBenchEntries(TRELLUP_PRODUCT_DIR_W);
    CoUninitialize();
    return 0;
}
