#include <windows.h>

#include <vector>

#include "win32_store.h"

namespace trellup::win32 {

std::string Win32ProgramFolder::Get() const {
    std::vector<char> buffer(MAX_PATH);
    for (;;) {
        const DWORD n = GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (n == 0) return std::string();
        if (n < buffer.size()) {
            const std::string path(buffer.data(), n);
            const size_t slash = path.find_last_of('\\');
            return slash == std::string::npos ? std::string() : path.substr(0, slash);
        }
        if (buffer.size() >= 32768) return std::string();
        buffer.resize(buffer.size() * 2);  // cut to the buffer: try a larger one
    }
}

}  // namespace trellup::win32
