#include "process_figures.h"

#include <windows.h>
#include <winternl.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <vector>

#include "kestrix_product.h"

namespace kestrix_soak {

namespace {

// SystemHandleInformation of NtQuerySystemInformation: every handle of the
// system with its process id. Wine answers this where GetProcessHandleCount
// gives 0.
struct HandleEntry {
    ULONG process_id;
    BYTE object_type;
    BYTE flags;
    USHORT handle;
    PVOID object;
    ACCESS_MASK access;
};
struct HandleTable {
    ULONG count;
    HandleEntry entries[1];
};
using QuerySystemInformation = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);
constexpr ULONG kSystemHandleInformation = 16;

uint32_t HandlesFromSystemTable() {
    static const auto query = reinterpret_cast<QuerySystemInformation>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQuerySystemInformation")));
    if (!query) return 0;
    std::vector<BYTE> buffer(1 << 20);
    for (int attempt = 0; attempt < 6; ++attempt) {
        ULONG needed = 0;
        const LONG status = query(kSystemHandleInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &needed);
        if (status >= 0) {
            const auto* table = reinterpret_cast<const HandleTable*>(buffer.data());
            uint32_t n = 0;
            std::map<int, int> types;
            for (ULONG i = 0; i < table->count; ++i) {
                if (table->entries[i].process_id != GetCurrentProcessId()) continue;
                ++n;
                ++types[table->entries[i].object_type];
            }
            if (GetEnvironmentVariableA("KX_SOAK_HANDLE_TYPES", nullptr, 0)) {
                using QueryObject = LONG(WINAPI*)(HANDLE, ULONG, PVOID, ULONG, PULONG);
                static const auto query_object = reinterpret_cast<QueryObject>(
                    reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryObject")));
                std::map<int, std::wstring> names;
                for (ULONG i = 0; i < table->count && query_object; ++i) {
                    const HandleEntry& e = table->entries[i];
                    if (e.process_id != GetCurrentProcessId() || names.count(e.object_type)) continue;
                    BYTE info[1024] = {};
                    if (query_object(reinterpret_cast<HANDLE>(static_cast<uintptr_t>(e.handle)), 2, info, sizeof info,
                                     nullptr) >= 0) {
                        const auto* name = reinterpret_cast<const UNICODE_STRING*>(info);
                        names[e.object_type] = std::wstring(name->Buffer, name->Length / sizeof(wchar_t));
                    }
                }
                for (auto& [t, c] : types) std::fprintf(stderr, " %ls=%d", names[t].c_str(), c);
                std::fprintf(stderr, "\n");
            }
            return n;
        }
        buffer.resize(std::max<size_t>(buffer.size() * 2, needed + 4096));
    }
    return 0;
}

// Committed private memory, region by region (what Windows calls private
// bytes); Wine leaves PrivateUsage at 0.
uint64_t CommittedPrivateBytes() {
    uint64_t total = 0;
    MEMORY_BASIC_INFORMATION mbi{};
    const BYTE* address = nullptr;
    while (VirtualQuery(address, &mbi, sizeof mbi) == sizeof mbi) {
        if (mbi.State == MEM_COMMIT && mbi.Type == MEM_PRIVATE) total += mbi.RegionSize;
        const BYTE* next = static_cast<const BYTE*>(mbi.BaseAddress) + mbi.RegionSize;
        if (next <= address) break;
        address = next;
    }
    return total;
}

}  // namespace

ProcessFigures TakeFigures() {
    ProcessFigures f;
    DWORD handles = 0;
    if (GetProcessHandleCount(GetCurrentProcess(), &handles)) f.handles = handles;
    if (f.handles == 0) f.handles = HandlesFromSystemTable();
    const int threads = opos_bench::test::ThreadCount();
    f.threads = threads > 0 ? static_cast<uint32_t>(threads) : 0;
    PROCESS_MEMORY_COUNTERS_EX pmc{};
    pmc.cb = sizeof pmc;
    if (GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&pmc), sizeof pmc))
        f.private_bytes = pmc.PrivateUsage;
    if (f.private_bytes == 0) f.private_bytes = CommittedPrivateBytes();
    return f;
}

double RiseOverLastHalf(const std::vector<Sample>& series) {
    const size_t first = series.size() / 2;
    const size_t n = series.size() - first;
    if (n < 3) return 0.0;
    double sx = 0, sy = 0;
    for (size_t i = first; i < series.size(); ++i) {
        sx += static_cast<double>(series[i].cycle);
        sy += series[i].value;
    }
    const double mx = sx / static_cast<double>(n), my = sy / static_cast<double>(n);
    double sxy = 0, sxx = 0;
    for (size_t i = first; i < series.size(); ++i) {
        const double dx = static_cast<double>(series[i].cycle) - mx;
        sxy += dx * (series[i].value - my);
        sxx += dx * dx;
    }
    if (sxx == 0) return 0.0;
    const double span = static_cast<double>(series.back().cycle - series[first].cycle);
    return sxy / sxx * span;
}

}  // namespace kestrix_soak
