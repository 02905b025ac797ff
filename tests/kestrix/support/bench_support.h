// The service core's tests on the port I/O bench: the bench's WinIo32 shared
// object loaded through a native library loader, and the simulated machine.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "machine.h"
#include "platform.h"

namespace kestrix::test {

// Folder of the built bench library, and its missing-export variants.
std::string WinIoDir();
std::u16string WinIoDirU16();
std::u16string MissingExportDir(const char* exportName);
std::u16string ToU16(const std::string& s);
std::string ToUtf8(const std::u16string& s);

// The bench machine of this test program (its own name, set before the
// library first runs).
std::unique_ptr<winio_sim::Machine> OpenBenchMachine();

// Loads "<dir>\WinIo32.dll" as "<dir>/WinIo32.so" with dlopen; any other
// path is taken as is with backslashes as slashes. Records the paths asked for.
class DlLibraryLoader : public kestrix::ILibraryLoader {
public:
    std::unique_ptr<kestrix::ILibrary> Load(const char16_t* path) override;
    std::vector<std::u16string> requested;
};

// A library made of functions in the test program itself: exports by name.
class ScriptedLoader : public kestrix::ILibraryLoader {
public:
    std::unique_ptr<kestrix::ILibrary> Load(const char16_t* path) override;
    std::map<std::string, void*> exports;
    bool fail = false;
    int loads = 0;
    int live = 0;  // libraries not yet released
    std::vector<std::u16string> requested;
};

}  // namespace kestrix::test
