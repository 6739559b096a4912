#include "HexCoreTypes.h"

#include <cstdio>
#include <vector>

namespace {
// Replaces the printf directives of pattern in order with the given texts.
std::string substitute(const char* pattern, const std::vector<std::string>& values) {
    std::string out;
    size_t next = 0;
    for (const char* c = pattern; *c; ++c) {
        if (*c == '%' && c[1] && c[1] != '%' && next < values.size()) {
            out += values[next++];
            ++c;
        } else {
            out += *c;
        }
    }
    return out;
}

std::string numberText(const char* pattern, long long value) {
    const char* p = pattern;
    while (*p && !(*p == '%' && p[1] && p[1] != '%'))
        ++p;
    char buffer[32];
    if (*p && p[1] == 'x')
        std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    else
        std::snprintf(buffer, sizeof buffer, "%lld", value);
    return buffer;
}
} // namespace

std::string hexFormat(const char* pattern, long long value) {
    return substitute(pattern, {numberText(pattern, value)});
}
std::string hexFormat(const char* pattern, const std::string& value) {
    return substitute(pattern, {value});
}
std::string hexFormat(const char* pattern, const std::string& first, const std::string& second) {
    return substitute(pattern, {first, second});
}
std::string hexFormat(const char* pattern, const std::string& text, long long value) {
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, "%llx", static_cast<unsigned long long>(value));
    return substitute(pattern, {text, buffer});
}
