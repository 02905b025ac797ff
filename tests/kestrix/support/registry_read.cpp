#include "registry_read.h"

namespace kestrix::test {

namespace {

HKEY Open(HKEY root, const std::wstring& path) {
    HKEY key = nullptr;
    if (RegOpenKeyExW(root, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return nullptr;
    return key;
}

bool Counts(HKEY root, const std::wstring& path, DWORD* subkeys, DWORD* values) {
    HKEY key = Open(root, path);
    if (key == nullptr) return false;
    const bool ok = RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, subkeys, nullptr, nullptr, values, nullptr,
                                     nullptr, nullptr, nullptr) == ERROR_SUCCESS;
    RegCloseKey(key);
    return ok;
}

}  // namespace

bool KeyExists(HKEY root, const std::wstring& path) {
    HKEY key = Open(root, path);
    if (key == nullptr) return false;
    RegCloseKey(key);
    return true;
}

std::wstring StringValue(HKEY root, const std::wstring& path, const wchar_t* name) {
    wchar_t buffer[1024] = {};
    DWORD size = sizeof buffer - sizeof(wchar_t);
    DWORD type = 0;
    HKEY key = Open(root, path);
    if (key == nullptr) return L"<missing>";
    const LSTATUS s = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size);
    RegCloseKey(key);
    if (s != ERROR_SUCCESS || type != REG_SZ) return L"<missing>";
    buffer[size / sizeof(wchar_t)] = L'\0';
    return buffer;
}

int SubkeyCount(HKEY root, const std::wstring& path) {
    DWORD subkeys = 0, values = 0;
    return Counts(root, path, &subkeys, &values) ? static_cast<int>(subkeys) : -1;
}

int ValueCount(HKEY root, const std::wstring& path) {
    DWORD subkeys = 0, values = 0;
    return Counts(root, path, &subkeys, &values) ? static_cast<int>(values) : -1;
}

}  // namespace kestrix::test
