#include "controller/ZGfill_model.h"

#include <algorithm>

#include "controller/Timer_chars.h"
#include "controller/Timer_state.h"
#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"
#include "machine/_Asm_text.h"

namespace ravx {
namespace {

constexpr uint16_t kByteLimit = 0xFF;
constexpr uint16_t kWordLimit = 0xFFFF;
constexpr int kOctalBase = 8;
constexpr int kHexBase = 16;
// Digits a value can have before it certainly leaves 16 bits.
constexpr std::size_t kOctalWordDigits = 6;
constexpr std::size_t kHexWordDigits = 4;
// The widths of a data RAM word and of its entry number (see the header).
constexpr int kWordOctalWidth = 6;
constexpr int kWordHexWidth = 4;
constexpr int kWordNumberOctalWidth = 4;
constexpr int kWordNumberHexWidth = 3;
constexpr std::string_view kBlankItem = "прб";

const FillTargetInfo kTargets[] = {
    {FillTarget::Zg1, 256, "ЗГ1", false}, {FillTarget::Zg2, 256, "ЗГ2", false},
    {FillTarget::Zg3, 16, "ЗГ3", false},  {FillTarget::Zg4, 16, "ЗГ4", false},
    {FillTarget::Kg, 256, "КГ", false},   {FillTarget::DataRam, kFillDataRamWords, "ОЗУданных", true},
};

// Digits of v in a base, padded with zeros to `width`.
std::string digits(unsigned v, int base, int width)
{
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string out;
    do {
        out.insert(out.begin(), kDigits[v % static_cast<unsigned>(base)]);
        v /= static_cast<unsigned>(base);
    } while (v != 0);
    if (static_cast<int>(out.size()) < width)
        out.insert(0, static_cast<std::size_t>(width) - out.size(), '0');
    return out;
}

bool isAsciiAlnum(char c) { return (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

std::string_view trimmed(std::string_view s)
{
    while (!s.empty() && s.front() == ' ')
        s.remove_prefix(1);
    while (!s.empty() && s.back() == ' ')
        s.remove_suffix(1);
    return s;
}

const CharRow& listRow(int item)
{
    // item 0 is table row 1 ("прб"); the others follow in table order
    return kCharTable[std::clamp(item, 0, kFillListItems - 1)];
}

}  // namespace

const FillTargetInfo& TargetInfo(FillTarget target) { return kTargets[static_cast<int>(target)]; }

std::string ListItemText(int item)
{
    return item == 0 ? std::string(kBlankItem) : std::string(listRow(item).character);
}

std::string ChoiceText(int item, bool koi8, bool hexValues)
{
    const CharRow& row = listRow(item);
    if (!koi8)
        return hexValues ? std::string(hex2(row.code).view()) : std::string(oct3(row.code).view());
    // the КОИ8 column is listed in octal without padding
    return hexValues ? std::string(hex2(static_cast<unsigned>(row.koi8)).view())
                     : digits(static_cast<unsigned>(row.koi8), kOctalBase, 1);
}

std::string EntryNumberText(FillTarget target, int entry, bool hexNumbers)
{
    const unsigned e = static_cast<unsigned>(entry);
    if (TargetInfo(target).word)
        return hexNumbers ? digits(e, kHexBase, kWordNumberHexWidth) : digits(e, kOctalBase, kWordNumberOctalWidth);
    return hexNumbers ? std::string(hex2(e).view()) : std::string(oct3(e).view());
}

std::string ValueText(FillTarget target, uint16_t value, bool hexValues)
{
    if (TargetInfo(target).word)
        return hexValues ? digits(value, kHexBase, kWordHexWidth) : digits(value, kOctalBase, kWordOctalWidth);
    return hexValues ? std::string(hex2(value).view()) : std::string(oct3(value).view());
}

int CellLength(FillTarget target) { return TargetInfo(target).word ? kWordCellLength : kByteCellLength; }

std::string CellInput(FillTarget target, std::string_view typed)
{
    std::string out;
    const std::size_t length = static_cast<std::size_t>(CellLength(target));
    for (char c : typed) {
        if (out.size() == length)
            break;
        if (c <= kFillHighestChar && isAsciiAlnum(c))
            out += c;
    }
    return out;
}

CellReading ReadCell(FillTarget target, std::string_view text, bool hexValues)
{
    const bool word = TargetInfo(target).word;
    const uint16_t limit = word ? kWordLimit : kByteLimit;
    // octal overflow has the target's own message; hexadecimal the general one
    const uint8_t overflow = hexValues ? kErrTooBig : word ? kErrFillRamValue : kErrFillTableValue;
    std::string_view t = trimmed(text);
    const NumberResult r = hexValues ? ReadHex(t, limit) : ReadOctal(t, limit, overflow);
    if (r.code == kErrNumberFormat)
        return {0, kErrNumberFormat};
    // the readers keep 16 bits, so a value beyond them must be caught first
    while (t.size() > 1 && t.front() == '0')
        t.remove_prefix(1);
    const bool beyondWord = hexValues ? t.size() > kHexWordDigits
                                      : t.size() > kOctalWordDigits || (t.size() == kOctalWordDigits && t[0] > '1');
    if (beyondWord || r.code != 0)
        return {0, overflow};
    return {r.value, 0};
}

// ---- the sheet -----------------------------------------------------------

void FillSheet::Open(FillTarget target)
{
    target_ = target;
    goTo_ = false;
    goToText_.clear();
    const int n = TargetInfo(target).entries;
    cells_.assign(static_cast<std::size_t>(n), std::string());
    for (int i = 0; i < n; ++i)
        cells_[static_cast<std::size_t>(i)] = ValueText(target, stored(i), hexValues_);
}

std::string FillSheet::Caption() const
{
    return std::string(kFillCaptionPrefix) + std::string(TargetInfo(target_).name);
}

void FillSheet::SetCell(int row, std::string_view typed)
{
    if (row >= 0 && row < Entries())
        cells_[static_cast<std::size_t>(row)] = CellInput(target_, typed);
}

void FillSheet::Choose(int row, int item)
{
    if (row >= 0 && row < Entries() && item >= 0 && item < kFillListItems)
        cells_[static_cast<std::size_t>(row)] = ChoiceText(item, koi8_, hexValues_);
}

FillFailure FillSheet::SetHexValues(bool on)
{
    if (on == hexValues_)
        return {};
    std::vector<std::string> converted(cells_.size());
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const CellReading r = ReadCell(target_, cells_[i], hexValues_);
        if (r.code != 0)
            return {static_cast<int>(i), r.code};
        converted[i] = ValueText(target_, r.value, on);
    }
    cells_ = std::move(converted);
    hexValues_ = on;
    return {};
}

FillFailure FillSheet::Check() const
{
    for (std::size_t i = 0; i < cells_.size(); ++i) {
        const CellReading r = ReadCell(target_, cells_[i], hexValues_);
        if (r.code != 0)
            return {static_cast<int>(i), r.code};
    }
    return {};
}

FillFailure FillSheet::Enter()
{
    if (const FillFailure f = Check())
        return f;
    for (int i = 0; i < Entries(); ++i)
        store(i, ReadCell(target_, cells_[static_cast<std::size_t>(i)], hexValues_).value);
    return {};
}

void FillSheet::Clear() { std::fill(cells_.begin(), cells_.end(), std::string(kFillClearedCell)); }

uint16_t FillSheet::stored(int entry) const
{
    const std::size_t e = static_cast<std::size_t>(entry);
    switch (target_) {
    case FillTarget::Zg1: return controller_.Zg1[e];
    case FillTarget::Zg2: return controller_.Zg2[e];
    case FillTarget::Zg3: return controller_.Zg3[e];
    case FillTarget::Zg4: return controller_.Zg4[e];
    case FillTarget::Kg: return controller_.Kg[e];
    case FillTarget::DataRam: return machine_.Ram[e];
    }
    return 0;
}

void FillSheet::store(int entry, uint16_t value)
{
    const std::size_t e = static_cast<std::size_t>(entry);
    const uint8_t byte = static_cast<uint8_t>(value);
    switch (target_) {
    case FillTarget::Zg1: controller_.Zg1[e] = byte; break;
    case FillTarget::Zg2: controller_.Zg2[e] = byte; break;
    case FillTarget::Zg3: controller_.Zg3[e] = byte; break;
    case FillTarget::Zg4: controller_.Zg4[e] = byte; break;
    case FillTarget::Kg: controller_.Kg[e] = byte; break;
    case FillTarget::DataRam: machine_.Ram[e] = value; break;
    }
}

// ---- go-to ---------------------------------------------------------------

void FillSheet::BeginGoTo()
{
    goTo_ = true;
    goToText_.clear();
}

void FillSheet::GoToKey(char key)
{
    if (goTo_ && key >= '0' && key <= '7')
        goToText_ += key;
}

std::optional<int> FillSheet::EndGoTo()
{
    if (!goTo_)
        return std::nullopt;
    goTo_ = false;
    const std::string typed = std::move(goToText_);
    goToText_.clear();
    if (typed.empty())
        return std::nullopt;
    // a bad number only cancels the jump: the reader's code is not reported
    const NumberResult n = ReadOctal(typed, kWordLimit);
    if (n.code != 0 || n.value >= Entries() || typed.size() > kOctalWordDigits)
        return std::nullopt;
    return n.value;
}

// ---- list and segment entry ----------------------------------------------

void FillSheet::SetListEnabled(bool enabled, int uses)
{
    listEnabled_ = enabled;
    segmentUses_ = enabled ? 0 : std::max(uses, 0);
}

uint8_t FillSheet::SegmentCode(int row) const
{
    if (row < 0 || row >= Entries())
        return 0;
    // silent: a cell that does not read opens the viewer on an empty figure
    const CellReading r = ReadCell(target_, cells_[static_cast<std::size_t>(row)], hexValues_);
    return r.code == 0 && r.value <= kByteLimit ? static_cast<uint8_t>(r.value) : 0;
}

void FillSheet::SegmentViewerClosed(int row, bool aborted, uint8_t code)
{
    if (!SegmentEntryActive() || aborted)
        return;
    if (row >= 0 && row < Entries())
        cells_[static_cast<std::size_t>(row)] = ValueText(target_, code, hexValues_);
    if (--segmentUses_ == 0)
        listEnabled_ = true;
}

}  // namespace ravx
