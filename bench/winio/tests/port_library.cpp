#include "port_library.h"

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

#ifndef _WIN32
#include <dlfcn.h>
#include <unistd.h>
#endif

namespace winio_sim::test {
namespace {

std::string make_bench_name() {
#ifdef _WIN32
    const unsigned long pid = GetCurrentProcessId();
#else
    const unsigned long pid = static_cast<unsigned long>(getpid());
#endif
    return "gtest-" + std::to_string(pid);
}

// Names the bench before any test (and so before the library) runs, and
// removes its backing file when the program ends.
struct BenchEnvironment : testing::Environment {
    BenchEnvironment() {
#ifdef _WIN32
        SetEnvironmentVariableA("WINIO_SIM", bench_name().c_str());
#else
        setenv("WINIO_SIM", bench_name().c_str(), 1);
#endif
    }
    ~BenchEnvironment() override { std::remove(winio_sim::Region::path_of(bench_name()).c_str()); }
};

testing::Environment* const g_env = testing::AddGlobalTestEnvironment(new BenchEnvironment);

}  // namespace

std::string bench_name() {
    static const std::string name = make_bench_name();
    return name;
}

std::string winio_dir() {
#ifdef _WIN32
    return std::string("Z:") + WINIO_DIR_PATH;
#else
    return WINIO_DIR_PATH;
#endif
}

std::string tool_path() {
#ifdef _WIN32
    return winio_dir() + "/winio-sim.exe";
#else
    return winio_dir() + "/winio-sim";
#endif
}

std::u16string to_u16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

PortLibrary::PortLibrary(const std::string& dir) : dir_(dir) {
#ifdef _WIN32
    const std::string path = dir + "/WinIo32.dll";
    handle_ = LoadLibraryA(path.c_str());
#else
    const std::string path = dir + "/WinIo32.so";
    handle_ = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
#endif
    if (!handle_) return;
    init_ = reinterpret_cast<InitializeFn>(symbol("InitializeWinIo2"));
    shutdown_ = reinterpret_cast<ShutdownFn>(symbol("ShutdownWinIo"));
    get_ = reinterpret_cast<GetPortFn>(symbol("GetPortVal"));
    set_ = reinterpret_cast<SetPortFn>(symbol("SetPortVal"));
}

PortLibrary::~PortLibrary() {
    if (!handle_) return;
#ifdef _WIN32
    FreeLibrary(static_cast<HMODULE>(handle_));
#else
    dlclose(handle_);
#endif
}

void* PortLibrary::symbol(const char* name) const {
#ifdef _WIN32
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(handle_), name));
#else
    return dlsym(handle_, name);
#endif
}

bool PortLibrary::start(const std::string& driver_path) {
    if (!init_) return false;
#ifdef _WIN32
    const std::wstring w(driver_path.begin(), driver_path.end());
    return init_(w.c_str());
#else
    return init_(to_u16(driver_path).c_str());
#endif
}

void PortLibrary::shutdown() {
    if (shutdown_) shutdown_();
}

uint32_t PortLibrary::R(uint32_t port) {
    uint32_t v = 0;
    EXPECT_TRUE(get_ && get_(port, &v, 1)) << "GetPortVal failed for port " << port;
    return v;
}

void PortLibrary::W(uint32_t port, uint32_t value) {
    EXPECT_TRUE(set_ && set_(port, value, 1)) << "SetPortVal failed for port " << port;
}

std::unique_ptr<winio_sim::Machine> open_machine() {
    std::string error;
    auto m = winio_sim::Machine::open(bench_name(), &error);
    EXPECT_TRUE(m) << error;
    return m;
}

int run_tool(const std::string& args, std::string* out) {
    const std::string cmd = "\"" + tool_path() + "\" --name " + bench_name() + " " + args;
#ifdef _WIN32
    // cmd.exe /c strips one outer pair of quotes; backslashes keep it from
    // taking path parts for switches.
    std::string line = "\"" + cmd + "\"";
    for (char& c : line) {
        if (c == '/') c = '\\';
    }
    FILE* p = _popen(line.c_str(), "r");
#else
    FILE* p = popen(cmd.c_str(), "r");
#endif
    if (!p) return -1;
    out->clear();
    char buf[512];
    while (std::fgets(buf, sizeof buf, p)) *out += buf;
#ifdef _WIN32
    return _pclose(p);
#else
    const int st = pclose(p);
    return WIFEXITED(st) ? WEXITSTATUS(st) : -1;
#endif
}

}  // namespace winio_sim::test
