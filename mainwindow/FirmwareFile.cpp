#include "mainwindow/FirmwareFile.h"

#include <istream>
#include <ostream>
#include <span>
#include <string_view>
#include <vector>

#include "mainwindow/FileError.h"
#include "mainwindow/FileName.h"
#include "mainwindow/SafeSave.h"

namespace ravx {

namespace {

enum class Field { Zg1, Zg2, Zg3, Zg4, Kg, RamHigh, RamLow };

// The bytes of one index, in file order, for each block of indexes.
constexpr std::array kAllTablesFields = {Field::Zg1, Field::Zg2,     Field::Zg3,   Field::Zg4,
                                         Field::Kg,  Field::RamHigh, Field::RamLow};
constexpr std::array kLongTablesFields = {Field::Zg1, Field::Zg2, Field::Kg, Field::RamHigh, Field::RamLow};
constexpr std::array kRamFields = {Field::RamHigh, Field::RamLow};

constexpr size_t kShortTableSize = 16;
constexpr size_t kLongTableSize = 256;
constexpr size_t kStoredRamCells = kRamWritableLast + 1;

struct Block {
    size_t firstIndex;
    size_t endIndex;
    std::span<const Field> fields;
};

constexpr std::array<Block, 3> kBlocks = {{
    {0, kShortTableSize, kAllTablesFields},
    {kShortTableSize, kLongTableSize, kLongTablesFields},
    {kLongTableSize, kStoredRamCells, kRamFields},
}};

constexpr size_t LayoutSize()
{
    size_t size = 0;
    for (const Block& b : kBlocks)
        size += (b.endIndex - b.firstIndex) * b.fields.size();
    return size;
}
static_assert(LayoutSize() == kFirmwareFileSize, "the blocks must cover the dump exactly");

constexpr int kByteBits = 8;
constexpr uint16_t kLowByteMask = 0x00FF;
constexpr uint16_t kHighByteMask = 0xFF00;

uint8_t GetByte(const FirmwareTables& t, Field field, size_t i)
{
    switch (field) {
    case Field::Zg1: return t.zg1[i];
    case Field::Zg2: return t.zg2[i];
    case Field::Zg3: return t.zg3[i];
    case Field::Zg4: return t.zg4[i];
    case Field::Kg: return t.kg[i];
    case Field::RamHigh: return static_cast<uint8_t>(t.ram[i] >> kByteBits);
    case Field::RamLow: return static_cast<uint8_t>(t.ram[i] & kLowByteMask);
    }
    return 0;
}

// Each RAM byte lands on its own, so a dump that ends between the two bytes
// of a cell leaves that cell with its new high byte and its old low byte.
void SetByte(const FirmwareTables& t, Field field, size_t i, uint8_t byte)
{
    switch (field) {
    case Field::Zg1: t.zg1[i] = byte; break;
    case Field::Zg2: t.zg2[i] = byte; break;
    case Field::Zg3: t.zg3[i] = byte; break;
    case Field::Zg4: t.zg4[i] = byte; break;
    case Field::Kg: t.kg[i] = byte; break;
    case Field::RamHigh: t.ram[i] = static_cast<uint16_t>((t.ram[i] & kLowByteMask) | (byte << kByteBits)); break;
    case Field::RamLow: t.ram[i] = static_cast<uint16_t>((t.ram[i] & kHighByteMask) | byte); break;
    }
}

// Calls visit(field, index) for every byte of the dump in file order while
// it returns true.
template <class Visit>
void ForEachByte(Visit&& visit)
{
    for (const Block& b : kBlocks) {
        for (size_t i = b.firstIndex; i < b.endIndex; ++i) {
            for (Field f : b.fields) {
                if (!visit(f, i))
                    return;
            }
        }
    }
}

}  // namespace

FirmwareTables FirmwareTablesOf(RavxState& ravx, MachineState& m)
{
    return FirmwareTables{ravx.Zg1, ravx.Zg2, ravx.Zg3, ravx.Zg4, ravx.Kg, m.Ram};
}

void WriteFirmwareFile(std::ostream& out, const FirmwareTables& tables)
{
    std::vector<char> bytes;
    bytes.reserve(kFirmwareFileSize);
    ForEachByte([&](Field f, size_t i) {
        bytes.push_back(static_cast<char>(GetByte(tables, f, i)));
        return true;
    });
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void WriteFirmwareFile(const std::string& path, const FirmwareTables& tables)
{
    SaveReplacing(path, [&](std::ostream& out) { WriteFirmwareFile(out, tables); });
}

void ReadFirmwareFile(std::istream& in, const FirmwareTables& tables)
{
    std::vector<char> bytes(kFirmwareFileSize);
    in.read(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (in.bad())
        throw FileErrorFromErrno(EIO);
    const auto count = static_cast<size_t>(in.gcount());

    size_t next = 0;
    ForEachByte([&](Field f, size_t i) {
        if (next == count)
            return false;
        SetByte(tables, f, i, static_cast<uint8_t>(bytes[next++]));
        return true;
    });
    if (count < kFirmwareFileSize)
        throw FileError(kErrorReadBeyondEnd);
}

void ReadFirmwareFile(const std::string& path, const FirmwareTables& tables)
{
    std::ifstream in = OpenInputFile(path);
    ReadFirmwareFile(in, tables);
}

std::string FirmwareFileProblem(std::string_view bytes)
{
    if (bytes.empty())
        return "файл пуст";
    if (bytes.size() < kFirmwareFileSize)
        return "файл обрезан: байт " + std::to_string(bytes.size()) + " из " + std::to_string(kFirmwareFileSize);
    return {};
}

std::string SuggestedDumpName(const std::string& lastName)
{
    constexpr std::string_view kDumpExtension = ".dmp";
    const auto [folder, name] = SplitFolder(lastName);
    // the file name up to its own first dot; a dot in a folder name is no extension
    const std::string base = name.substr(0, name.find('.'));
    if (base.empty())
        return {};  // nothing to make a name from: ".dmp" alone would be a hidden file
    return folder + base + std::string(kDumpExtension);
}

}  // namespace ravx
