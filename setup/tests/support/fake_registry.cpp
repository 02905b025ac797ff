#include "support/fake_registry.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <functional>
#include <iterator>

namespace trellup::test {

namespace {
constexpr int32_t kBadPathname = 161;

std::string Lower(const std::string& s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return r;
}

bool Split(const std::string& path, std::vector<std::string>* parts) {
    parts->clear();
    if (path.empty()) return true;
    size_t start = 0;
    while (true) {
        const size_t end = path.find('\\', start);
        const std::string part = path.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (part.empty()) return false;
        parts->push_back(part);
        if (end == std::string::npos) return true;
        start = end + 1;
    }
}

bool IsStringType(uint32_t type) { return type == kRegSz || type == kRegExpandSz || type == kRegMultiSz; }

// Map keys of names the code page cannot hold: no name that a caller passes
// (split at backslashes, lower-cased) starts with this byte.
constexpr char kForeign = '\x01';
}  // namespace

struct FakeRegistry::Node {
    std::string name;
    Node* parent = nullptr;
    bool deleted = false;
    std::map<std::string, std::shared_ptr<Node>> children;  // by lower-case name
    std::map<std::string, Value> values;                    // by lower-case name
};

std::vector<uint8_t> Bytes(const std::string& s) { return std::vector<uint8_t>(s.begin(), s.end()); }

FakeRegistry::FakeRegistry() : root_(std::make_shared<Node>()) { root_->name = "HKEY_LOCAL_MACHINE"; }
FakeRegistry::~FakeRegistry() = default;

FakeRegistry::Node* FakeRegistry::Walk(Node* from, const std::string& path, bool create, int32_t* result) const {
    std::vector<std::string> parts;
    if (!Split(path, &parts)) {
        *result = kBadPathname;
        return nullptr;
    }
    Node* node = from;
    for (const std::string& part : parts) {
        auto it = node->children.find(Lower(part));
        if (it == node->children.end()) {
            if (!create) {
                *result = kRegFileNotFound;
                return nullptr;
            }
            auto child = std::make_shared<Node>();
            child->name = part;
            child->parent = node;
            it = node->children.emplace(Lower(part), child).first;
        }
        node = it->second.get();
    }
    *result = kRegSuccess;
    return node;
}

FakeRegistry::Node* FakeRegistry::Resolve(Key key) const {
    auto it = handles_.find(key);
    return it == handles_.end() ? nullptr : it->second.node.get();
}

int32_t FakeRegistry::Open(const char* path, bool create, Key* key) {
    *key = 0;
    if (std::strchr(path, kForeign) != nullptr) return kRegFileNotFound;
    int32_t rc;
    Node* node = Walk(root_.get(), path, create, &rc);
    if (node == nullptr) return rc;
    // Hold the node itself: a handle keeps its key object alive after deletion.
    std::shared_ptr<Node> held = node == root_.get() ? root_ : node->parent->children.at(Lower(node->name));
    *key = next_handle_++;
    handles_.emplace(*key, Handle{held, std::string(path), create});
    return kRegSuccess;
}

int32_t FakeRegistry::CountWrite() {
    if (writes_left_ == 0) return kRegAccessDenied;
    if (writes_left_ > 0) --writes_left_;
    return kRegSuccess;
}

int32_t FakeRegistry::CreateKey(const char* path, Key* key) {
    *key = 0;
    if (create_failure_ != 0) return create_failure_;
    return Open(path, true, key);
}

int32_t FakeRegistry::SetValue(Key key, const char* name, uint32_t type, const void* data, uint32_t size) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;  // ERROR_INVALID_HANDLE
    const Handle& h = handles_.at(key);
    Write w{h.path, name, type,
            std::vector<uint8_t>(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + size),
            kRegSuccess};
    auto failure = write_failures_.find(Lower(name));
    if (!h.writable) {
        w.result = kRegAccessDenied;
    } else if (node->deleted) {
        w.result = kRegKeyDeleted;
    } else if (failure != write_failures_.end()) {
        w.result = failure->second;
    } else if ((w.result = CountWrite()) == kRegSuccess) {
        Value& v = node->values[Lower(name)];
        if (v.name.empty()) v.name = name;
        v.type = type;
        v.data = w.data;
    }
    writes_.push_back(w);
    return w.result;
}

int32_t FakeRegistry::DeleteValue(Key key, const char* name) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    if (!handles_.at(key).writable) return kRegAccessDenied;
    if (node->deleted) return kRegKeyDeleted;
    auto failure = write_failures_.find(Lower(name));
    if (failure != write_failures_.end()) return failure->second;
    auto it = node->values.find(Lower(name));
    if (it == node->values.end()) return kRegFileNotFound;
    if (const int32_t rc = CountWrite()) return rc;
    node->values.erase(it);
    return kRegSuccess;
}

int32_t FakeRegistry::QueryValue(Key key, const char* name, uint32_t* type, void* data, uint32_t* size) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    if (node->deleted) return kRegKeyDeleted;
    auto it = node->values.find(Lower(name));
    if (it == node->values.end()) return kRegFileNotFound;
    const Value& v = it->second;
    const uint32_t needed = static_cast<uint32_t>(v.data.size());
    if (type != nullptr) *type = v.type;
    if (data == nullptr) {
        if (size != nullptr) *size = needed;
        return kRegSuccess;
    }
    const uint32_t room = *size;
    *size = needed;
    if (needed > room) {
        std::memset(data, 'X', room);
        return kRegMoreData;
    }
    if (needed > 0) std::memcpy(data, v.data.data(), needed);
    auto* bytes = static_cast<uint8_t*>(data);
    if (IsStringType(v.type) && needed > 0 && needed < room && bytes[needed - 1] != 0) bytes[needed] = 0;
    return kRegSuccess;
}

