#include <windows.h>

#include "win32_store.h"

namespace trellup::win32 {

uint32_t Win32Profile::GetInt(const char* section, const char* key, int32_t default_value, const char* path) {
    return GetPrivateProfileIntA(section, key, default_value, path);
}

uint32_t Win32Profile::GetString(const char* section, const char* key, const char* default_value, char* buffer,
                                 uint32_t size, const char* path) {
    return GetPrivateProfileStringA(section, key, default_value, buffer, size, path);
}

}  // namespace trellup::win32
