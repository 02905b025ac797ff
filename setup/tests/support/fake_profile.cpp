#include "support/fake_profile.h"

#include <algorithm>
#include <cctype>
#include <cstring>
#include <optional>

namespace trellup::test {

namespace {

std::string Lower(const std::string& s) {
    std::string r(s);
    std::transform(r.begin(), r.end(), r.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return r;
}

bool IsBlank(char c) { return static_cast<unsigned char>(c) <= ' ' && c != '\0'; }

std::string Trim(const std::string& s) {
    size_t b = 0, e = s.size();
    while (b < e && IsBlank(s[b])) ++b;
    while (e > b && IsBlank(s[e - 1])) --e;
    return s.substr(b, e - b);
}

bool SameName(const std::string& a, const std::string& b) { return Lower(a) == Lower(b); }

// The value of section/key in `text`, or nothing when either is missing.
std::optional<std::string> Lookup(const std::string& text, const std::string& section, const std::string& key) {
    bool seen_section = false;  // the first matching section has been entered
    bool in_section = SameName(section, "");
    size_t pos = 0;
    while (pos <= text.size()) {
        size_t end = text.find('\n', pos);
        if (end == std::string::npos) end = text.size();
        const std::string line = Trim(text.substr(pos, end - pos));
        pos = end + 1;
        if (line.empty() || line[0] == ';') continue;
        if (line[0] == '[') {
            const size_t close = line.rfind(']');
            if (close != std::string::npos && close > 0) {
                if (in_section) return std::nullopt;  // the first matching section ended
                if (!seen_section && SameName(line.substr(1, close - 1), section)) {
                    in_section = seen_section = true;
                }
                continue;
            }
        }
        if (!in_section) continue;
        const size_t eq = line.find('=');
        const std::string name = Trim(line.substr(0, eq));
        if (!SameName(name, key)) continue;
        if (eq == std::string::npos) return std::string();
        std::string value = Trim(line.substr(eq + 1));
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0]) {
            value = value.substr(1, value.size() - 2);
        }
        return value;
    }
    return std::nullopt;
}

}  // namespace

void FakeProfile::PutFile(const std::string& path, const std::string& contents) { files_[Lower(path)] = contents; }
void FakeProfile::RemoveFile(const std::string& path) { files_.erase(Lower(path)); }

uint32_t FakeProfile::GetString(const char* section, const char* key, const char* default_value, char* buffer,
                                uint32_t size, const char* path) {
    ++reads_;
    last_path_ = path;
    std::string value = default_value != nullptr ? default_value : "";
    auto file = files_.find(Lower(path));
    if (file != files_.end()) {
        if (auto found = Lookup(file->second, section, key)) value = *found;
    }
    // The file may hold NULs; a C string ends at the first.
    value = value.substr(0, std::min(value.size(), std::strlen(value.c_str())));
    if (size == 0) return 0;
    const uint32_t n = static_cast<uint32_t>(std::min<size_t>(value.size(), size - 1));
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

uint32_t FakeProfile::GetInt(const char* section, const char* key, int32_t default_value, const char* path) {
    char text[30];
    if (GetString(section, key, "", text, sizeof text, path) == 0) return static_cast<uint32_t>(default_value);
    const char* p = text;
    while (IsBlank(*p)) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = *p++ == '-';
    uint32_t value = 0;
    while (*p >= '0' && *p <= '9') value = value * 10u + static_cast<uint32_t>(*p++ - '0');
    return negative ? 0u - value : value;
}

}  // namespace trellup::test
