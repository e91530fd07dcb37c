#include "training/TaskFile.h"

#include "machine/Codepage.h"

namespace ravx::training {

namespace {

// Latin C, o and c in these two texts: the window has always shown them so.
constexpr std::string_view kOrderLowText = "C мл. разрядов";
constexpr std::string_view kOrderHighText = "Co cт. разрядов";
constexpr std::string_view kFlagNoText = "Нет";
constexpr std::string_view kFlagYesText = "Да";

constexpr uint8_t kMarkStart = kMarkRed;
constexpr uint8_t kByteMask = 0xFF;

bool IsSeparator(char c) { return c == ';' || c == ' ' || c == ','; }

std::string CharToUtf8(char c) { return Cp1251ToUtf8(std::string_view(&c, 1)); }

// Reads bytes of the file one at a time, as the window does, and remembers
// whether the file ran out.
class RecordReader {
public:
    RecordReader(std::span<const uint8_t> file, long long base) : file_(file), base_(base) {}

    std::optional<uint8_t> Byte(std::size_t offset) const
    {
        long long at = base_ + static_cast<long long>(offset);
        if (at < 0 || static_cast<unsigned long long>(at) >= file_.size())
            return std::nullopt;
        return file_[static_cast<std::size_t>(at)];
    }

    std::optional<std::string> Text(std::size_t offset) const
    {
        long long at = base_ + static_cast<long long>(offset);
        if (at < 0)
            return std::nullopt;
        return ReadText(file_, static_cast<std::size_t>(at));
    }

private:
    std::span<const uint8_t> file_;
    long long base_;
};

void SetIf(std::string& label, const std::optional<std::string>& text)
{
    if (text)
        label = *text;
}

// Kind 0..3 keep four bytes each (order, display RAM, width, rows); kind 4
// keeps three at its own offset, without the display RAM byte.
std::optional<std::string> ShowKindBytes(const RecordReader& in, TaskKind kind, TaskDisplay& d)
{
    const bool analysis = kind == TaskKind::SensorAnalysis;
    std::size_t at = analysis ? kAnalysisBytesOffset : kKindBytesOffset + kKindBytesSize * static_cast<int>(kind);
    auto order = in.Byte(at++);
    if (!order)
        return kReadBeyondEnd;
    d.IND = OutputOrderText(*order);
    if (!analysis) {
        auto ram = in.Byte(at++);
        if (!ram)
            return kReadBeyondEnd;
        SetIf(d.OZU, RamContentsText(*ram));
    }
    auto width = in.Byte(at++);
    if (!width)
        return kReadBeyondEnd;
    SetIf(d.KOL, DisplayWidthText(*width));
    auto rows = in.Byte(at);
    if (!rows)
        return kReadBeyondEnd;
    SetIf(d.LIN, RowCountText(*rows));
    return std::nullopt;
}

void ShowKindFields(TaskKind kind, TaskDisplay& d)
{
    d.analysisShown = kind == TaskKind::SensorAnalysis;
    if (d.analysisShown) {
        d.KOD = kNotForKind;
        d.OZU = kNotForKind;
    } else {
        d.MD = kNotForKind;
    }
}

std::optional<std::string> ShowTexts(const RecordReader& in, TaskDisplay& d)
{
    auto indicator = in.Text(kIndicatorOffset);
    if (!indicator)
        return kReadBeyondEnd;
    d.StringGrid1 = LayIndicatorText(*indicator);
    auto p1 = in.Text(kP1Offset);
    if (!p1)
        return kReadBeyondEnd;
    d.Edit1 = Cp1251ToUtf8(*p1);
    auto p2 = in.Text(kP2Offset);
    if (!p2)
        return kReadBeyondEnd;
    d.Edit2 = Cp1251ToUtf8(*p2);
    auto second = in.Text(kSecondRowOffset);
    if (!second)
        return kReadBeyondEnd;
    d.StringGrid2 = LaySecondRow(*second);
    for (auto [offset, label] :
         {std::pair{kPpopOffset, &d.PPOP}, std::pair{kCpuClockOffset, &d.PRC}, std::pair{kPkkiClockOffset, &d.PKKI}}) {
        auto text = in.Text(offset);
        if (!text)
            return kReadBeyondEnd;
        *label = Cp1251ToUtf8(*text);
    }
    return std::nullopt;
}

}  // namespace

std::string OutputOrderText(uint8_t code)
{
    return std::string(code == kOrderLowFirst ? kOrderLowText : kOrderHighText);
}

std::optional<std::string> RamContentsText(uint8_t code)
{
    switch (code) {
    case kRamSegments: return "7 сегм";
    case kRamKoi8: return "КОИ-8";
    case kRamKeyCode: return "Код кл.";
    case kRamHex: return "16сс";
    default: return std::nullopt;
    }
}

std::optional<std::string> DisplayWidthText(uint8_t code)
{
    switch (code) {
    case kWidth16: return "16";
    case kWidth8: return "8";
    case kWidth4: return "4";
    default: return std::nullopt;
    }
}

std::optional<std::string> RowCountText(uint8_t code)
{
    switch (code) {
    case kRows1: return "1";
    case kRows2: return "2";
    default: return std::nullopt;
    }
}

std::string FlagText(uint8_t code) { return std::string(code == kFlagNo ? kFlagNoText : kFlagYesText); }

IndicatorRow LayIndicatorText(std::string_view cp1251)
{
    IndicatorRow row{};
    uint8_t mark = kMarkStart;
    bool inside = false;
    std::size_t cell = 0;
    for (char c : cp1251) {
        if (IsSeparator(c))
            continue;
        if (c == '(') {
            inside = true;
        } else if (c == ')') {
            inside = false;
            mark = static_cast<uint8_t>(~mark & kByteMask);
        } else if (cell < kGridCells) {
            row[cell].text = CharToUtf8(c);
            row[cell].mark = inside ? mark : kMarkNone;
            ++cell;
        }
    }
    return row;
}

SecondRow LaySecondRow(std::string_view cp1251)
{
    SecondRow row{};
    std::size_t cell = 0;
    std::string item;
    for (char c : cp1251) {
        if (!IsSeparator(c)) {
            item += c;
            continue;
        }
        if (cell < kGridCells)
            row[cell] = Cp1251ToUtf8(item);
        ++cell;
        item.clear();
    }
    if (!item.empty() && cell < kGridCells)
        row[cell] = Cp1251ToUtf8(item);
    return row;
}

std::optional<std::string> ReadText(std::span<const uint8_t> file, std::size_t offset)
{
    std::string text;
    for (std::size_t at = offset; at < file.size(); ++at) {
        if (file[at] == 0)
            return text;
        text += static_cast<char>(file[at]);
    }
    return std::nullopt;
}

std::optional<std::string> ShowTask(std::span<const uint8_t> file, int number, TaskKind kind, std::string_view port,
                                    TaskDisplay& display)
{
    const RecordReader in(file, (static_cast<long long>(number) - 1) * static_cast<long long>(kRecordSize));
    if (auto error = ShowKindBytes(in, kind, display))
        return error;
    ShowKindFields(kind, display);
    auto flag = in.Byte(kFlagsOffset + static_cast<std::size_t>(kind));
    if (!flag)
        return kReadBeyondEnd;
    (kind == TaskKind::SensorAnalysis ? display.MD : display.KOD) = FlagText(*flag);
    if (auto error = ShowTexts(in, display))
        return error;
    // nothing is typed in "Стандартная": its groups are shown like the rest
    if (kind == TaskKind::Standard)
        for (IndicatorCell& cell : display.StringGrid1)
            cell.mark = kMarkNone;
    display.IO = std::string(port);
    return std::nullopt;
}

}  // namespace ravx::training
