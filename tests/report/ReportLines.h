// The lines of a report file without their CR LF; a text that does not end
// in CR LF gives a last line marked "<no line end>".
#pragma once

#include <string>
#include <vector>

namespace ravx::reporttest {

inline std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string::npos) {
            lines.push_back("<no line end>");
            break;
        }
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    return lines;
}

}  // namespace ravx::reporttest
