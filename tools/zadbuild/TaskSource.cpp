#include "tools/zadbuild/TaskSource.h"

#include <array>
#include <map>
#include <optional>
#include <sstream>
#include <string_view>

#include "machine/Codepage.h"
#include "training/TaskFile.h"

namespace ravx::zadbuild {

namespace {

using training::kKindCount;
using training::kRecordSize;
using training::kTaskCount;

struct Code {
    std::string_view word;
    uint8_t value;
};

// The words of the source for each byte code of a kind line.
constexpr std::array kOrderCodes{Code{"low", training::kOrderLowFirst}, Code{"high", 2}};
constexpr std::array kRamCodes{Code{"7seg", training::kRamSegments}, Code{"koi8", training::kRamKoi8},
                               Code{"keycode", training::kRamKeyCode}, Code{"hex", training::kRamHex}};
constexpr std::array kWidthCodes{Code{"16", training::kWidth16}, Code{"8", training::kWidth8},
                                 Code{"4", training::kWidth4}};
constexpr std::array kRowCodes{Code{"1", training::kRows1}, Code{"2", training::kRows2}};
constexpr std::array kFlagCodes{Code{"no", training::kFlagNo}, Code{"yes", 1}};

constexpr std::array<std::string_view, kKindCount> kKindWords{"standard", "game", "game-psoo", "strobe", "analysis"};

struct TextField {
    std::string_view key;
    std::size_t offset;
    std::size_t width;
};
constexpr std::array kTextFields{
    TextField{"text", training::kIndicatorOffset, training::kIndicatorWidth},
    TextField{"p1", training::kP1Offset, training::kPTextWidth},
    TextField{"p2", training::kP2Offset, training::kPTextWidth},
    TextField{"row2", training::kSecondRowOffset, training::kSecondRowWidth},
    TextField{"ppop", training::kPpopOffset, training::kShortTextWidth},
    TextField{"cpu", training::kCpuClockOffset, training::kShortTextWidth},
    TextField{"pkki", training::kPkkiClockOffset, training::kShortTextWidth},
};

std::string_view Trim(std::string_view s)
{
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r'))
        s.remove_suffix(1);
    return s;
}

class Builder {
public:
    void Line(std::string_view raw, int lineNo)
    {
        lineNo_ = lineNo;
        std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#')
            return;
        std::string_view word = line.substr(0, line.find_first_of(" \t="));
        if (word == "task") {
            StartTask(Trim(line.substr(word.size())));
            return;
        }
        if (task_ == 0)
            Fail("«task N» должно стоять перед полями задания");
        for (int k = 0; k < kKindCount; ++k) {
            if (word == kKindWords[k]) {
                KindLine(k, Trim(line.substr(word.size())));
                return;
            }
        }
        for (const TextField& field : kTextFields) {
            if (word == field.key) {
                TextLine(field, line.substr(word.size()));
                return;
            }
        }
        Fail("неизвестное поле «" + std::string(word) + "»");
    }

