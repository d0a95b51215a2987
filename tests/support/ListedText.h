#pragma once

#include <cstdio>
#include <string>
#include <string_view>

// A table row's text as --gtest_list_tests may print it: test discovery reads that
// list as a CMake list, where ";" and "\" split or join lines and so garble the
// case names. Those characters, "%" and line ends are written as %XX.
inline std::string ListedText(std::string_view AText)
{
    std::string listed;
    for (const char c : AText) {
        if (c == ';' || c == '\\' || c == '%' || c == '\n' || c == '\r') {
            char escaped[4];
            std::snprintf(escaped, sizeof escaped, "%%%02X", static_cast<unsigned char>(c));
            listed += escaped;
        } else {
            listed += c;
        }
    }
    return listed;
}
