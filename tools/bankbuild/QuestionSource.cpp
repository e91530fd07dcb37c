#include "tools/bankbuild/QuestionSource.h"

#include <climits>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "machine/Codepage.h"
#include "training/QuestionBank.h"

namespace ravx::bank {

namespace {

constexpr char kQuestionMark = '?';
constexpr char kCorrectMark = '+';
constexpr char kWrongMark = '-';
constexpr char kCommentMark = '#';

struct Draft {
    int line = 0;
    int number = 0;
    std::vector<uint8_t> record;
};

[[noreturn]] void Fail(int line, int number, const std::string& what)
{
    std::string where = "строка " + std::to_string(line);
    if (number > 0) {
        where += ", вопрос " + std::to_string(number);
    }
    throw SourceError(where + ": " + what);
}

std::string Trim(const std::string& s)
{
    const auto first = s.find_first_not_of(" \t\r");
    if (first == std::string::npos) {
        return {};
    }
    const auto last = s.find_last_not_of(" \t\r");
    return s.substr(first, last - first + 1);
}

// The text in Windows-1251; a character outside the code page or a control
// byte that the record format uses as an end mark is a source error.
std::string ToRecordText(const std::string& utf8, int line, int number)
{
    if (utf8.empty()) {
        Fail(line, number, "пустой текст");
    }
    std::string cp1251 = Utf8ToCp1251(utf8);
    if (Cp1251ToUtf8(cp1251) != utf8) {
        Fail(line, number, "символ, которого нет в кодовой странице 1251");
    }
    for (char c : cp1251) {
        if (static_cast<uint8_t>(c) <= kCorrectAnswerEnd) {
            Fail(line, number, "управляющий символ в тексте");
        }
    }
    return cp1251;
}

void Append(std::vector<uint8_t>& record, const std::string& text, uint8_t end)
{
    record.insert(record.end(), text.begin(), text.end());
    record.push_back(end);
}

void Finish(const Draft& draft, std::vector<std::vector<uint8_t>>& records)
{
    if (const std::string problem = CheckRecord(draft.record); !problem.empty()) {
        Fail(draft.line, draft.number, problem);
    }
    records.push_back(draft.record);
}

}  // namespace

std::vector<std::vector<uint8_t>> ParseQuestionSource(const std::string& utf8Text)
{
    std::vector<std::vector<uint8_t>> records;
    std::istringstream in(utf8Text);
    std::string raw;
    Draft draft;
    int lineNumber = 0;
    while (std::getline(in, raw)) {
        ++lineNumber;
        const std::string line = Trim(raw);
        if (line.empty() || line[0] == kCommentMark) {
            continue;
        }
        const char mark = line[0];
        const std::string text = Trim(line.substr(1));
        if (mark == kQuestionMark) {
            if (draft.number > 0) {
                Finish(draft, records);
            }
            draft = {lineNumber, draft.number + 1, {}};
            Append(draft.record, ToRecordText(text, lineNumber, draft.number), kQuestionEnd);
        } else if (mark == kCorrectMark || mark == kWrongMark) {
            if (draft.number == 0) {
                Fail(lineNumber, 0, "ответ до первого вопроса");
            }
            Append(draft.record, ToRecordText(text, lineNumber, draft.number),
                   mark == kCorrectMark ? kCorrectAnswerEnd : kWrongAnswerEnd);
        } else {
            Fail(lineNumber, draft.number, "строка должна начинаться с ?, + или -");
        }
    }
    if (draft.number > 0) {
        Finish(draft, records);
    }
    const auto n = static_cast<int>(records.size());
    if (n < kMinQuestions || n > kMaxQuestions) {
        throw SourceError("вопросов " + std::to_string(n) + ", а нужно от " + std::to_string(kMinQuestions) + " до " +
                          std::to_string(kMaxQuestions));
    }
    return records;
}

void AppendBankToFile(const std::string& path, const std::vector<std::vector<uint8_t>>& records, uint16_t key)
{
    std::error_code ec;
    auto size = std::filesystem::file_size(path, ec);
    if (ec) {
        throw SourceError("не удаётся прочитать " + path + ": " + ec.message());
    }
    // A bank already there is replaced, so running the builder twice leaves
    // one bank, not two.
    const Bank old = ReadBankFile(path);
    if (old.status == BankStatus::Ok) {
        std::ifstream in(path, std::ios::binary);
        in.seekg(static_cast<std::streamoff>(size - kTrailerSize));
        uint8_t trailer[kTrailerSize] = {};
        in.read(reinterpret_cast<char*>(trailer), kTrailerSize);
        size = static_cast<uint64_t>(trailer[0] | trailer[1] << 8 | trailer[2] << 16 | trailer[3] << 24);
        in.close();
        std::filesystem::resize_file(path, size, ec);
        if (ec) {
            throw SourceError("не удаётся убрать старый банк из " + path + ": " + ec.message());
        }
    }
    if (size > static_cast<uint64_t>(INT32_MAX) / 2) {
        throw SourceError(path + " слишком велик: смещения банка 32-битные");
    }
    if (size < static_cast<uint64_t>(kMinBankOffset)) {
        throw SourceError(path + " короче " + std::to_string(kMinBankOffset) + " байт: банк не будет найден");
    }
    const auto bytes = BuildBank(records, key, size);
    std::ofstream out(path, std::ios::binary | std::ios::app);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        throw SourceError("не удаётся дописать банк в " + path);
    }
}

}  // namespace ravx::bank
