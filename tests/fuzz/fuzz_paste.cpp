// Paste over arbitrary clipboard text, as a program block or as plain lines:
// never a crash or a read beyond the text, nothing changes outside the rows
// (and for a block the column) it reports, and a pasted text is one line
// without control characters.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "machine/Codepage.h"
#include "mainwindow/ProgramEdit.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace ravx;
    if (size < 2)
        return 0;
    const int row = (data[0] * 2 + (data[1] & 1)) % kStatementRows;
    // the text: one character per byte, or UTF-8, as the second byte says
    std::u32string text;
    const std::string_view bytes(reinterpret_cast<const char*>(data + 2), size - 2);
    if (data[1] & 2)
        text = Utf8ToUtf32(bytes);
    else
        for (unsigned char c : bytes)
            text += static_cast<char32_t>(c);
    if ((data[1] & 4) && text.size() >= 4)
        text.replace(0, 4, U"RAVX");  // reach past the head more often

    static Program original = [] {
        Program p;
        for (int r = 0; r < kProgramRows; ++r) {
            p.rows[r].statement = "s" + std::to_string(r);
            p.rows[r].comment = "c" + std::to_string(r);
            p.rows[r].breakpoint = r % 3 == 0;
        }
        return p;
    }();
    Program p = original;
    const auto pasted = PasteText(p, text, row);
    const bool block = text.substr(0, 4) == U"RAVX";
    auto oneLine = [](const std::string& t) {
        return std::none_of(t.begin(), t.end(), [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    };
    for (int r = 0; r < kProgramRows; ++r) {
        const ProgramRow &now = p.rows[r], &was = original.rows[r];
        const bool written = pasted && r >= pasted->first && r < pasted->first + pasted->count;
        if (now.breakpoint != was.breakpoint || (!written && !(now == was)))
            std::abort();
        if (written && (r >= kStatementRows || !oneLine(now.statement) || !oneLine(now.comment)))
            std::abort();
        // one column of a block pasted: the other stays
        if (written && block && text.size() > 10 && text[10] != 2 && now.statement != was.statement &&
            now.comment != was.comment)
            std::abort();
    }
    return 0;
}
