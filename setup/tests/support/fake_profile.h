// In-memory profile (INI) files with the reading rules of the Windows profile
// functions: file paths, section and key names match without regard to case;
// the first matching section is the one searched, its first matching key
// wins; names and values are trimmed of blanks; a value in matching quotes
// loses them; keys before the first section header belong to section "";
// an integer is a leading decimal number (after blanks, with an optional
// sign, wrapping at 32 bits) read from the first 29 characters, 0 when the
// text does not start with one, the default when the key is missing or empty.
// Every call parses the file afresh.
#pragma once

#include <map>
#include <set>
#include <string>

#include "platform/store_platform.h"

namespace trellup::test {

class FakeProfile : public IProfile {
public:
    void PutFile(const std::string& path, const std::string& contents);
    void RemoveFile(const std::string& path);

    uint32_t GetInt(const char* section, const char* key, int32_t default_value, const char* path) override;
    uint32_t GetString(const char* section, const char* key, const char* default_value, char* buffer, uint32_t size,
                       const char* path) override;

    int reads() const { return reads_; }
    const std::string& last_path() const { return last_path_; }

private:
    std::map<std::string, std::string> files_;  // by lower-case path
    int reads_ = 0;
    std::string last_path_;
};

class FakeProgramFolder : public IProgramFolder {
public:
    explicit FakeProgramFolder(std::string folder) : folder_(std::move(folder)) {}
    std::string Get() const override { return folder_; }
    bool Holds(const std::string& file_name) const override { return files.count(file_name) != 0; }
    void Set(std::string folder) { folder_ = std::move(folder); }

    std::set<std::string> files{"WinIo32.dll"};  // what lies in the folder

private:
    std::string folder_;
};

}  // namespace trellup::test
