#include "platform_win32.h"

namespace kestrix::win32 {

IKeyStore::Key RegistryKeyStore::OpenKey(const char16_t* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, wide(path), 0, KEY_READ, &key) != ERROR_SUCCESS) return 0;
    return reinterpret_cast<Key>(key);
}

bool RegistryKeyStore::QueryValue(Key key, const char16_t* name, uint32_t* type, void* buffer, uint32_t* size) {
    DWORD t = REG_NONE;
    DWORD n = *size;
    const LONG rc =
        RegQueryValueExW(reinterpret_cast<HKEY>(key), wide(name), nullptr, &t, static_cast<BYTE*>(buffer), &n);
    if (rc != ERROR_SUCCESS) return false;
    *type = t;
    *size = n;
    return true;
}

void RegistryKeyStore::CloseKey(Key key) {
    if (key) RegCloseKey(reinterpret_cast<HKEY>(key));
}

}  // namespace kestrix::win32
