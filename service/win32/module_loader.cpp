#include "handles.h"
#include "platform_win32.h"

namespace kestrix::win32 {
namespace {

class Module final : public ILibrary {
public:
    explicit Module(HMODULE h) : module_(h) {}
    void* Symbol(const char* name) override {
        return reinterpret_cast<void*>(GetProcAddress(module_.get(), name));
    }

private:
    UniqueModule module_;
};

}  // namespace

std::unique_ptr<ILibrary> ModuleLoader::Load(const char16_t* path) {
    HMODULE h = LoadLibraryW(wide(path));
    if (!h) return nullptr;
    return std::make_unique<Module>(h);
}

}  // namespace kestrix::win32
