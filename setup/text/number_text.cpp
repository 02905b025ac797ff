#include "text/number_text.h"

#include <cctype>
#include <cfenv>
#include <cmath>
#include <cstdlib>

namespace trellup {
namespace {

bool IsSkipped(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Parses the number at the start of `s`; *used receives the characters it
// took (0 when there is no number, and then the result is 0).
double ParseNumber(const std::string& s, size_t* used) {
    *used = 0;
    if (s.size() >= 2 && s[0] == '&' && (s[1] == 'H' || s[1] == 'h' || s[1] == 'O' || s[1] == 'o')) {
        const unsigned base = (s[1] == 'H' || s[1] == 'h') ? 16 : 8;
        size_t i = 2;
        uint64_t v = 0;
        bool overflow = false;
        for (; i < s.size(); ++i) {
            const char c = static_cast<char>(std::toupper(static_cast<unsigned char>(s[i])));
            unsigned d;
            if (IsDigit(c)) {
                d = static_cast<unsigned>(c - '0');
            } else if (base == 16 && c >= 'A' && c <= 'F') {
                d = static_cast<unsigned>(c - 'A' + 10);
            } else {
                break;
            }
            if (d >= base) break;
            if (v > (UINT64_MAX >> 4)) overflow = true;
            v = v * base + d;
        }
        *used = i;
        if (overflow) return 1e300;  // far beyond every range the callers accept
        if (v <= 0xFFFFFFFFu) return static_cast<double>(static_cast<int32_t>(static_cast<uint32_t>(v)));
        return static_cast<double>(v);
    }

    size_t i = 0;
    std::string number;
    if (i < s.size() && (s[i] == '+' || s[i] == '-')) number += s[i++];
    size_t digits = 0;
    while (i < s.size() && IsDigit(s[i])) number += s[i++], ++digits;
    if (i < s.size() && s[i] == '.') {
        number += s[i++];
        while (i < s.size() && IsDigit(s[i])) number += s[i++], ++digits;
    }
    if (digits == 0) return 0;
    if (i < s.size() && (s[i] == 'E' || s[i] == 'e' || s[i] == 'D' || s[i] == 'd')) {
        size_t j = i + 1;
        std::string exponent = "e";
        if (j < s.size() && (s[j] == '+' || s[j] == '-')) exponent += s[j++];
        const size_t first = j;
        while (j < s.size() && IsDigit(s[j])) exponent += s[j++];
        if (j > first) {
            number += exponent;
            i = j;
        }
    }
    *used = i;
    return std::strtod(number.c_str(), nullptr);
}

template <typename Int>
bool Round(double value, Int lo, Int hi, Int* out) {
    if (std::isnan(value)) return false;
    const int saved = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(saved);
    if (r < static_cast<double>(lo) || r > static_cast<double>(hi)) return false;
    *out = static_cast<Int>(r);
    return true;
}

}  // namespace

double LeadingNumber(const std::string& text) {
    std::string packed;
    for (char c : text) {
        if (!IsSkipped(c)) packed += c;
    }
    size_t used;
    return ParseNumber(packed, &used);
}

bool WholeNumber(const std::string& text, double* value) {
    size_t begin = 0, end = text.size();
    while (begin < end && IsSkipped(text[begin])) ++begin;
    while (end > begin && IsSkipped(text[end - 1])) --end;
    const std::string core = text.substr(begin, end - begin);
    size_t used;
    const double v = ParseNumber(core, &used);
    if (used == 0 || used != core.size()) return false;
    *value = v;
    return true;
}

bool RoundToInt32(double value, int32_t* out) { return Round<int32_t>(value, INT32_MIN, INT32_MAX, out); }
bool RoundToInt16(double value, int16_t* out) { return Round<int16_t>(value, INT16_MIN, INT16_MAX, out); }

}  // namespace trellup
