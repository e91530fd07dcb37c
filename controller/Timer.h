// The keyboard/display controller: registers, modes, memories, the port
// interface with its command words, and the per-step cycle.
#pragma once

#include <array>
#include <cstdint>
#include <random>

#include "../machine/Host.h"
#include "FrontPanel.h"

namespace ravx {

struct MachineState;

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
constexpr uint8_t kCw6ClearCodeMask = 0x0C;  // CD bits 3..2
constexpr uint8_t kCw6ClearCodeFF = 0x0C;
constexpr uint8_t kCw6ClearCode20 = 0x08;
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

constexpr int kFifoSize = 8;
constexpr uint16_t kScanStep = 64;
constexpr uint16_t kScanWrap = 1024;

class TRavx {
public:
    TRavx(MachineState& m, FrontPanel& panel, Host& host) : m_(&m), panel_(&panel), host_(&host) {}

    // ---- fields, in declaration order -----------------------------------
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
    uint8_t ConnectedGenerator = 0;
    bool CodeGeneratorOn = false;
    uint16_t ScanCounter = 0;
    bool UnderrunFlag = false;
    std::array<uint8_t, 16> DisplayRam{};
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

    // ---- operations ------------------------------------------------------
    void Reset();
    void ClearSensorRam() { SensorRam.fill(0); }
    void WritePort(uint8_t al);
    uint8_t ReadPort(uint8_t al);
    void Tick();
    void ShowStatus();
    uint8_t ScanValue() const;
    void SetCW0();
    void SetCW1();
    void SetCW2();
    void SetCW3();
    void SetCW4();
    void SetCW5();
    void SetCW6();
    void SetCW7();
    void SetCW(int n);
    // Rewrites the FIFO list and moves the R/W marks.
    void MOZUFill();
    // Rewrites one display RAM label, or all 16 with 255.
    void ShowOzui(uint8_t position);
    // The clear code of CW6: 20 hex, FF hex or 0.
    uint8_t ClearCode() const { return ClearTo20 ? 0x20 : ClearToFF ? 0xFF : 0x00; }
    uint8_t StatusByte() const;
    KeyboardMode Mode() const
    {
        return ModeRollover ? kModeRollover : ModeSensor ? kModeSensor : ModeStrobed ? kModeStrobed : kModeLockout;
    }
    // Positions on the display RAM wrap at 4 (decoded scan), 16 or 8.
    uint8_t DisplayWidth() const { return DecodedScan ? 4 : Display16 ? 16 : 8; }

    // The random source of the display RAM at reset.
    void Seed(uint32_t seed) { rng_.seed(seed); }

    // Rewires the object to another state and panel (used when copying a
    // whole simulator).
    void Rewire(MachineState& m, FrontPanel& panel, Host& host)
    {
        m_ = &m;
        panel_ = &panel;
        host_ = &host;
    }

private:
    void commandWrite();
    void dataWrite();
    uint8_t statusRead();
    uint8_t dataRead(uint8_t al);
    void handleCw0();
    void handleCw6Clears();
    void handleCw6Frozen();
    void applyMode(uint8_t mode);
    void clearFifo();
    void showCwLab(int n);
    void updateBd();
    void showRga();
    // the input half of the cycle (Timer_input.cpp)
    void CountKeys();
    void Debounce();
    void StoreKey();
    void SensorScan();
    void TakeStrobe();
    void UpdateInt();
    // the output half of the cycle (Timer_display.cpp)
    void ClearStep();
    uint8_t IndicatorColumn() const;
    void RefreshDisplayPosition();

public:
    // Sets OutA/OutB for a display RAM position, blanking applied.
    void ComputeOutputs(uint8_t position);
    // Draws one indicator column from OutA/OutB through the connected generator.
    void DrawIndicator(uint8_t column);
    // The FIFO write-enable rule.
    void UpdateFifoWriteEnable();

private:
    MachineState* m_;
    FrontPanel* panel_;
    Host* host_;
    std::mt19937 rng_{std::random_device{}()};
};

}  // namespace ravx
