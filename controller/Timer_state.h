// The controller's registers, modes, memories and pins as one plain record,
// with the named fields of its command words, status byte and key codes.
#pragma once

#include <array>
#include <cstdint>

namespace ravx {

// Command numbers (bits 7..5 of a command byte).
enum Cw : uint8_t {
    kCw0Mode = 0,
    kCw1Clock,
    kCw2ReadFifo,
    kCw3ReadDisplay,
    kCw4WriteDisplay,
    kCw5Inhibit,
    kCw6Clear,
    kCw7EndInt
};

// Command word fields.
constexpr uint8_t kCwCommandShift = 5;
constexpr uint8_t kCw0DecodedScan = 0x01;
constexpr uint8_t kCw0ModeMask = 0x06;
constexpr uint8_t kCw0ModeShift = 1;
constexpr uint8_t kCw0Display16 = 0x08;
constexpr uint8_t kCw0RightEntry = 0x10;
constexpr uint8_t kCw1PrescalerMask = 0x1F;
constexpr uint8_t kCwAutoIncrement = 0x10;  // CW2, CW3, CW4
constexpr uint8_t kCwAddressMask = 0x0F;    // CW3, CW4
constexpr uint8_t kCw2AddressMask = 0x07;
constexpr uint8_t kCw5BlankB = 0x01;
constexpr uint8_t kCw5BlankA = 0x02;
constexpr uint8_t kCw5InhibitB = 0x04;
constexpr uint8_t kCw5InhibitA = 0x08;
constexpr uint8_t kCw6ClearAll = 0x01;       // CA
constexpr uint8_t kCw6ClearFifo = 0x02;      // CF
constexpr uint8_t kCw6ClearCodeHigh = 0x08;  // CD bit 3
constexpr uint8_t kCw6ClearCodeLow = 0x04;   // CD bit 2
constexpr uint8_t kCw6ClearCodeMask = kCw6ClearCodeHigh | kCw6ClearCodeLow;
constexpr uint8_t kCw6ClearCodeFF = kCw6ClearCodeHigh | kCw6ClearCodeLow;
constexpr uint8_t kCw6ClearCode20 = kCw6ClearCodeHigh;
constexpr uint8_t kCw6ClearDisplay = 0x10;  // CD enable
constexpr uint8_t kCw7SpecialError = 0x10;

// Keyboard modes as CW0 bits 2..1.
enum KeyboardMode : uint8_t { kModeLockout = 0, kModeRollover = 1, kModeSensor = 2, kModeStrobed = 3 };

// Status byte bits.
constexpr uint8_t kStatusCountMask = 0x0F;
constexpr uint8_t kStatusEmpty = 0x10;
constexpr uint8_t kStatusFull = 0x20;
constexpr uint8_t kStatusErrorOrSensor = 0x40;
constexpr uint8_t kStatusDisplayUnavailable = 0x80;

// A key code: the column in bits 2..0, the row in bits 5..3, and the two
// modifier keys on top.
constexpr uint8_t kKeyShift = 0x40;
constexpr uint8_t kKeyCtrl = 0x80;
constexpr uint8_t KeyCode(int row, int column, bool shift, bool ctrl)
{
    return static_cast<uint8_t>((column + 8 * row) | (shift ? kKeyShift : 0) | (ctrl ? kKeyCtrl : 0));
}

constexpr int kFifoSize = 8;
constexpr int kDisplayPositions = 16;  // display RAM entries and indicator columns
constexpr uint16_t kScanStep = 64;
constexpr uint16_t kScanWrap = 1024;

// The data port's address after start-up, until the settings dialog sets
// the one of the working place.
constexpr uint16_t kInitialPortBase = 0x29;

// The keyboard row scanned at a scan value: the value's low three bits, or
// with decoded scan the index of its one set bit.
constexpr uint8_t ScanRowOf(uint8_t scan, bool decoded)
{
    if (decoded)
        return scan == 1 ? 0 : scan == 2 ? 1 : scan == 4 ? 2 : 3;
    return scan & 7;
}

struct RavxState {
    uint16_t PortBase = 0;
    uint8_t ReturnLines = 0;
    uint8_t ScanRow = 0;
    uint8_t DisplayPos = 0;
    uint8_t OutA = 0;
    uint8_t OutB = 0;
    uint8_t LastClearWord = 0;
    uint8_t FifoReadPtr = 0;
    uint8_t FifoWritePtr = 0;
    uint8_t Prescaler = 0;
    uint8_t RamAddress = 0;
    uint8_t EntryOffset = 0;
    uint8_t FifoCount = 0;
    uint8_t DebounceCount = 0;
    uint8_t DebounceRow = 0;
    uint8_t DebounceReturn = 0;
    bool PortWriteActive = false;
    bool StrobePending = false;
    bool CommandAccess = false;
    bool Clearing = false;
    bool SpecialErrorMode = false;
    bool ModeRollover = false;
    bool ModeLockout = false;
    bool ModeSensor = false;
    bool ModeStrobed = false;
    bool Display16 = false;
    bool RightEntry = false;
    bool DecodedScan = false;
    bool ReadFifo = false;
    bool AutoIncrement = false;
    bool ClearToFF = false;
    bool ClearTo20 = false;
    bool WriteEnableA = false;
    bool WriteEnableB = false;
    bool FifoWriteEnable = false;
    bool IntLine = false;
    bool BlankB = false;
    bool BlankA = false;
    bool EndInterruptSeen = false;
    bool ErrorFlag = false;
    bool SensorIntInService = false;
    bool DisplayFrozen = false;
    uint8_t ConnectedGenerator = 0;  // 0 none, 1 ЗГ1, 2 ЗГ2, 3 the pair ЗГ3/ЗГ4
    bool CodeGeneratorOn = false;    // "Подключить кодогенератор"
    uint16_t ScanCounter = 0;
    bool UnderrunFlag = false;
    std::array<uint8_t, kDisplayPositions> DisplayRam{};
    std::array<uint8_t, kFifoSize> SensorRam{};
    std::array<uint8_t, 256> Zg1{};
    std::array<uint8_t, 256> Zg2{};
    std::array<uint8_t, 16> Zg3{};
    std::array<uint8_t, 16> Zg4{};
    std::array<uint8_t, 256> Kg{};
    bool SensorChangePending = false;
    bool RolloverHold = false;
    bool SensorWriteReenable = false;
    bool SingleKey = false;
    bool MultiKey = false;
    uint8_t HoldRow = 0;
    uint8_t ClearCountdown = 0;
    uint8_t BusData = 0;
    uint8_t Command = 0;

    friend bool operator==(const RavxState&, const RavxState&) = default;

    KeyboardMode Mode() const
    {
        return ModeRollover ? kModeRollover : ModeSensor ? kModeSensor : ModeStrobed ? kModeStrobed : kModeLockout;
    }
    // Positions on the display RAM wrap at 4 (decoded scan), 16 or 8.
    uint8_t DisplayWidth() const { return DecodedScan ? 4 : Display16 ? 16 : 8; }
    // The clear code of CW6: 20 hex, FF hex or 0.
    uint8_t ClearCode() const { return ClearTo20 ? 0x20 : ClearToFF ? 0xFF : 0x00; }
    uint8_t StatusByte() const;
    // The raw scan value: 1, 2, 4 or 8 with decoded scan, else 0..15.
    uint8_t ScanValue() const
    {
        const unsigned pos = ScanCounter / kScanStep;
        return static_cast<uint8_t>(DecodedScan ? 1u << (pos % 4) : pos % 16);
    }
};

}  // namespace ravx
