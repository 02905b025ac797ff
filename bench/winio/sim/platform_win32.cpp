#include "machine.h"
#include "region.h"

#include <windows.h>

#include <cstdlib>

namespace winio_sim {
namespace {

class Win32Region final : public Region {
public:
    Win32Region(HANDLE file, HANDLE mapping, void* view) : file_(file), mapping_(mapping), view_(view) {}
    ~Win32Region() override {
        UnmapViewOfFile(view_);
        CloseHandle(mapping_);
        CloseHandle(file_);
    }
    void* data() override { return view_; }

private:
    HANDLE file_;
    HANDLE mapping_;
    void* view_;
};

std::wstring widen(const std::string& s) { return std::wstring(s.begin(), s.end()); }

}  // namespace

std::string Region::path_of(const std::string& name) {
    char dir[MAX_PATH + 1] = {};
    DWORD n = GetTempPathA(MAX_PATH, dir);
    std::string base = (n > 0 && n <= MAX_PATH) ? std::string(dir, n) : std::string(".\\");
    return base + "winio-sim-" + name + ".bin";
}

std::unique_ptr<Region> Region::open(const std::string& name, size_t size, std::string* error) {
    const std::wstring path = widen(path_of(name));
    HANDLE file =
        CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        *error = path_of(name) + ": cannot open (" + std::to_string(GetLastError()) + ")";
        return nullptr;
    }
    // The mapping extends a shorter file to the requested size; new bytes read as zero.
    const std::wstring mapping_name = L"Local\\winio-sim-" + widen(name);
    const unsigned long long sz = size;
    HANDLE mapping = CreateFileMappingW(file, nullptr, PAGE_READWRITE, static_cast<DWORD>(sz >> 32),
                                        static_cast<DWORD>(sz), mapping_name.c_str());
    if (!mapping) {
        *error = "CreateFileMapping failed (" + std::to_string(GetLastError()) + ")";
        CloseHandle(file);
        return nullptr;
    }
    void* view = MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size);
    if (!view) {
        *error = "MapViewOfFile failed (" + std::to_string(GetLastError()) + ")";
        CloseHandle(mapping);
        CloseHandle(file);
        return nullptr;
    }
    return std::make_unique<Win32Region>(file, mapping, view);
}

uint64_t monotonic_us() {
    static const uint64_t freq = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<uint64_t>(f.QuadPart);
    }();
    LARGE_INTEGER c;
    QueryPerformanceCounter(&c);
    const uint64_t t = static_cast<uint64_t>(c.QuadPart);
    return t / freq * 1000000u + t % freq * 1000000u / freq;
}

std::string bench_name() {
    char buf[256];
    DWORD n = GetEnvironmentVariableA("WINIO_SIM", buf, sizeof buf);
    return (n > 0 && n < sizeof buf) ? std::string(buf, n) : std::string("default");
}

}  // namespace winio_sim
