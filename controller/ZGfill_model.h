// The fill dialog without its window: the table a student fills for a
// character generator, the code generator or the first 1024 words of the data
// RAM, the texts of its cells in every format, the check and store of "Ввод",
// the go-to entry and the segment entry mode while strobed input is on.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ravx {

struct MachineState;
struct RavxState;

enum class FillTarget { Zg1, Zg2, Zg3, Zg4, Kg, DataRam };

struct FillTargetInfo {
    FillTarget target;
    int entries;
    std::string_view name;  // in the caption after "Заполнение "
    bool word;              // 16-bit entries (data RAM) rather than bytes
};
const FillTargetInfo& TargetInfo(FillTarget target);

constexpr int kFillDataRamWords = 1024;
// The character list: "прб" and the characters of table rows 2..37.
constexpr int kFillListItems = 37;
// Characters above "f" never reach a cell.
constexpr char kFillHighestChar = 'f';
constexpr std::string_view kFillCaptionPrefix = "Заполнение ";
constexpr std::string_view kFillNumberHead = "№";
constexpr std::string_view kFillValueHead = "Код";
constexpr std::string_view kFillClearedCell = "000";

// Generator entries are bytes, shown as oct3 or hex2 as the lab's tables are.
// Data RAM entries are whole 16-bit words, so their cells are wider: six
// octal digits (up to 177777) or four hexadecimal ones; the entry number of
// 0..1023 likewise takes four octal digits (0000..1777) or three hexadecimal
// ones (000..3FF), so every word can be read back and every entry be named.
constexpr int kByteCellLength = 3;
constexpr int kWordCellLength = 6;

// The text of the list item k (0 = "прб").
std::string ListItemText(int item);
// The value text item k puts into a cell: its seven-segment code (oct3 or
// hex2) with "7сКод", its КОИ8 code with "КОИ8" (the octal digits as listed,
// or hex2 of that number).
std::string ChoiceText(int item, bool koi8, bool hexValues);
// The entry number and value texts of a target.
std::string EntryNumberText(FillTarget target, int entry, bool hexNumbers);
std::string ValueText(FillTarget target, uint16_t value, bool hexValues);
// What a typed text leaves in a cell: characters above "f" and those the
// three-character alphanumeric mask refuses are dropped, the rest is cut to
// the cell's length.
std::string CellInput(FillTarget target, std::string_view typed);
int CellLength(FillTarget target);

// A cell read as a number: value, or the error it reports (0 when it reads).
struct CellReading {
    uint16_t value = 0;
    uint8_t code = 0;
};
CellReading ReadCell(FillTarget target, std::string_view text, bool hexValues);

// The first row that fails a check, with its error; none when all pass.
struct FillFailure {
    int row = -1;
    uint8_t code = 0;
    explicit operator bool() const { return code != 0; }
};

class FillSheet {
public:
    FillSheet(RavxState& controller, MachineState& machine) : controller_(controller), machine_(machine) {}

    // Loads the target's entries into the cells in the current formats.
    void Open(FillTarget target);
    FillTarget Target() const { return target_; }
    int Entries() const { return static_cast<int>(cells_.size()); }
    std::string Caption() const;
    std::string NumberText(int row) const { return EntryNumberText(target_, row, hexNumbers_); }
    const std::string& Cell(int row) const { return cells_.at(static_cast<std::size_t>(row)); }
    // A typed text, through the cell's input rules.
    void SetCell(int row, std::string_view typed);
    // Double click or Enter on list item k: its text into the cell.
    void Choose(int row, int item);

    // "16сс": the number column's base.
    bool HexNumbers() const { return hexNumbers_; }
    void SetHexNumbers(bool on) { hexNumbers_ = on; }
    // "16cc": every cell is read in the old base and rewritten in the new one;
    // when a cell does not read, its error is returned and nothing changes.
    bool HexValues() const { return hexValues_; }
    FillFailure SetHexValues(bool on);
    // "КОИ8" (true) or "7сКод".
    bool Koi8() const { return koi8_; }
    void SetKoi8(bool on) { koi8_ = on; }

    // "Ввод", first pass: the first cell that does not read.
    FillFailure Check() const;
    // "Ввод": checks every cell and, only when all read, stores them all.
    FillFailure Enter();
    // "Очистить".
    void Clear();

    // ---- the go-to entry: Ctrl held, octal digits, Ctrl released ----------
    void BeginGoTo();
    // An octal digit key released while Ctrl is held; other keys are ignored.
    void GoToKey(char key);
    // Ctrl released (or the grid left): the entry named, if the number reads.
    std::optional<int> EndGoTo();
    bool GoToActive() const { return goTo_; }
    const std::string& GoToText() const { return goToText_; }

    // ---- the character list and the segment entry mode ----------------------
    // The list enabled, or disabled with `uses` uses of the segment entry mode
    // (0 uses: disabled only, as the hidden "Скрыть" leaves it).
    void SetListEnabled(bool enabled, int uses);
    bool ListEnabled() const { return listEnabled_; }
    bool SegmentEntryActive() const { return segmentUses_ > 0; }
    int SegmentUses() const { return segmentUses_; }
    // A key typed into the grid in segment entry mode: the code the viewer
    // opens on, the cell read silently (0 when it does not read as a byte).
    uint8_t SegmentCode(int row) const;
    // The viewer closed. Esc spends nothing; otherwise the cell takes the
    // viewer's code and one use is spent; the last use enables the list.
    void SegmentViewerClosed(int row, bool aborted, uint8_t code);

private:
    uint16_t stored(int entry) const;
    void store(int entry, uint16_t value);

    RavxState& controller_;
    MachineState& machine_;
    FillTarget target_ = FillTarget::Zg1;
    std::vector<std::string> cells_;
    bool hexNumbers_ = false;
    bool hexValues_ = false;
    bool koi8_ = false;
    bool goTo_ = false;
    std::string goToText_;
    bool listEnabled_ = true;
    int segmentUses_ = 0;
};

}  // namespace ravx
