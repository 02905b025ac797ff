#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "system_text.h"
#include "win32_store.h"

namespace trellup::win32 {

namespace {
HKEY Handle(IRegistry::Key key) { return reinterpret_cast<HKEY>(key); }

// A name fetched in UTF-16 into `name` of *size bytes, terminated; on
// success *size is its length without the terminator.
int32_t ToAnsiName(const wchar_t* wide, DWORD length, char* name, uint32_t* size) {
    std::string ansi;
    if (!AnsiFromWide(wide, length, &ansi)) return ERROR_NO_UNICODE_TRANSLATION;
    if (ansi.size() + 1 > *size) return ERROR_MORE_DATA;
    std::memcpy(name, ansi.c_str(), ansi.size() + 1);
    *size = static_cast<uint32_t>(ansi.size());
    return ERROR_SUCCESS;
}
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
    const LONG rc =
        RegQueryValueExA(Handle(key), name, nullptr, &t, static_cast<BYTE*>(data), size != nullptr ? &s : nullptr);
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

// The names are fetched in UTF-16 and converted here: the ANSI calls would
// hand out a name the code page cannot hold with '?' or a look-alike in place
// of a character, a name that opens no key (or another one).
int32_t Win32Registry::EnumKey(Key key, uint32_t index, char* name, uint32_t size) {
    wchar_t wide[256];  // key names have at most 255 characters
    DWORD length = 256;
    const LONG rc = RegEnumKeyExW(Handle(key), index, wide, &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    return ToAnsiName(wide, length, name, &size);
}

int32_t Win32Registry::EnumValue(Key key, uint32_t index, char* name, uint32_t* size) {
    std::vector<wchar_t> wide(16384);  // value names have at most 16 383 characters
    DWORD length = static_cast<DWORD>(wide.size());
    const LONG rc = RegEnumValueW(Handle(key), index, wide.data(), &length, nullptr, nullptr, nullptr, nullptr);
    if (rc != ERROR_SUCCESS) return rc;
    uint32_t room = *size;
    const int32_t result = ToAnsiName(wide.data(), length, name, &room);
    if (result == ERROR_SUCCESS) *size = room;
    return result;
}

int32_t Win32Registry::DeleteValue(Key key, const char* name) { return RegDeleteValueA(Handle(key), name); }

int32_t Win32Registry::DeleteKey(Key key, const char* subkey) { return RegDeleteKeyA(Handle(key), subkey); }

void Win32Registry::CloseKey(Key key) { RegCloseKey(Handle(key)); }

}  // namespace trellup::win32
