// One RAII owner for every Win32 handle kind: a handle is closed exactly once,
// by its owner, when the owner is destroyed, reset or assigned over.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace common::win32 {

// Traits give the empty value of T and how a non-empty handle is closed.
template <typename T, typename Traits>
class UniqueHandle {
public:
    UniqueHandle() = default;
    explicit UniqueHandle(T h) : h_(h) {}
    ~UniqueHandle() { reset(); }
    // A moved-from owner is empty.
    UniqueHandle(UniqueHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::invalid())) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) {
            reset();
            h_ = std::exchange(o.h_, Traits::invalid());
        }
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;

    T get() const { return h_; }
    explicit operator bool() const { return h_ != Traits::invalid(); }
    // Gives the handle up without closing it; the owner is empty afterwards.
    T release() { return std::exchange(h_, Traits::invalid()); }
    // Closes the held handle (if any) and takes `h`.
    void reset(T h = Traits::invalid()) {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }
    // Closes the held handle and returns where a creating call writes the new
    // one (RegOpenKeyExW(..., key.put())).
    T* put() {
        reset();
        return &h_;
    }

private:
    T h_ = Traits::invalid();
};

// Traits of a handle whose empty value is null and that `Close` frees.
template <typename T, typename R, R(WINAPI* Close)(T)>
struct NullEmptyTraits {
    static T invalid() { return nullptr; }
    static void close(T h) { Close(h); }
};

// A file from CreateFileW: its empty value is INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void close(HANDLE h) { CloseHandle(h); }
};

inline BOOL WINAPI DeleteGdiObject(HGDIOBJ h) { return DeleteObject(h); }

using UniqueKernelHandle = UniqueHandle<HANDLE, NullEmptyTraits<HANDLE, BOOL, CloseHandle>>;
using UniqueFile = UniqueHandle<HANDLE, FileTraits>;
using UniqueRegKey = UniqueHandle<HKEY, NullEmptyTraits<HKEY, LSTATUS, RegCloseKey>>;
using UniqueModule = UniqueHandle<HMODULE, NullEmptyTraits<HMODULE, BOOL, FreeLibrary>>;
using UniqueGdiObject = UniqueHandle<HGDIOBJ, NullEmptyTraits<HGDIOBJ, BOOL, DeleteGdiObject>>;
using UniqueMenu = UniqueHandle<HMENU, NullEmptyTraits<HMENU, BOOL, DestroyMenu>>;
using UniqueIcon = UniqueHandle<HICON, NullEmptyTraits<HICON, BOOL, DestroyIcon>>;
using UniqueImageList = UniqueHandle<HIMAGELIST, NullEmptyTraits<HIMAGELIST, BOOL, ImageList_Destroy>>;

}  // namespace common::win32