    std::vector<uint8_t> Finish()
    {
        EndTask();
        if (task_ != kTaskCount)
            Fail("заданий " + std::to_string(task_) + ", а должно быть " + std::to_string(kTaskCount));
        return bytes_;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const
    {
        std::string where = "строка " + std::to_string(lineNo_) + ": ";
        if (task_ != 0)
            where += "задание " + std::to_string(task_) + ": ";
        throw SourceError(where + what);
    }

    [[noreturn]] void FailField(std::string_view field, const std::string& what) const
    {
        Fail("поле " + std::string(field) + ": " + what);
    }

    void StartTask(std::string_view number)
    {
        EndTask();
        const std::string expected = std::to_string(task_ + 1);
        if (number != expected)
            Fail("ожидалось «task " + expected + "», а стоит «task " + std::string(number) + "»");
        if (task_ == kTaskCount)
            Fail("заданий больше " + std::to_string(kTaskCount));
        ++task_;
        seen_.clear();
        bytes_.resize(static_cast<std::size_t>(task_) * kRecordSize, 0);
    }

    void EndTask()
    {
        if (task_ == 0)
            return;
        for (std::string_view kind : kKindWords)
            if (!seen_.count(std::string(kind)))
                FailField(kind, "нет в задании");
        for (const TextField& field : kTextFields)
            if (!seen_.count(std::string(field.key)))
                FailField(field.key, "нет в задании");
    }

    void MarkSeen(std::string_view field)
    {
        if (!seen_.insert({std::string(field), lineNo_}).second)
            FailField(field, "уже было в строке " + std::to_string(seen_[std::string(field)]));
    }

    uint8_t& At(std::size_t offset) { return bytes_[static_cast<std::size_t>(task_ - 1) * kRecordSize + offset]; }

    template <std::size_t N>
    uint8_t Lookup(std::string_view field, std::string_view key, std::string_view value,
                   const std::array<Code, N>& codes) const
    {
        std::string allowed;
        for (const Code& code : codes) {
            if (code.word == value)
                return code.value;
            allowed += (allowed.empty() ? "" : ", ") + std::string(code.word);
        }
        FailField(field,
                  "неверное значение " + std::string(key) + "=" + std::string(value) + " (допустимо: " + allowed + ")");
    }

    void KindLine(int kind, std::string_view rest)
    {
        const std::string_view field = kKindWords[kind];
        MarkSeen(field);
        const bool analysis = kind == static_cast<int>(training::TaskKind::SensorAnalysis);
        std::map<std::string, std::string> values;
        std::istringstream words{std::string(rest)};
        for (std::string pair; words >> pair;) {
            auto eq = pair.find('=');
            if (eq == std::string::npos)
                FailField(field, "ожидалось ключ=значение, а стоит «" + pair + "»");
            if (!values.emplace(pair.substr(0, eq), pair.substr(eq + 1)).second)
                FailField(field, "ключ " + pair.substr(0, eq) + " повторён");
        }
        auto take = [&](std::string_view key) {
            auto it = values.find(std::string(key));
            if (it == values.end())
                FailField(field, "нет ключа " + std::string(key));
            std::string value = it->second;
            values.erase(it);
            return value;
        };
        std::size_t at =
            analysis ? training::kAnalysisBytesOffset : training::kKindBytesOffset + training::kKindBytesSize * kind;
        At(at++) = Lookup(field, "order", take("order"), kOrderCodes);
        if (!analysis)
            At(at++) = Lookup(field, "ram", take("ram"), kRamCodes);
        At(at++) = Lookup(field, "width", take("width"), kWidthCodes);
        At(at) = Lookup(field, "rows", take("rows"), kRowCodes);
        const char* flagKey = analysis ? "md" : "kg";
        At(training::kFlagsOffset + kind) = Lookup(field, flagKey, take(flagKey), kFlagCodes);
        if (!values.empty())
            FailField(field, "лишний ключ " + values.begin()->first);
    }

    void TextLine(const TextField& field, std::string_view rest)
    {
        MarkSeen(field.key);
        rest = Trim(rest);
        if (rest.empty() || rest.front() != '=')
            FailField(field.key, "ожидалось «" + std::string(field.key) + " = текст»");
        const std::string_view text = Trim(rest.substr(1));
        const std::string bytes = Utf8ToCp1251(text);
        if (Cp1251ToUtf8(bytes) != text)
            FailField(field.key, "символ вне кодовой страницы Windows-1251");
        if (bytes.size() + 1 > field.width)
            FailField(field.key, "текст длиной " + std::to_string(bytes.size()) + " не помещается: не более " +
                                     std::to_string(field.width - 1) + " символов");
        for (std::size_t i = 0; i < bytes.size(); ++i)
            At(field.offset + i) = static_cast<uint8_t>(bytes[i]);
        At(field.offset + bytes.size()) = 0;
    }

    int task_ = 0;
    int lineNo_ = 0;
    std::map<std::string, int> seen_;
    std::vector<uint8_t> bytes_;
};

}  // namespace

std::vector<uint8_t> BuildTaskFile(std::istream& source)
{
    Builder builder;
    int lineNo = 0;
    for (std::string line; std::getline(source, line);)
        builder.Line(line, ++lineNo);
    return builder.Finish();
}

}  // namespace ravx::zadbuild
