// Paths of the build tree as a Windows program under Wine sees them.
#pragma once

#include <string>

namespace trellup::test {

// "/work/x" -> "Z:\work\x" (Wine maps the Unix root to drive Z:).
inline std::string WinePath(const std::string& unix_path) {
    std::string p = "Z:" + unix_path;
    for (char& c : p) {
        if (c == '/') c = '\\';
    }
    return p;
}

}  // namespace trellup::test
