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
    return trellup::test::WindowsPath(TRELLUP_SCREENSHOT_DIR) + L"\\" +
           std::wstring(name.begin(), name.end()) + L".png";
}

std::string BenchName() { return "trellup-gui-" + std::to_string(GetCurrentProcessId()); }

void PrepareOposArea(const std::wstring& drawer) {
    RegDeleteTreeW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\OLEforRetail\\ServiceOPOS");
    ASSERT_TRUE(opos_bench::WriteBenchEntries(trellup::test::WindowsPath(TRELLUP_PRODUCT_DIR)));
    if (drawer != opos_bench::kBenchDrawer) {
        // The bench drawer's entry under another name.
        HKEY from = nullptr, to = nullptr;
        const std::wstring root = L"SOFTWARE\\OLEforRetail\\ServiceOPOS\\CashDrawer\\";
        ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, (root + opos_bench::kBenchDrawer).c_str(), 0, KEY_READ, &from), 0);
        ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (root + drawer).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                                  &to, nullptr),
                  0);
        RegCopyTreeW(from, nullptr, to);
        RegSetValueExW(to, L"DeviceName", 0, REG_SZ, reinterpret_cast<const BYTE*>(drawer.c_str()),
                       static_cast<DWORD>((drawer.size() + 1) * sizeof(wchar_t)));
        RegCloseKey(from);
        RegCloseKey(to);
        opos_bench::DeleteEntry(L"CashDrawer", opos_bench::kBenchDrawer);
    }
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
