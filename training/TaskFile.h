// The task file "ravx.zad": 22 records of 424 bytes, one per training task,
// each holding the settings of the five task kinds and the texts the tasks
// window shows. This is what the window shows for a task number and a kind,
// worked out from the bytes of the file alone, so it can be tested headless.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace ravx::training {

inline constexpr int kTaskCount = 22;
inline constexpr int kKindCount = 5;
inline constexpr std::size_t kRecordSize = 424;
inline constexpr std::size_t kTaskFileSize = kTaskCount * kRecordSize;

// Offsets within a record and field widths (each text field holds its ending
// zero byte within its width in a well-made file).
inline constexpr std::size_t kKindBytesOffset = 0;  // 4 bytes per kind 0..3
inline constexpr std::size_t kKindBytesSize = 4;
inline constexpr std::size_t kAnalysisBytesOffset = 16;  // 3 bytes, kind 4
inline constexpr std::size_t kFlagsOffset = 19;          // one flag byte per kind
inline constexpr std::size_t kIndicatorOffset = 24;
inline constexpr std::size_t kIndicatorWidth = 100;
inline constexpr std::size_t kP1Offset = 124;
inline constexpr std::size_t kP2Offset = 184;
inline constexpr std::size_t kPTextWidth = 60;
inline constexpr std::size_t kSecondRowOffset = 244;
inline constexpr std::size_t kSecondRowWidth = 150;
inline constexpr std::size_t kPpopOffset = 394;
inline constexpr std::size_t kCpuClockOffset = 404;
inline constexpr std::size_t kPkkiClockOffset = 414;
inline constexpr std::size_t kShortTextWidth = 10;

// Kinds in the order of the kind list of the window.
enum class TaskKind : int { Standard = 0, Game = 1, GameWithPsoo = 2, Strobed = 3, SensorAnalysis = 4 };
inline constexpr std::array<std::string_view, kKindCount> kKindNames = {"Стандартная", "Игровая", "Игровая с ПСОО",
                                                                        "Ввод по стробу", "Анализ МД"};

// Codes of the single bytes.
inline constexpr uint8_t kOrderLowFirst = 1;
inline constexpr uint8_t kRamSegments = 1;
inline constexpr uint8_t kRamKoi8 = 2;
inline constexpr uint8_t kRamKeyCode = 3;
inline constexpr uint8_t kRamHex = 4;
inline constexpr uint8_t kWidth16 = 1;
inline constexpr uint8_t kWidth8 = 2;
inline constexpr uint8_t kWidth4 = 3;
inline constexpr uint8_t kRows1 = 1;
inline constexpr uint8_t kRows2 = 2;
inline constexpr uint8_t kFlagNo = 0;

// Label texts for a byte; nothing for a value outside its list, which leaves
// the label as it was. The output order and the flag have a text for every byte.
std::string OutputOrderText(uint8_t code);
std::optional<std::string> RamContentsText(uint8_t code);
std::optional<std::string> DisplayWidthText(uint8_t code);
std::optional<std::string> RowCountText(uint8_t code);
std::string FlagText(uint8_t code);

inline constexpr std::size_t kGridCells = 25;
inline constexpr uint8_t kMarkNone = 0;
inline constexpr uint8_t kMarkRed = 1;
inline constexpr uint8_t kMarkGreen = 254;

struct IndicatorCell {
    std::string text;  // one character, UTF-8
    uint8_t mark = kMarkNone;
    bool operator==(const IndicatorCell&) const = default;
};
using IndicatorRow = std::array<IndicatorCell, kGridCells>;
using SecondRow = std::array<std::string, kGridCells>;

// Both take the Windows-1251 text as it is in the file.
IndicatorRow LayIndicatorText(std::string_view cp1251);
SecondRow LaySecondRow(std::string_view cp1251);

inline constexpr std::string_view kPlaceholder = "IND";
inline constexpr std::string_view kNotForKind = "*";

// What the tasks window shows. It keeps its texts between displays: a value
// outside its list or a failed read leaves the earlier text standing.
struct TaskDisplay {
    std::string IND{kPlaceholder}, OZU{kPlaceholder}, KOL{kPlaceholder}, LIN{kPlaceholder};
    std::string KOD{kPlaceholder}, MD{kPlaceholder};
    std::string PPOP{kPlaceholder}, PRC{kPlaceholder}, PKKI{kPlaceholder}, IO{kPlaceholder};
    std::string Edit1, Edit2;
    IndicatorRow StringGrid1{};
    SecondRow StringGrid2{};
    bool analysisShown = false;  // П1/П2 shown and the grids hidden (kind 4)
};

inline constexpr const char* kReadBeyondEnd = "Read beyond end of file";

// Displays task `number` (1..22; other numbers read where they point, as the
// number box would) in `kind`, reading `file`, the bytes of the task file.
// `port` is the port number text of the settings. Returns the read error that
// ended the display early, if any; what was filled in before it stays.
std::optional<std::string> ShowTask(std::span<const uint8_t> file, int number, TaskKind kind, std::string_view port,
                                    TaskDisplay& display);

// Reads the zero-ended text at `offset`; nothing when the file ends first.
std::optional<std::string> ReadText(std::span<const uint8_t> file, std::size_t offset);

}  // namespace ravx::training
