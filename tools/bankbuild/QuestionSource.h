// The human-editable question source: UTF-8 lines, one marker each.
//
//   # comment                 ignored, as are blank lines
//   ? question text           starts a question
//   + answer text             a correct answer of the question above
//   - answer text             a wrong answer
//
// "|" inside a text is a line break. The source is turned into the bank's
// Windows-1251 records and checked against every limit of the bank, so a
// mistake stops the build with the question's line number instead of
// reaching a student.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

namespace ravx::bank {

class SourceError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Unscrambled records, one per question. Throws SourceError naming the line
// and the question number of the first problem.
std::vector<std::vector<uint8_t>> ParseQuestionSource(const std::string& utf8Text);

// Replaces a bank already at the end of the file, or appends one. Throws
// SourceError when the file cannot be read or written, or is too small to
// carry a bank.
void AppendBankToFile(const std::string& path, const std::vector<std::vector<uint8_t>>& records, uint16_t key);

}  // namespace ravx::bank
