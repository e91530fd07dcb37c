// Conversions between the UTF-8 texts of the core and the single-byte code
// pages of the files: Windows-1251 for programs, 866 for reports.
#pragma once

#include <string>
#include <string_view>

namespace ravx {

// Characters that have no byte in the code page, and bytes that are not valid
// UTF-8, become '?'.
std::string Utf8ToCp1251(std::string_view utf8);
std::string Utf8ToCp866(std::string_view utf8);

// The one byte 1251 leaves undefined, 0x98, becomes '?': a file holding it
// then loads to the same text every time, however often it is saved again.
std::string Cp1251ToUtf8(std::string_view cp1251);

// UTF-8 and one character per element, for texts that count characters (the
// clipboard's program block). Bytes that are not valid UTF-8 become '?'.
std::u32string Utf8ToUtf32(std::string_view utf8);
std::string Utf32ToUtf8(std::u32string_view text);

// Whether bytes read as a single-byte page are really UTF-8: at least one
// multi-byte sequence, and every byte above 7Fh in a well-formed one. Russian
// text in 1251 practically never passes, since its letters would have to be
// followed by the rare signs of 80h..BFh.
bool LooksLikeUtf8(std::string_view bytes);

}  // namespace ravx
