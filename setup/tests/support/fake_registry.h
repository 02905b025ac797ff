// An in-memory registry below HKEY_LOCAL_MACHINE that keeps the rules of the
// ANSI calls the store relies on: key and value names match without regard to
// case; only CreateKey makes keys; a key opened with OpenKey is read-only
// (writes through it fail with kRegAccessDenied); values keep their type and
// exact bytes; a query larger than its buffer fails with kRegMoreData (and
// scribbles over the buffer it was given, so a caller that trusts it is
// caught); a string value without terminator gets one appended when there is
// room; a key with subkeys is not deleted; handles of deleted keys fail with
// kRegKeyDeleted; subkeys enumerate in case-blind alphabetical order, as the
// registry lists them; a name the code page cannot hold enumerates as
// kRegNoUnicodeTranslation and no path reaches it. Records every write.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "platform/store_platform.h"

namespace trellup::test {

class FakeRegistry : public IRegistry {
public:
    struct Value {
        std::string name;  // as first written
        uint32_t type = kRegNone;
        std::vector<uint8_t> data;
    };
    struct Write {
        std::string key_path;  // path of the key as opened
        std::string name;
        uint32_t type;
        std::vector<uint8_t> data;
        int32_t result;
    };

    FakeRegistry();
    ~FakeRegistry() override;

    int32_t CreateKey(const char* path, Key* key) override;
    int32_t SetValue(Key key, const char* name, uint32_t type, const void* data, uint32_t size) override;
    int32_t DeleteValue(Key key, const char* name) override;
    int32_t QueryValue(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) override;
    int32_t OpenKey(const char* path, Key* key) override;
    int32_t EnumKey(Key key, uint32_t index, char* name, uint32_t size) override;
    int32_t EnumValue(Key key, uint32_t index, char* name, uint32_t* size) override;
    int32_t DeleteKey(Key key, const char* subkey) override;
    void CloseKey(Key key) override;

    // Test side. Paths are below HKLM, separated by backslashes.
    void PutValue(const std::string& path, const std::string& name, uint32_t type, const std::vector<uint8_t>& data);
    void PutString(const std::string& path, const std::string& name, const std::string& text);  // with terminator
    void PutDword(const std::string& path, const std::string& name, uint32_t value);
    void PutKey(const std::string& path);
    bool HasKey(const std::string& path) const;
    const Value* Find(const std::string& path, const std::string& name) const;
    std::vector<std::string> ValueNames(const std::string& path) const;
    // A subkey of `path`, or a value of it, whose name has characters the
    // ANSI code page lacks: listed (as unreadable), never reached by a name.
    // `label` only tells several apart and orders them among the others.
    void PutForeignKey(const std::string& path, const std::string& label);
    void PutForeignValue(const std::string& path, const std::string& label);
    // Every key and value below `path` ("" all), one line each, in
    // enumeration order: to compare the whole registry before and after.
    std::string Dump(const std::string& path = "") const;

    // Every SetValue and DeleteValue whose name matches (any case) fails
    // with `result` (0 turns that off).
    void FailWritesOf(const std::string& name, int32_t result);
    // After `count` more successful SetValue and DeleteValue calls, every
    // further one fails with kRegAccessDenied (a disk or quota gone full);
    // -1 turns that off.
    void FailWritesAfter(int count) { writes_left_ = count; }
    // Opening the key at `path` (any case) for reading fails with
    // kRegAccessDenied.
    void FailOpenOf(const std::string& path);
    // Every CreateKey fails with `result` (0 turns that off).
    void FailCreateKey(int32_t result) { create_failure_ = result; }

    const std::vector<Write>& writes() const { return writes_; }
    size_t open_keys() const { return handles_.size(); }
    int bad_closes() const { return bad_closes_; }

private:
    struct Node;
    Node* Walk(Node* from, const std::string& path, bool create, int32_t* result) const;
    Node* Resolve(Key key) const;

    std::shared_ptr<Node> root_;
    struct Handle {
        std::shared_ptr<Node> node;
        std::string path;  // as opened
        bool writable;     // made by CreateKey
    };
    int32_t Open(const char* path, bool create, Key* key);
    int32_t CountWrite();

    std::map<Key, Handle> handles_;
    int writes_left_ = -1;  // -1: no limit
    Key next_handle_ = 0x100;
    std::map<std::string, int32_t> write_failures_;
    std::set<std::string> open_failures_;
    int32_t create_failure_ = 0;
    std::vector<Write> writes_;
    int bad_closes_ = 0;
};

std::vector<uint8_t> Bytes(const std::string& s);  // the characters, no terminator

}  // namespace trellup::test
