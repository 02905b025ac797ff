// Reading registry entries back in the tests (the view of the running build).
#pragma once

#include <windows.h>

#include <string>

namespace kestrix::test {

bool KeyExists(HKEY root, const std::wstring& path);
// A string value (default value when `name` is null); "<missing>" when absent.
std::wstring StringValue(HKEY root, const std::wstring& path, const wchar_t* name = nullptr);
// Number of subkeys and of values of a key; -1 when it is absent.
int SubkeyCount(HKEY root, const std::wstring& path);
int ValueCount(HKEY root, const std::wstring& path);

}  // namespace kestrix::test
