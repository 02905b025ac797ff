// Letter-case rules of names the registry keeps: key names match without
// regard to the case of ASCII letters.
#pragma once

#include <algorithm>
#include <cctype>
#include <string>

namespace trellup {

inline bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::tolower(x) == std::tolower(y);
           });
}

}  // namespace trellup
