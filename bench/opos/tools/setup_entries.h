// The bench's registrations, shared by opos-bench-setup and the tests. Every
// function here changes the registry only under Wine (see wine_host.h):
// outside it, they do nothing and report failure.
#pragma once

#include <string>

namespace opos_bench {

constexpr wchar_t kBenchDrawer[] = L"BenchDrawer";
constexpr wchar_t kBenchDisplay[] = L"BenchDisplay";
constexpr wchar_t kBenchMsr[] = L"BenchMSR";
constexpr wchar_t kBenchPrinter[] = L"BenchPrinter";
constexpr int kBenchMasterValue = 8;

// Calls DllRegisterServer (or DllUnregisterServer) of the OposBench.dll that
// lies beside the running program.
bool RegisterBenchServer(bool on);
// Writes the four device entries; `product` is the drawer's DllPath, and the
// cash drawer's entry is named `drawer`.
bool WriteBenchEntries(const std::wstring& product, const std::wstring& drawer = kBenchDrawer);
void RemoveBenchEntries();

// Writes a device key with only its default value (the ProgID); an empty
// ProgID writes the key without it.
bool WriteProgIdEntry(const wchar_t* device_class, const std::wstring& device, const std::wstring& prog_id);
void DeleteEntry(const wchar_t* device_class, const std::wstring& device);

}  // namespace opos_bench
