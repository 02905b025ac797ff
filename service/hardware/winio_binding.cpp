#include "hardware/winio_binding.h"

#include <string>

namespace kestrix {
namespace {

// "<directory>\<file>" without any length limit of its own.
std::u16string JoinPath(const char16_t* directory, const char16_t* file) {
    std::u16string path(directory);
    path += u'\\';
    path += file;
    return path;
}

template <typename Fn>
bool Bind(ILibrary& library, const char* name, Fn* out) {
    void* p = library.Symbol(name);
    if (!p) return false;
    *out = reinterpret_cast<Fn>(p);
    return true;
}

}  // namespace

void CWinIoBinding::UnloadLibrary() {
    bound_ = false;
    initialize_ = nullptr;
    shutdown_ = nullptr;
    get_port_val_ = nullptr;
    set_port_val_ = nullptr;
    library_.reset();
}

bool CWinIoBinding::LoadLibraryAt(const char16_t* directory) {
    UnloadLibrary();
    if (!directory || !loader_) return false;
    try {
        library_ = loader_->Load(JoinPath(directory, u"WinIo32.dll").c_str());
    } catch (...) {
        library_.reset();
    }
    if (!library_) return false;
    if (!Bind(*library_, "InitializeWinIo2", &initialize_)) return false;
    if (!Bind(*library_, "ShutdownWinIo", &shutdown_)) return false;
    if (!Bind(*library_, "GetPortVal", &get_port_val_)) return false;
    if (!Bind(*library_, "SetPortVal", &set_port_val_)) return false;
    bound_ = true;
    return true;
}

bool CWinIoBinding::StartDriver(const char16_t* directory) {
    if (!bound_ || !directory) return false;
    std::u16string driver;
    try {
        driver = JoinPath(directory, u"WinIo32.sys");
    } catch (...) {
        return false;
    }
    return (initialize_(driver.c_str()) & 0xFFu) != 0;
}

bool CWinIoBinding::ReadPort(uint32_t port, uint32_t* value, uint32_t size) {
    if (!bound_ || !value) return false;
    get_port_val_(port & 0xFFFFu, value, size);
    return true;
}

bool CWinIoBinding::WritePort(uint32_t port, uint32_t value, uint32_t size) {
    if (!bound_) return false;
    set_port_val_(port & 0xFFFFu, value, size);
    return true;
}

}  // namespace kestrix
