// Figures of TrellupCmd under Wine, its commands run in this process over
// the real registry and the bench's control objects:
//   - import of one device, and of 1 000 devices in one file (per device);
//   - check of one Kestrix drawer on the port bench (CheckHealth internal);
//   - check --all over 1 000 drawers of the bench's test service object,
//     which answers at once: TrellupCmd's and the control object's share.
// Prints figures; asserts nothing.
#include <windows.h>
#include <objbase.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "machine.h"
#include "setup_entries.h"
#include "win32_cmd_env.h"

namespace {

using Clock = std::chrono::steady_clock;

double Ms(Clock::duration d) { return std::chrono::duration<double, std::milli>(d).count(); }

void Report(const char* key, const char* what, std::vector<double> ms, double reference, const char* basis) {
    std::sort(ms.begin(), ms.end());
    std::printf("%-48s median %10.3f ms   worst %10.3f ms   (%zu runs)\n", what, ms[ms.size() / 2], ms.back(),
                ms.size());
    std::printf("BENCH|%s|%s|%.4f|%.4f|ms|%.4f|%s\n", key, what, ms[ms.size() / 2], ms.back(), reference, basis);
}

std::string Device(const std::string& name, const char* prog_id) {
    return "{\"name\": \"" + name + "\", \"class\": \"CashDrawer\", \"values\": {\"(default)\": \"" + prog_id +
           "\", \"Description\": \"Benchmark drawer\", \"DeviceDesc\": \"Benchmark\", \"Master\": \"Bench\", "
           "\"CheckStatusPeriod\": 300, \"ConnectorPinNo\": 1, \"MasterValue\": 8, \"OpenStatusPhase\": 0, "
           "\"PulseOnTime\": 100, \"Timeout\": 2000}}";
}

std::string WriteFile(trellup::cmd::win32::Win32CmdEnv& env, const std::string& name, int devices,
                      const char* prog_id) {
    std::string text = "{\"format\": 1, \"devices\": [";
    for (int i = 1; i <= devices; ++i) {
        char n[32];
        std::snprintf(n, sizeof n, "Fleet%04d", i);
        text += (i > 1 ? ",\n" : "") + Device(n, prog_id);
    }
    text += "]}";
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string path = std::string(temp) + name;
    std::string error;
    env.WriteFile(path, text, &error);
    return path;
}

double Command(trellup::cmd::win32::Win32CmdEnv& env, const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const auto t0 = Clock::now();
    const int code = trellup::cmd::RunCommand(args, env, out, err);
    const double ms = Ms(Clock::now() - t0);
    if (code != 0)
        std::printf("%s: exit %d: %s%s", args[0].c_str(), code, out.str().substr(0, 300).c_str(), err.str().c_str());
    return ms;
}

// Registers the product's Kestrix.dll, as its installer or regsvr32 would.
bool RegisterKestrix() {
    HMODULE dll = LoadLibraryW((std::wstring(TRELLUP_PRODUCT_DIR_W) + L"\\Kestrix.dll").c_str());
    if (dll == nullptr) return false;
    using Register = HRESULT(__stdcall*)();
    const auto reg = reinterpret_cast<Register>(reinterpret_cast<void*>(GetProcAddress(dll, "DllRegisterServer")));
    const bool ok = reg != nullptr && SUCCEEDED(reg());
    FreeLibrary(dll);
    return ok;
}

void ResetEntries() {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS");
    opos_bench::WriteBenchEntries(TRELLUP_PRODUCT_DIR_W);
}

}  // namespace

int wmain() {
    SetEnvironmentVariableA("WINIO_SIM", "trellup-cmd-benchmark");
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    std::string error;
    auto machine = winio_sim::Machine::open("trellup-cmd-benchmark", &error);
    if (!machine || !machine->select_profile(opos_bench::kBenchMasterValue) || !opos_bench::RegisterBenchServer(true) ||
        !RegisterKestrix()) {
        std::printf("bench not available: %s\n", error.c_str());
        return 1;
    }
    trellup::cmd::win32::Win32CmdEnv env;
    const std::string product = trellup::cmd::win32::Utf8FromWide(TRELLUP_PRODUCT_DIR_W);
    const std::string one = WriteFile(env, "trellup-cmd-benchmark-1.json", 1, "Norvane.CashDrawer");
    const std::string thousand = WriteFile(env, "trellup-cmd-benchmark-1000.json", 1000, "OposBench.TestCashDrawer");

    std::vector<double> import_one, import_all, import_each, check_one, check_all, check_each;
    for (int run = 0; run < 10; ++run) {
        ResetEntries();
        import_one.push_back(Command(env, {"import", one, "--dllpath", product}));
    }
    for (int run = 0; run < 3; ++run) {
        ResetEntries();
        import_all.push_back(Command(env, {"import", thousand, "--dllpath", product}));
        import_each.push_back(import_all.back() / 1000);
    }
    for (int run = 0; run < 10; ++run) check_one.push_back(Command(env, {"check", "BenchDrawer"}));
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\BenchDrawer");
    for (int run = 0; run < 3; ++run) {
        check_all.push_back(Command(env, {"check", "--all"}));
        check_each.push_back(check_all.back() / 1000);
    }
    ResetEntries();

    Report("cmd_import_one", "import, 1 device", import_one, 0, "");
    Report("cmd_import_1000", "import, 1 000 devices in one file", import_all, 0, "");
    Report("cmd_import_each", "import, per device of a 1 000-device file", import_each, 0, "");
    Report("cmd_check_one", "check, 1 Kestrix drawer (CheckHealth internal)", check_one, 200,
           "DrawerOpened's 200 ms sensor wait");
    Report("cmd_check_1000", "check --all, 1 000 bench test drawers", check_all, 0, "");
    Report("cmd_check_each", "check --all, per bench test drawer of 1 000", check_each, 0, "");
    CoUninitialize();
    return 0;
}
