#include "training/TaskConventions.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "machine/Codepage.h"
#include "machine/_Asm_text.h"

namespace ravx::training {

namespace {

constexpr unsigned kLastStatementRow = 0x1F2;  // the ППОП address names a statement row

bool IsSeparator(char c) { return c == ';' || c == ' ' || c == ','; }

int WidthOf(uint8_t code)
{
    switch (code) {
    case kWidth16: return 16;
    case kWidth8: return 8;
    case kWidth4: return 4;
    default: return 0;
    }
}

std::vector<TaskChar> UpperChars(std::string_view cp1251)
{
    std::vector<TaskChar> out;
    int group = -1;
    int groups = 0;
    for (char c : cp1251) {
        if (IsSeparator(c))
            continue;
        if (c == '(') {
            group = groups++;
        } else if (c == ')') {
            group = -1;
        } else {
            out.push_back({Cp1251ToUtf8(std::string_view(&c, 1)), group});
        }
    }
    return out;
}

}  // namespace

std::string ByteText(uint8_t v) { return hex2(v).str() + "h"; }

std::string RamFormName(uint8_t ram) { return "«" + RamContentsText(ram).value_or("?") + "»"; }

std::optional<TaskTerms> ReadTaskTerms(std::span<const uint8_t> file, int number, TaskKind kind, std::string* error)
{
    auto fail = [&](std::string why) -> std::optional<TaskTerms> {
        if (error)
            *error = "задание " + std::to_string(number) + ": " + std::move(why);
        return std::nullopt;
    };
    if (number < 1 || number > kTaskCount)
        return fail("номер вне 1..22");
    const std::size_t base = static_cast<std::size_t>(number - 1) * kRecordSize;
    if (file.size() < base + kRecordSize)
        return fail("файл заданий короче записи");
    const auto record = file.subspan(base, kRecordSize);
    TaskTerms t;
    t.number = number;
    t.kind = kind;
    const int k = static_cast<int>(kind);
    const bool analysis = kind == TaskKind::SensorAnalysis;
    std::size_t at = analysis ? kAnalysisBytesOffset : kKindBytesOffset + kKindBytesSize * k;
    t.rightEntry = record[at++] == kOrderLowFirst;
    if (!analysis) {
        t.ram = record[at++];
        if (!RamContentsText(t.ram))
            return fail("неизвестный вид данных в ОЗУ индикации");
    }
    t.width = WidthOf(record[at++]);
    t.rows = record[at];
    if (t.width == 0 || (t.rows != kRows1 && t.rows != kRows2))
        return fail("неизвестная разрядность или число линеек");
    const bool flag = record[kFlagsOffset + k] != kFlagNo;
    (analysis ? t.lowDigitBelow : t.codeGenerator) = flag;

    auto text = [&](std::size_t offset) { return ReadText(record, offset).value_or(std::string()); };
    t.upper = UpperChars(text(kIndicatorOffset));
    if (t.rows == kRows2)
        for (const std::string& item : LaySecondRow(text(kSecondRowOffset)))
            if (!item.empty())
                t.lower.push_back(item);
    t.p1 = Cp1251ToUtf8(text(kP1Offset));
    t.p2 = Cp1251ToUtf8(text(kP2Offset));
    t.cpuClock = Cp1251ToUtf8(text(kCpuClockOffset));
    t.pkkiClock = Cp1251ToUtf8(text(kPkkiClockOffset));
    const std::string ppop = text(kPpopOffset);
    unsigned address = 0;
    if (ppop.empty() || std::sscanf(ppop.c_str(), "%x", &address) != 1 || address > kLastStatementRow)
        return fail("адрес ППОП «" + ppop + "» не 16-ричный номер строки");
    t.ppop = static_cast<uint16_t>(address);
    if (static_cast<int>(t.upper.size()) > t.width || static_cast<int>(t.lower.size()) > t.width)
        return fail("текст длиннее разрядности дисплея");
    return t;
}

// ---- the conventions ----------------------------------------------------------

const std::vector<std::vector<std::string_view>> kKeyLayout = {
    {"0", "1", "2", "3", "4", "5", "6", "7"}, {"8", "9", "A", "b", "C", "d", "E", "F"},
    {"H", "J", "L", "P", "U", "o", "Г", "П"}, {"г", "п", "-", "_", "=", "'", "^", "]"},
    {".", "l", "I", "@"},
};

std::optional<KeyPosition> KeyFor(std::string_view character)
{
    for (std::size_t r = 0; r < kKeyLayout.size(); ++r)
        for (std::size_t c = 0; c < kKeyLayout[r].size(); ++c)
            if (kKeyLayout[r][c] == character)
                return KeyPosition{static_cast<int>(r), static_cast<int>(c)};
    return std::nullopt;
}

std::optional<uint8_t> HexDigitValue(std::string_view character)
{
    const auto key = KeyFor(character);
    if (key && key->code() < 16)
        return key->code();
    return std::nullopt;
}

std::optional<int> ClockDivisor(std::string_view frequency)
{
    std::string number;
    std::size_t i = 0;
    for (; i < frequency.size() && (std::isdigit(static_cast<unsigned char>(frequency[i])) || frequency[i] == ',' ||
                                    frequency[i] == '.');
         ++i)
        number += frequency[i] == ',' ? '.' : frequency[i];
    if (number.empty())
        return std::nullopt;
    double value = std::atof(number.c_str());
    const std::string_view unit = frequency.substr(i);
    if (unit.find("МГц") != std::string_view::npos)
        value *= 1000;
    else if (unit.find("кГц") == std::string_view::npos)
        return std::nullopt;
    const long divisor = std::lround(value / 100);
    if (divisor < 2 || divisor > 31 || std::fabs(divisor * 100 - value) > 1e-6)
        return std::nullopt;
    return static_cast<int>(divisor);
}

std::optional<std::array<uint8_t, 8>> SensorRows(std::string_view p1)
{
    std::array<uint8_t, 8> rows{};
    bool any = false;
    std::size_t start = 0;
    while (start < p1.size()) {
        std::size_t end = p1.find(';', start);
        if (end == std::string_view::npos)
            end = p1.size();
        const std::string_view part = p1.substr(start, end - start);
        start = end + 1;
        const std::size_t colon = part.find(':');
        if (colon == std::string_view::npos)
            return std::nullopt;
        // the rows: single digits, "a..b" for a range
        std::vector<int> numbers;
        const std::string_view names = part.substr(0, colon);
        for (std::size_t i = 0; i < names.size(); ++i) {
            if (names[i] < '0' || names[i] > '7')
                continue;
            const int row = names[i] - '0';
            if (names.substr(i + 1, 2) == ".." && i + 3 < names.size() && names[i + 3] >= '0' && names[i + 3] <= '7') {
                for (int r = row; r <= names[i + 3] - '0'; ++r)
                    numbers.push_back(r);
                i += 3;
            } else {
                numbers.push_back(row);
            }
        }
        // the codes: two hexadecimal digits each
        std::vector<uint8_t> codes;
        const std::string_view values = part.substr(colon + 1);
        for (std::size_t i = 0; i < values.size();) {
            if (!std::isxdigit(static_cast<unsigned char>(values[i]))) {
                ++i;
                continue;
            }
            std::size_t j = i;
            while (j < values.size() && std::isxdigit(static_cast<unsigned char>(values[j])))
                ++j;
            if (j - i != 2)
                return std::nullopt;
            codes.push_back(static_cast<uint8_t>(std::stoi(std::string(values.substr(i, 2)), nullptr, 16)));
            i = j;
        }
        if (numbers.empty() || numbers.size() != codes.size())
            return std::nullopt;
        for (std::size_t n = 0; n < numbers.size(); ++n)
            rows[numbers[n]] = codes[n];
        any = true;
    }
    if (!any)
        return std::nullopt;
    return rows;
}

namespace {

std::string Cw1Text(const TaskTerms& t)
{
    const auto d = ClockDivisor(t.pkkiClock);
    if (!d)
        return {};
    return "; CW1 = " + ByteText(static_cast<uint8_t>(0x20 | *d));
}

}  // namespace

std::string KindSummary(const TaskTerms& t)
{
    std::string s;
    switch (t.kind) {
    case TaskKind::Standard: s = "Весь текст выводит сама программа, ввода нет"; break;
    case TaskKind::Game:
        s = "Цветные группы набираются клавишами; программа опрашивает FIFO без прерываний";
        if (t.codeGenerator)
            s += ", КГ переводит код клавиши в " + RamFormName(t.ram);
        break;
    case TaskKind::GameWithPsoo:
        s = "Цветные группы набираются клавишами; коды читает ППОП со строки " +
            std::string(hex4(t.ppop).view().substr(1));
        if (t.codeGenerator)
            s += ", КГ переводит код клавиши в " + RamFormName(t.ram);
        break;
    case TaskKind::Strobed:
        s = "Цветные группы приходят по стробу, байт на символ: ";
        s += t.codeGenerator ? "код клавиши, КГ переводит его в " + RamFormName(t.ram)
                             : "код символа в виде " + RamFormName(t.ram);
        break;
    case TaskKind::SensorAnalysis:
        s = "Датчики замкнуты по П1 (коды строк); программа читает ОЗУ датчиков и выводит результат по П2";
        break;
    }
    return s + Cw1Text(t);
}

// ---- the checker --------------------------------------------------------------

std::string SetupText(const GeneratorSetup& s)
{
    std::string text = s.generator == 0   ? std::string("без знакогенератора")
                       : s.generator == 3 ? std::string("ЗГ3/ЗГ4")
                                          : "ЗГ" + std::to_string(s.generator);
    if (s.codeGenerator)
        text += ", КГ";
    return text;
}

std::vector<GeneratorSetup> AllowedSetups(const TaskTerms& t)
{
    if (t.rows == kRows2)
        return {{3, t.codeGenerator}};
    if (t.kind == TaskKind::SensorAnalysis)
        return {{0, false}, {1, false}, {2, false}};
    if (t.ram == kRamSegments)
        return {{0, t.codeGenerator}};
    return {{1, t.codeGenerator}, {2, t.codeGenerator}};
}

}  // namespace ravx::training
