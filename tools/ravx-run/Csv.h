// CSV for the teacher's tables: UTF-8, comma-separated, CRLF line ends.
#pragma once

#include <string>

namespace ravx {

// A CSV field: quoted when it holds a separator, a quote or a line break.
inline std::string CsvField(const std::string& s)
{
    if (s.find_first_of(",\"\r\n") == std::string::npos)
        return s;
    std::string quoted = "\"";
    for (char c : s) {
        if (c == '"')
            quoted += '"';
        quoted += c;
    }
    return quoted + "\"";
}

}  // namespace ravx
