#include <windows.h>

#include "win32_store.h"

namespace trellup::win32 {

namespace {
HKEY Handle(IRegistry::Key key) { return reinterpret_cast<HKEY>(key); }
}  // namespace

int32_t Win32Registry::CreateKey(const char* path, Key* key) {
    HKEY h = nullptr;
    const LONG rc = RegCreateKeyA(HKEY_LOCAL_MACHINE, path, &h);
    *key = rc == ERROR_SUCCESS ? reinterpret_cast<Key>(h) : 0;
    return rc;
}

int32_t Win32Registry::SetValue(Key key, const char* name, uint32_t type, const void* data, uint32_t size) {
    return RegSetValueExA(Handle(key), name, 0, type, static_cast<const BYTE*>(data), size);
}

int32_t Win32Registry::QueryValue(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) {
    DWORD t = REG_NONE;
    DWORD s = size != nullptr ? *size : 0;
    const LONG rc = RegQueryValueExA(Handle(key), name, nullptr, &t, static_cast<BYTE*>(data),
                                     size != nullptr ? &s : nullptr);
    if (type != nullptr) *type = t;
    if (size != nullptr) *size = s;
    return rc;
}

int32_t Win32Registry::OpenKey(const char* path, Key* key) {
    HKEY h = nullptr;
    const LONG rc = RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ, &h);
    *key = rc == ERROR_SUCCESS ? reinterpret_cast<Key>(h) : 0;
    return rc;
}

int32_t Win32Registry::EnumKey(Key key, uint32_t index, char* name, uint32_t size) {
    return RegEnumKeyA(Handle(key), index, name, size);
}

int32_t Win32Registry::EnumValue(Key key, uint32_t index, char* name, uint32_t* size) {
    DWORD s = *size;
    const LONG rc = RegEnumValueA(Handle(key), index, name, &s, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_SUCCESS) *size = s;
    return rc;
}

int32_t Win32Registry::DeleteKey(Key key, const char* subkey) { return RegDeleteKeyA(Handle(key), subkey); }

void Win32Registry::CloseKey(Key key) { RegCloseKey(Handle(key)); }

}  // namespace trellup::win32
