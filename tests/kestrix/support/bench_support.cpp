#include "bench_support.h"

#include <dlfcn.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <gtest/gtest.h>

namespace kestrix::test {
namespace {

std::string BenchName() {
    static const std::string name = "kxcore-" + std::to_string(static_cast<unsigned long>(getpid()));
    return name;
}

// Names the bench before any test (and so before the library) runs, and
// removes its backing file when the program ends.
struct BenchEnvironment : testing::Environment {
    BenchEnvironment() { setenv("WINIO_SIM", BenchName().c_str(), 1); }
    ~BenchEnvironment() override { std::remove(winio_sim::Region::path_of(BenchName()).c_str()); }
};

testing::Environment* const g_env = testing::AddGlobalTestEnvironment(new BenchEnvironment);

class DlLibrary : public kestrix::ILibrary {
public:
    explicit DlLibrary(void* handle) : handle_(handle) {}
    ~DlLibrary() override { dlclose(handle_); }
    void* Symbol(const char* name) override { return dlsym(handle_, name); }

private:
    void* handle_;
};

class ScriptedLibrary : public kestrix::ILibrary {
public:
    explicit ScriptedLibrary(ScriptedLoader* loader) : loader_(loader) { ++loader_->live; }
    ~ScriptedLibrary() override { --loader_->live; }
    void* Symbol(const char* name) override {
        auto it = loader_->exports.find(name);
        return it == loader_->exports.end() ? nullptr : it->second;
    }

private:
    ScriptedLoader* loader_;
};

}  // namespace

std::string WinIoDir() { return WINIO_DIR_PATH; }
std::u16string WinIoDirU16() { return ToU16(WinIoDir()); }
std::u16string MissingExportDir(const char* exportName) { return ToU16(WinIoDir() + "/missing-" + exportName); }

std::u16string ToU16(const std::string& s) { return std::u16string(s.begin(), s.end()); }

std::string ToUtf8(const std::u16string& s) {
    std::string out;
    for (char16_t c : s) out += c < 0x80 ? static_cast<char>(c) : '?';
    return out;
}

std::unique_ptr<winio_sim::Machine> OpenBenchMachine() {
    std::string error;
    auto m = winio_sim::Machine::open(BenchName(), &error);
    EXPECT_TRUE(m) << error;
    return m;
}

std::unique_ptr<kestrix::ILibrary> DlLibraryLoader::Load(const char16_t* path) {
    requested.push_back(path);
    std::string p = ToUtf8(path);
    for (char& c : p) {
        if (c == '\\') c = '/';
    }
    const std::string dll = "/WinIo32.dll";
    if (p.size() >= dll.size() && p.compare(p.size() - dll.size(), dll.size(), dll) == 0) {
        p.replace(p.size() - dll.size(), dll.size(), "/WinIo32.so");
    }
    void* h = dlopen(p.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!h) return nullptr;
    return std::make_unique<DlLibrary>(h);
}

std::unique_ptr<kestrix::ILibrary> ScriptedLoader::Load(const char16_t* path) {
    requested.push_back(path);
    ++loads;
    if (fail) return nullptr;
    return std::make_unique<ScriptedLibrary>(this);
}

}  // namespace kestrix::test
