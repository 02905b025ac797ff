// What the utility's store (device records, registry helpers, OPOS.INI) needs
// from the platform. These folders include no Windows headers; setup/win32
// implements the interfaces over the ANSI Win32 API and the tests replace them
// with fakes that keep the same rules. Strings are bytes in the system's ANSI
// code page.
#pragma once

#include <cstdint>
#include <string>

namespace trellup {

// Registry results (the Win32 error codes the store produces or looks at).
constexpr int32_t kRegSuccess = 0;
constexpr int32_t kRegFileNotFound = 2;
constexpr int32_t kRegAccessDenied = 5;
constexpr int32_t kRegInvalidParameter = 87;
constexpr int32_t kRegMoreData = 234;
constexpr int32_t kRegNoMoreItems = 259;
constexpr int32_t kRegKeyDeleted = 1018;
// ERROR_NO_UNICODE_TRANSLATION: a name that the ANSI code page cannot hold
// exactly.
constexpr int32_t kRegNoUnicodeTranslation = 1113;

// Registry value types.
constexpr uint32_t kRegNone = 0;
constexpr uint32_t kRegSz = 1;
constexpr uint32_t kRegExpandSz = 2;
constexpr uint32_t kRegBinary = 3;
constexpr uint32_t kRegDword = 4;
constexpr uint32_t kRegMultiSz = 7;
constexpr uint32_t kRegQword = 11;

// The registry below HKEY_LOCAL_MACHINE, in the view of the running build,
// with the semantics of the ANSI calls. Key and value names match without
// regard to letter case. Results are Win32 error codes (0 success).
//
// Only CreateKey makes keys; OpenKey never does. A key opened with OpenKey
// is for reading: SetValue and DeleteValue through it fail with
// kRegAccessDenied, while DeleteKey of one of its subkeys works (deleting
// needs rights on the deleted key, not on its parent).
class IRegistry {
public:
    using Key = uintptr_t;  // 0 is never a valid key
    virtual ~IRegistry() = default;
    // RegCreateKeyA: opens `path` below HKLM for reading and writing,
    // creating every missing key on the way. On success *key is an open key
    // the caller must CloseKey; on failure *key is 0 (keys made on the way
    // before the failure may stay).
    virtual int32_t CreateKey(const char* path, Key* key) = 0;
    // RegSetValueExA: stores `size` bytes of `data` as value `name` ("" is
    // the default value) with registry type `type`.
    virtual int32_t SetValue(Key key, const char* name, uint32_t type, const void* data, uint32_t size) = 0;
    // RegDeleteValueA: removes value `name`; kRegFileNotFound when there is
    // none.
    virtual int32_t DeleteValue(Key key, const char* name) = 0;
    // RegQueryValueExA: copies value `name` into `data` of *size bytes.
    // On success *type is its type and *size the bytes of data it has; a
    // string type without terminator gets one appended when the buffer has
    // room (not counted in *size). A value larger than the buffer gives
    // kRegMoreData with *size the size needed; the buffer's contents are then
    // unspecified (but never written past *size on entry).
    virtual int32_t QueryValue(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) = 0;
    // RegOpenKeyExA with KEY_READ: opens an existing key below HKLM for
    // reading. On success *key must be closed with CloseKey; on failure it
    // is 0.
    virtual int32_t OpenKey(const char* path, Key* key) = 0;
    // The name of subkey `index` of `key` into `name` of `size` bytes,
    // terminated. A name that the ANSI code page cannot hold exactly (one
    // RegEnumKeyA would hand out with '?' or a look-alike in place of a
    // character, so that it opens no key or another one) gives
    // kRegNoUnicodeTranslation, a name that does not fit kRegMoreData; both
    // leave `name` unspecified, and the names at later indexes are still
    // there. An index past the last gives kRegNoMoreItems.
    virtual int32_t EnumKey(Key key, uint32_t index, char* name, uint32_t size) = 0;
    // The name of value `index` of `key` into `name` of *size bytes,
    // terminated; on success *size is its length without the terminator.
    // Results as for EnumKey.
    virtual int32_t EnumValue(Key key, uint32_t index, char* name, uint32_t* size) = 0;
    // RegDeleteKeyA: deletes subkey `subkey` of `key`. A key that has
    // subkeys of its own is not deleted (kRegAccessDenied).
    virtual int32_t DeleteKey(Key key, const char* subkey) = 0;
    virtual void CloseKey(Key key) = 0;
};

// Windows profile (INI) file reads, with the semantics of the ANSI calls:
// section and key names match without regard to letter case; a missing file,
// section or key gives the default.
class IProfile {
public:
    virtual ~IProfile() = default;
    // GetPrivateProfileIntA: the key's value as a leading decimal number
    // (0 when it does not start with one), or `default_value` when missing.
    virtual uint32_t GetInt(const char* section, const char* key, int32_t default_value, const char* path) = 0;
    // GetPrivateProfileStringA: copies the value (or `default_value`) into
    // `buffer` of `size` bytes, cut to size - 1 characters, always
    // terminated when size > 0; returns the characters copied, terminator
    // not counted.
    virtual uint32_t GetString(const char* section, const char* key, const char* default_value, char* buffer,
                               uint32_t size, const char* path) = 0;
};

// The directory of the running program, without a trailing backslash
// ("C:\Program Files\Trellup").
class IProgramFolder {
public:
    virtual ~IProgramFolder() = default;
    virtual std::string Get() const = 0;
    // Whether a file of this name lies in that folder.
    virtual bool Holds(const std::string& file_name) const = 0;
};

// Everything the store reaches the platform through. Not owned; every
// pointer must outlive the calls that are given it.
struct StorePlatform {
    IRegistry* registry;
    IProfile* profile;
    IProgramFolder* folder;
};

}  // namespace trellup
