#include "shared_file.h"

namespace opos_bench {

std::unique_ptr<SharedFile> SharedFile::Open(const std::string& name, size_t size) {
    char dir[MAX_PATH + 1] = {};
    const DWORD n = GetTempPathA(MAX_PATH, dir);
    const std::string path =
        (n > 0 && n <= MAX_PATH ? std::string(dir, n) : std::string(".\\")) + "opos-sim-" + name + ".bin";
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                              OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return nullptr;
    const DWORD bytes = static_cast<DWORD>(size);
    HANDLE mapping = CreateFileMappingA(file, nullptr, PAGE_READWRITE, 0, bytes, nullptr);
    void* view = mapping ? MapViewOfFile(mapping, FILE_MAP_ALL_ACCESS, 0, 0, size) : nullptr;
    HANDLE mutex = CreateMutexA(nullptr, FALSE, ("Local\\opos-sim-" + name).c_str());
    if (!view || !mutex) {
        if (view) UnmapViewOfFile(view);
        if (mapping) CloseHandle(mapping);
        if (mutex) CloseHandle(mutex);
        CloseHandle(file);
        return nullptr;
    }
    return std::unique_ptr<SharedFile>(new SharedFile(file, mapping, mutex, view));
}

SharedFile::~SharedFile() {
    UnmapViewOfFile(view_);
    CloseHandle(mapping_);
    CloseHandle(mutex_);
    CloseHandle(file_);
}

}  // namespace opos_bench