int32_t FakeRegistry::OpenKey(const char* path, Key* key) {
    *key = 0;
    if (open_failures_.count(Lower(path)) != 0) return kRegAccessDenied;
    return Open(path, false, key);
}

int32_t FakeRegistry::EnumKey(Key key, uint32_t index, char* name, uint32_t size) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    if (node->deleted) return kRegKeyDeleted;
    if (index >= node->children.size()) return kRegNoMoreItems;
    auto it = node->children.begin();
    std::advance(it, index);
    const std::string& n = it->second->name;
    if (it->first[0] == kForeign) return kRegNoUnicodeTranslation;
    if (n.size() + 1 > size) return kRegMoreData;
    std::memcpy(name, n.c_str(), n.size() + 1);
    return kRegSuccess;
}

int32_t FakeRegistry::EnumValue(Key key, uint32_t index, char* name, uint32_t* size) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    if (node->deleted) return kRegKeyDeleted;
    if (index >= node->values.size()) return kRegNoMoreItems;
    auto it = node->values.begin();
    std::advance(it, index);
    const std::string& n = it->second.name;
    if (it->first[0] == kForeign) return kRegNoUnicodeTranslation;
    if (n.size() + 1 > *size) return kRegMoreData;
    std::memcpy(name, n.c_str(), n.size() + 1);
    *size = static_cast<uint32_t>(n.size());
    return kRegSuccess;
}

int32_t FakeRegistry::DeleteKey(Key key, const char* subkey) {
    Node* node = Resolve(key);
    if (node == nullptr) return 6;
    if (node->deleted) return kRegKeyDeleted;
    int32_t rc;
    Node* target = Walk(node, subkey, false, &rc);
    if (target == nullptr) return rc;
    if (target == root_.get() || !target->children.empty()) return kRegAccessDenied;
    target->deleted = true;
    target->parent->children.erase(Lower(target->name));
    return kRegSuccess;
}

void FakeRegistry::CloseKey(Key key) {
    if (handles_.erase(key) == 0) ++bad_closes_;
}

void FakeRegistry::PutValue(const std::string& path, const std::string& name, uint32_t type,
                            const std::vector<uint8_t>& data) {
    int32_t rc;
    Node* node = Walk(root_.get(), path, true, &rc);
    Value& v = node->values[Lower(name)];
    v.name = name;
    v.type = type;
    v.data = data;
}

void FakeRegistry::PutString(const std::string& path, const std::string& name, const std::string& text) {
    std::vector<uint8_t> data = Bytes(text);
    data.push_back(0);
    PutValue(path, name, kRegSz, data);
}

void FakeRegistry::PutDword(const std::string& path, const std::string& name, uint32_t value) {
    PutValue(path, name, kRegDword,
             {static_cast<uint8_t>(value), static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value >> 16),
              static_cast<uint8_t>(value >> 24)});
}

void FakeRegistry::PutKey(const std::string& path) {
    int32_t rc;
    Walk(root_.get(), path, true, &rc);
}

bool FakeRegistry::HasKey(const std::string& path) const {
    int32_t rc;
    return Walk(root_.get(), path, false, &rc) != nullptr;
}

const FakeRegistry::Value* FakeRegistry::Find(const std::string& path, const std::string& name) const {
    int32_t rc;
    Node* node = Walk(root_.get(), path, false, &rc);
    if (node == nullptr) return nullptr;
    auto it = node->values.find(Lower(name));
    return it == node->values.end() ? nullptr : &it->second;
}

std::vector<std::string> FakeRegistry::ValueNames(const std::string& path) const {
    std::vector<std::string> names;
    int32_t rc;
    if (Node* node = Walk(root_.get(), path, false, &rc)) {
        for (const auto& [lower, v] : node->values) names.push_back(v.name);
    }
    return names;
}

void FakeRegistry::PutForeignKey(const std::string& path, const std::string& label) {
    int32_t rc;
    Node* node = Walk(root_.get(), path, true, &rc);
    auto child = std::make_shared<Node>();
    child->name = kForeign + label;
    child->parent = node;
    node->children.emplace(Lower(child->name), child);
}

void FakeRegistry::PutForeignValue(const std::string& path, const std::string& label) {
    int32_t rc;
    Node* node = Walk(root_.get(), path, true, &rc);
    Value& v = node->values[Lower(kForeign + label)];
    v.name = kForeign + label;
    v.type = kRegDword;
    v.data = {1, 0, 0, 0};
}

std::string FakeRegistry::Dump(const std::string& path) const {
    int32_t rc;
    const Node* start = Walk(root_.get(), path, false, &rc);
    std::string out;
    if (start == nullptr) return out;
    std::function<void(const Node*, const std::string&)> dump = [&](const Node* node, const std::string& at) {
        out += at + "\n";
        for (const auto& [lower, v] : node->values) {
            out += at + " : \"" + v.name + "\" " + std::to_string(v.type) + " [";
            for (uint8_t b : v.data) out += std::to_string(b) + " ";
            out += "]\n";
        }
        for (const auto& [lower, child] : node->children) dump(child.get(), at + "\\" + child->name);
    };
    dump(start, path);
    return out;
}

void FakeRegistry::FailOpenOf(const std::string& path) { open_failures_.insert(Lower(path)); }

void FakeRegistry::FailWritesOf(const std::string& name, int32_t result) {
    if (result == kRegSuccess) {
        write_failures_.erase(Lower(name));
    } else {
        write_failures_[Lower(name)] = result;
    }
}

}  // namespace trellup::test
