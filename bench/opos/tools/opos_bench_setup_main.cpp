// opos-bench-setup: registers OposBench.dll (from this program's folder) in
// the current Wine prefix, powers the port bench on as terminal model 8 and
// writes one device entry per class: a cash drawer served by Kestrix on the
// simulated port hardware, and the simulated line display, MSR and POS
// printer.
//
//   opos-bench-setup [--product DIR] [--unregister]
//
// DIR is the cash drawer entry's DllPath (the folder of WinIo32.dll); it
// defaults to the build tree's product folder. Runs only under Wine: on a
// terminal it would replace or remove the real control objects.
#include <windows.h>

#include <cstdio>
#include <string>

#include "machine.h"
#include "setup_entries.h"
#include "wine_host.h"

int wmain(int argc, wchar_t** argv) {
    std::wstring product = OPOS_BENCH_PRODUCT_DIR;
    bool unregister = false;
    for (int i = 1; i < argc; ++i) {
        std::wstring a = argv[i];
        if (a == L"--product" && i + 1 < argc) {
            product = argv[++i];
        } else if (a == L"--unregister") {
            unregister = true;
        } else {
            std::fwprintf(stderr, L"usage: opos-bench-setup [--product DIR] [--unregister]\n");
            return 2;
        }
    }
    if (!opos_bench::RunningOnWine()) {
        std::fwprintf(stderr,
                      L"opos-bench-setup: refused: this is not Wine; the bench would take the place of "
                      L"the terminal's OPOS control objects\n");
        return 3;
    }
    if (unregister) {
        opos_bench::RemoveBenchEntries();
        return opos_bench::RegisterBenchServer(false) ? 0 : 1;
    }
    if (!opos_bench::RegisterBenchServer(true)) {
        std::fwprintf(stderr, L"opos-bench-setup: OposBench.dll could not be registered\n");
        return 1;
    }
    std::string error;
    char name[128] = {};
    DWORD n = GetEnvironmentVariableA("WINIO_SIM", name, sizeof name);
    auto machine = winio_sim::Machine::open(n > 0 && n < sizeof name ? name : "default", &error);
    if (!machine || !machine->select_profile(opos_bench::kBenchMasterValue)) {
        std::fprintf(stderr, "opos-bench-setup: port bench not available: %s\n", error.c_str());
        return 1;
    }
    if (!opos_bench::WriteBenchEntries(product)) {
        std::fwprintf(stderr, L"opos-bench-setup: device entries could not be written\n");
        return 1;
    }
    std::wprintf(L"bench registered; devices %ls, %ls, %ls, %ls\n", opos_bench::kBenchDrawer, opos_bench::kBenchDisplay,
                 opos_bench::kBenchMsr, opos_bench::kBenchPrinter);
    return 0;
}
