#include "gui_bench.h"

#include <objbase.h>

#include <gtest/gtest.h>

#include <memory>

#include "machine.h"
#include "setup_entries.h"
#include "trellup_driver.h"

namespace trellup::test {
namespace {

std::unique_ptr<winio_sim::Machine> g_machine;

bool RegisterKestrix() {
    const std::wstring dll = trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR) + L"\\Kestrix.dll";
    HMODULE m = LoadLibraryW(dll.c_str());
    if (m == nullptr) return false;
    using Fn = HRESULT(STDAPICALLTYPE*)();
    auto fn = reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(m, "DllRegisterServer")));
    const bool ok = fn != nullptr && SUCCEEDED(fn());
    FreeLibrary(m);
    return ok;
}

struct GuiBench : ::testing::Environment {
    void SetUp() override {
        SetEnvironmentVariableA("WINIO_SIM", BenchName().c_str());
        SetEnvironmentVariableA("OPOS_SIM", BenchName().c_str());
        // Nothing in the utility may depend on a kindness the published
        // control objects do not promise.
        SetEnvironmentVariableA("OPOS_BENCH_STRICT", "1");
        ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
        RegisterBench();
        ASSERT_TRUE(RegisterKestrix());
        std::string error;
        g_machine = winio_sim::Machine::open(BenchName(), &error);
        ASSERT_TRUE(g_machine != nullptr) << error;
        ASSERT_TRUE(g_machine->select_profile(opos_bench::kBenchMasterValue));
        CreateDirectoryW(trellup::test::WindowsPath(TRELLUP_SCREENSHOT_DIR).c_str(), nullptr);
    }
    void TearDown() override {
        g_machine.reset();
        CoUninitialize();
    }
};
::testing::Environment* const g_env = ::testing::AddGlobalTestEnvironment(new GuiBench);

}  // namespace

std::wstring TrellupExe() { return trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR) + L"\\Trellup.exe"; }

std::wstring ScreenshotPath(const std::string& name) {
    return trellup::test::WindowsPath(TRELLUP_SCREENSHOT_DIR) + L"\\" + std::wstring(name.begin(), name.end()) +
           L".png";
}

std::string BenchName() { return "trellup-gui-" + std::to_string(GetCurrentProcessId()); }

void PrepareOposArea(const std::wstring& drawer) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS");
    ASSERT_TRUE(opos_bench::WriteBenchEntries(trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR), drawer));
}

void WriteDeviceKey(const wchar_t* device_class, const std::wstring& device, const std::wstring& prog_id) {
    ASSERT_TRUE(opos_bench::WriteProgIdEntry(device_class, device, prog_id));
}

void UnregisterControlObject(const CLSID& clsid) {
    wchar_t text[64] = {};
    StringFromGUID2(clsid, text, 64);
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, (std::wstring(L"Software\\Classes\\CLSID\\") + text).c_str());
}

void RegisterBench() { ASSERT_TRUE(opos_bench::RegisterBenchServer(true)); }

}  // namespace trellup::test
