// A small file mapping the bench's processes share, with a named mutex that
// guards it: %TEMP%\opos-sim-<name>.bin and Local\opos-sim-<name>. The card
// feed and the display mirror each keep their record in one.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

namespace opos_bench {

class SharedFile {
public:
    // Maps the first `size` bytes of the file, made (zero-filled) when it
    // does not exist yet. Null when the file, mapping or mutex cannot be made;
    // nothing is left open then.
    static std::unique_ptr<SharedFile> Open(const std::string& name, size_t size);
    ~SharedFile();
    SharedFile(const SharedFile&) = delete;
    SharedFile& operator=(const SharedFile&) = delete;

    void* view() const { return view_; }

    // Holds the mutex for its lifetime.
    class Lock {
    public:
        explicit Lock(const SharedFile& f) : mutex_(f.mutex_) { WaitForSingleObject(mutex_, INFINITE); }
        ~Lock() { ReleaseMutex(mutex_); }
        Lock(const Lock&) = delete;
        Lock& operator=(const Lock&) = delete;

    private:
        HANDLE mutex_;
    };

private:
    SharedFile(HANDLE file, HANDLE mapping, HANDLE mutex, void* view)
        : file_(file), mapping_(mapping), mutex_(mutex), view_(view) {}
    HANDLE file_, mapping_, mutex_;
    void* view_;
};

}  // namespace opos_bench
