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
    return std::any_of(s.begin(), s.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The fields of one line; nothing when a quote is left open.
std::optional<std::vector<std::string>> SplitFields(std::string_view line)
{
    std::vector<std::string> fields;
    std::size_t i = 0;
    while (true) {
        std::string field;
        const std::size_t start = i;
        while (i < line.size() && (line[i] == ' ' || line[i] == '\t'))
            ++i;
        if (i < line.size() && line[i] == kQuote) {
            for (++i;; ++i) {
                if (i >= line.size())
                    return std::nullopt;
                if (line[i] == kQuote) {
                    if (i + 1 < line.size() && line[i + 1] == kQuote) {
                        field += kQuote;
                        ++i;
                        continue;
                    }
                    ++i;
                    break;
                }
                field += line[i];
            }
            const std::size_t end = std::min(line.find(kSeparator, i), line.size());
            if (!Trimmed(line.substr(i, end - i)).empty())
                return std::nullopt;  // text after the closing quote
            i = end;
        } else {
            const std::size_t end = std::min(line.find(kSeparator, start), line.size());
            field = Trimmed(line.substr(start, end - start));
            i = end;
        }
        fields.push_back(std::move(field));
        if (i >= line.size())
            return fields;
        ++i;  // past the separator
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

        const auto fields = SplitFields(line);
        if (!fields) {
            bad("a quote is not closed");
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
