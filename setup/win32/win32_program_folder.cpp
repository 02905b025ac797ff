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

bool Win32ProgramFolder::Holds(const std::string& file_name) const {
    const std::string folder = Get();
    if (folder.empty()) return false;
    const DWORD attributes = GetFileAttributesA((folder + "\\" + file_name).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

}  // namespace trellup::win32
