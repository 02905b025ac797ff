// The store's platform on Windows: the ANSI registry calls under
// HKEY_LOCAL_MACHINE (in the view of the running build; names are listed
// through the UTF-16 calls and converted exactly), the ANSI profile
// functions and the running program's folder.
#pragma once

#include "platform/store_platform.h"

namespace trellup::win32 {

class Win32Registry : public IRegistry {
public:
    int32_t CreateKey(const char* path, Key* key) override;
    int32_t SetValue(Key key, const char* name, uint32_t type, const void* data, uint32_t size) override;
    int32_t DeleteValue(Key key, const char* name) override;
    int32_t QueryValue(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) override;
    int32_t OpenKey(const char* path, Key* key) override;
    int32_t EnumKey(Key key, uint32_t index, char* name, uint32_t size) override;
    int32_t EnumValue(Key key, uint32_t index, char* name, uint32_t* size) override;
    int32_t DeleteKey(Key key, const char* subkey) override;
    void CloseKey(Key key) override;
};

class Win32Profile : public IProfile {
public:
    uint32_t GetInt(const char* section, const char* key, int32_t default_value, const char* path) override;
    uint32_t GetString(const char* section, const char* key, const char* default_value, char* buffer, uint32_t size,
                       const char* path) override;
};

// The folder of the running executable (not of a DLL it loaded).
class Win32ProgramFolder : public IProgramFolder {
public:
    std::string Get() const override;
    bool Holds(const std::string& file_name) const override;
};

// The three together; platform() stays valid as long as this object.
class Win32Store {
public:
    StorePlatform platform() { return StorePlatform{&registry_, &profile_, &folder_}; }

private:
    Win32Registry registry_;
    Win32Profile profile_;
    Win32ProgramFolder folder_;
};

}  // namespace trellup::win32
