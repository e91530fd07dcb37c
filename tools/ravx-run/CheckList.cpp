#include "tools/ravx-run/CheckList.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <utility>

#include "machine/Codepage.h"

namespace ravx {

namespace {

using training::TaskKind;

constexpr std::array<std::pair<std::string_view, TaskKind>, training::kKindCount> kKinds = {{
    {"standard", TaskKind::Standard},
    {"game", TaskKind::Game},
    {"game-psoo", TaskKind::GameWithPsoo},
    {"strobe", TaskKind::Strobed},
    {"analysis", TaskKind::SensorAnalysis},
}};

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr char kSeparator = ';';
constexpr char kQuote = '"';
constexpr char kComment = '#';
constexpr std::string_view kBlanks = " \t";
constexpr std::array<std::string_view, 3> kHeader = {"file", "task", "kind"};
constexpr int kFields = 3;

std::string_view Trimmed(std::string_view s)
{
    const auto first = s.find_first_not_of(kBlanks);
    if (first == std::string_view::npos)
        return {};
    return s.substr(first, s.find_last_not_of(kBlanks) - first + 1);
}

bool HasUpperHalfBytes(std::string_view s)
{
    constexpr unsigned char kFirstUpperByte = 0x80;
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= kFirstUpperByte; });
}

// A quoted field from its opening quote at `i` on; `i` ends past the closing
// quote. Nothing when the quote is not closed.
std::optional<std::string> QuotedField(std::string_view line, std::size_t& i)
{
    std::string field;
    for (++i; i < line.size(); ++i) {
        if (line[i] != kQuote) {
            field += line[i];
        } else if (i + 1 < line.size() && line[i + 1] == kQuote) {
            field += kQuote;
            ++i;
        } else {
            ++i;
            return field;
        }
    }
    return std::nullopt;
}

// The fields of one line; nothing, with `problem` set, for a bad quote.
std::optional<std::vector<std::string>> SplitFields(std::string_view line, std::string& problem)
{
    std::vector<std::string> fields;
    for (std::size_t i = 0;; ++i) {  // past the separator
        const std::size_t start = i;
        i = std::min(line.find_first_not_of(kBlanks, i), line.size());
        std::string field;
        if (i < line.size() && line[i] == kQuote) {
            const auto quoted = QuotedField(line, i);
            if (!quoted) {
                problem = "a quote is not closed";
                return std::nullopt;
            }
            field = *quoted;
        } else {
            i = start;
        }
        const std::size_t end = std::min(line.find(kSeparator, i), line.size());
        const std::string_view rest = Trimmed(line.substr(i, end - i));
        if (i != start && !rest.empty()) {
            problem = "text after a closing quote";
            return std::nullopt;
        }
        if (i == start)
            field = rest;
        fields.push_back(std::move(field));
        i = end;
        if (i >= line.size())
            return fields;
    }
}

bool IsHeader(const std::vector<std::string>& fields)
{
    if (fields.size() != kHeader.size())
        return false;
    for (std::size_t i = 0; i < fields.size(); ++i) {
        std::string lower = fields[i];
        std::transform(lower.begin(), lower.end(), lower.begin(), [](unsigned char c) { return std::tolower(c); });
        if (lower != kHeader[i])
            return false;
    }
    return true;
}

}  // namespace

std::optional<TaskKind> KindNamed(std::string_view name)
{
    const auto k = std::find_if(kKinds.begin(), kKinds.end(), [&](const auto& p) { return p.first == name; });
    return k == kKinds.end() ? std::nullopt : std::optional(k->second);
}

std::string_view KindOptionName(TaskKind kind)
{
    const auto k = std::find_if(kKinds.begin(), kKinds.end(), [&](const auto& p) { return p.second == kind; });
    return k == kKinds.end() ? std::string_view() : k->first;
}

std::optional<int> TaskNumber(std::string_view text)
{
    int number = 0;
    const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), number);
    if (text.empty() || ec != std::errc() || end != text.data() + text.size() || text[0] == '-' || number < 1 ||
        number > training::kTaskCount)
        return std::nullopt;
    return number;
}

CheckList ParseCheckList(std::string_view text)
{
    if (text.starts_with(kByteOrderMark))
        text.remove_prefix(kByteOrderMark.size());
    std::string decoded;
    if (HasUpperHalfBytes(text) && !LooksLikeUtf8(text)) {
        decoded = Cp1251ToUtf8(text);
        text = decoded;
    }

    CheckList list;
    bool first = true;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++number;
        if (line.ends_with('\r'))
            line.remove_suffix(1);
        if (Trimmed(line).empty() || Trimmed(line)[0] == kComment)
            continue;
        const bool header = std::exchange(first, false);
        auto bad = [&](const std::string& why) { list.errors.push_back(std::to_string(number) + ": " + why); };

        std::string problem;
        const auto fields = SplitFields(line, problem);
        if (!fields) {
            bad(problem);
            continue;
        }
        if (header && IsHeader(*fields))
            continue;
        if (fields->size() != kFields) {
            bad("expected FILE;TASK;KIND, found " + std::to_string(fields->size()) + " fields");
            continue;
        }
        const std::string& file = (*fields)[0];
        const auto task = TaskNumber((*fields)[1]);
        const auto kind = KindNamed((*fields)[2]);
        if (file.empty())
            bad("no file name");
        else if (!task)
            bad("task \"" + (*fields)[1] + "\" is not a number 1..22");
        else if (!kind)
            bad("unknown kind \"" + (*fields)[2] + "\" (standard, game, game-psoo, strobe, analysis)");
        else
            list.files.push_back({number, file, *task, *kind});
    }
    return list;
}

}  // namespace ravx
