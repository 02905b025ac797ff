// The four entry points of the port I/O library, over the simulated machine.
//
// Behaves as the real library does toward its callers: InitializeWinIo2
// succeeds only when the driver file exists (and the bench's driver fault is
// off); port calls fail until then and leave the destination untouched.
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>

#include "machine.h"

#ifdef _WIN32
#include <windows.h>
#define WINIO_CALL __stdcall
using wchar16 = wchar_t;
#else
#include <sys/stat.h>
#define WINIO_CALL
using wchar16 = char16_t;
#endif

namespace {

winio_sim::Machine* machine() {
    static const std::unique_ptr<winio_sim::Machine> m = [] {
        std::string error;
        return winio_sim::Machine::open(winio_sim::bench_name(), &error);
    }();
    return m.get();
}

// Set once InitializeWinIo2 succeeded in this process, cleared by ShutdownWinIo.
std::atomic<bool> g_started{false};

[[maybe_unused]] bool driver_file_exists(const wchar16* path) {
#ifdef _WIN32
    const DWORD attrs = GetFileAttributesW(path);
    return attrs != INVALID_FILE_ATTRIBUTES && !(attrs & FILE_ATTRIBUTE_DIRECTORY);
#else
    // Natively the path may use either separator; UTF-16 becomes UTF-8.
    std::string utf8;
    for (const char16_t* p = path; *p; ++p) {
        char32_t c = *p;
        if (c >= 0xD800 && c <= 0xDBFF && p[1] >= 0xDC00 && p[1] <= 0xDFFF) {
            c = 0x10000 + ((c - 0xD800) << 10) + (p[1] - 0xDC00);
            ++p;
        }
        if (c == u'\\') c = u'/';
        if (c < 0x80) {
            utf8 += static_cast<char>(c);
        } else if (c < 0x800) {
            utf8 += static_cast<char>(0xC0 | (c >> 6));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            utf8 += static_cast<char>(0xE0 | (c >> 12));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            utf8 += static_cast<char>(0xF0 | (c >> 18));
            utf8 += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            utf8 += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            utf8 += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    struct stat st {};
    return stat(utf8.c_str(), &st) == 0 && S_ISREG(st.st_mode);
#endif
}

[[maybe_unused]] bool valid_size(uint32_t size) {
    size &= 0xFF;
    return size == 1 || size == 2 || size == 4;
}

}  // namespace

extern "C" {

#ifndef WINIO_OMIT_InitializeWinIo2
bool WINIO_CALL InitializeWinIo2(const wchar16* driver_path) {
    if (!driver_path || !driver_file_exists(driver_path)) return false;
    winio_sim::Machine* m = machine();
    if (!m || !m->start_driver()) return false;
    g_started = true;
    return true;
}
#endif

#ifndef WINIO_OMIT_ShutdownWinIo
void WINIO_CALL ShutdownWinIo() {
    if (g_started && machine()) machine()->stop_driver();
    g_started = false;
}
#endif

#ifndef WINIO_OMIT_GetPortVal
// Reads `size` (1, 2 or 4) bytes from consecutive ports into *value.
bool WINIO_CALL GetPortVal(uint32_t port, uint32_t* value, uint32_t size) {
    winio_sim::Machine* m = machine();
    if (!g_started || !m || !value || !valid_size(size)) return false;
    uint32_t v = 0;
    for (uint32_t i = 0; i < (size & 0xFF); ++i) {
        v |= static_cast<uint32_t>(m->read_port(static_cast<uint16_t>(port + i))) << (8 * i);
    }
    *value = v;
    return true;
}
#endif

#ifndef WINIO_OMIT_SetPortVal
// Writes the low `size` (1, 2 or 4) bytes of `value` to consecutive ports.
bool WINIO_CALL SetPortVal(uint32_t port, uint32_t value, uint32_t size) {
    winio_sim::Machine* m = machine();
    if (!g_started || !m || !valid_size(size)) return false;
    for (uint32_t i = 0; i < (size & 0xFF); ++i) {
        m->write_port(static_cast<uint16_t>(port + i), static_cast<uint8_t>(value >> (8 * i)));
    }
    return true;
}
#endif

}  // extern "C"
