#include "platform_win32.h"

#include "common/win32/handle.h"

namespace kestrix::win32 {
namespace {

using common::win32::UniqueModule;

class Module final : public ILibrary {
public:
    explicit Module(HMODULE h) : module_(h) {}
    void* Symbol(const char* name) override { return reinterpret_cast<void*>(GetProcAddress(module_.get(), name)); }

private:
    UniqueModule module_;
};

}  // namespace

std::unique_ptr<ILibrary> ModuleLoader::Load(const char16_t* path) {
    UniqueModule owner(LoadLibraryW(wide(path)));  // freed if the allocation below throws
    if (!owner) return nullptr;
    auto module = std::make_unique<Module>(owner.get());
    owner.release();
    return module;
}

}  // namespace kestrix::win32
