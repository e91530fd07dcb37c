// The controller's port side: reset, address decoding, command words, data
// and status access, interrupt acknowledge and the INT line.
#include "controller/Timer.h"

#include "machine/_Asm.h"
#include "machine/_Asm_errors.h"
#include "machine/_Asm_text.h"

namespace ravx {

void TRavx::Reset()
{
    touched();
    LastClearWord = 0;
    FifoReadPtr = FifoWritePtr = 0;
    Prescaler = kCw1PrescalerMask;
    RamAddress = 0;
    FifoCount = 0;
    DebounceCount = 0;
    Clearing = false;
    SpecialErrorMode = false;
    ModeRollover = ModeSensor = ModeStrobed = false;
    ModeLockout = true;
    Display16 = true;
    RightEntry = false;
    DecodedScan = false;
    ReadFifo = true;
    AutoIncrement = false;
    ClearToFF = ClearTo20 = false;
    WriteEnableA = WriteEnableB = true;
    FifoWriteEnable = true;
    setIntLine(false);
    BlankA = BlankB = false;
    EndInterruptSeen = false;
    ErrorFlag = false;
    DisplayFrozen = false;
    ScanCounter = 0;
    UnderrunFlag = false;
    for (auto& entry : DisplayRam)
        entry = static_cast<uint8_t>(rng_() % 255);  // 0..254
    SensorRam.fill(0);
    SensorChangePending = false;
    RolloverHold = false;
    BusData = 0;
    Command = 0;

    panel_.CyclC = "0";
    panel_.BDC = "1";
    panel_.DGridCols = kDisplayPositions;
    ShowOzui(255);
    panel_.RgAC = "00";
    panel_.STk = "00";
    host_.displayRamChanged();
    host_.fillDialogListEnabled(true, 0);
}

void TRavx::setIntLine(bool level)
{
    IntLine = level;
    panel_.intC = level ? "1" : "0";
    if (!level)
        SensorIntInService = false;
}

void TRavx::AcknowledgeInterrupt()
{
    touched();
    if (ModeSensor)
        SensorIntInService = true;
    // Rollover with special error mode: the interrupt reports the keys, which
    // are let go now when the student asked for auto-release.
    if (ModeRollover && SpecialErrorMode && panel_.AutoRelease)
        panel_.ReleaseAllKeys();
}

void TRavx::reportError(uint8_t code) { ReportError(m_, host_, code); }

// ---- writes ----------------------------------------------------------------

PortRegister TRavx::DecodePort(uint16_t port) const
{
    if (port == PortBase)
        return PortRegister::Data;
    if (port == static_cast<uint16_t>(PortBase + 1))
        return PortRegister::Command;
    return PortRegister::None;
}

void TRavx::WritePort(PortRegister reg, uint8_t value)
{
    if (PortWatch)
        PortWatch(reg, true, value);
    CommandAccess = reg == PortRegister::Command;
    PortWriteActive = true;
    BusData = value;
    panel_.CS = "0";
    panel_.D = bin8(BusData);
    // a display RAM write leaves an idle controller idle: the refresh reads
    // the RAM and the address afresh at every cycle
    if (CommandAccess) {
        touched();
        commandWrite();
    } else {
        pinsMoved_ = fifoMarksMoved_ = true;
        dataWrite();
    }
    Command = 0;
    BusData = 0;
    PortWriteActive = false;
}

void TRavx::commandWrite()
{
    Command = BusData >> kCwCommandShift;
    const uint8_t b = BusData;
    switch (Command) {
    case kCw0Mode:
        handleCw0();
        updateBd();
        break;
    case kCw1Clock:
        updateBd();
        showCwLab(1);
        Prescaler = b & kCw1PrescalerMask;  // shown only: the scan moves one position per step
        break;
    case kCw2ReadFifo:
        updateBd();
        showCwLab(2);
        ReadFifo = true;
        if (ModeSensor) {
            AutoIncrement = b & kCwAutoIncrement;
            RamAddress = b & kCw2AddressMask;
            showRga();
        }
        break;
    case kCw3ReadDisplay:
        showCwLab(3);
        updateBd();
        ReadFifo = false;
        AutoIncrement = b & kCwAutoIncrement;
        RamAddress = b & kCwAddressMask;
        showRga();
        break;
    case kCw4WriteDisplay:
        updateBd();
        showCwLab(4);
        AutoIncrement = b & kCwAutoIncrement;
        RamAddress = b & kCwAddressMask;
        EntryOffset = b & kCwAddressMask;
        ReadFifo = true;
        showRga();
        break;
    case kCw5Inhibit:
        showCwLab(5);
        WriteEnableB = !(b & kCw5InhibitB);
        WriteEnableA = !(b & kCw5InhibitA);
        BlankB = b & kCw5BlankB;
        BlankA = b & kCw5BlankA;
        updateBd();
        break;
    case kCw6Clear:
        handleCw6Clears();
        ClearToFF = (b & kCw6ClearCodeMask) == kCw6ClearCodeFF;
        ClearTo20 = (b & kCw6ClearCodeMask) == kCw6ClearCode20;
        updateBd();
        if (!(b & (kCw6ClearDisplay | kCw6ClearFifo | kCw6ClearAll)))
            handleCw6Frozen();
        if (b & kCw6ClearFifo)
            setIntLine(false);
        // Every other command word names itself in the load caption; CW6 does too.
        showCwLab(6);
        break;
    case kCw7EndInt:
        if (ModeRollover) {
            SpecialErrorMode = b & kCw7SpecialError;
        } else if (ModeSensor) {
            setIntLine(false);
            SensorWriteReenable = true;
            FifoCount = 0;
            EndInterruptSeen = true;
            panel_.C[7] = "  1";
        }
        updateBd();
        showCwLab(7);
        break;
    default: break;
    }
    SetCW(Command);
    panel_.CWLabVisible = true;
    panel_.IncLab = AutoIncrement ? "A" : "";
}

void TRavx::handleCw0()
{
    const uint8_t b = BusData;
    panel_.Label20 = "0";
    showCwLab(0);
    DecodedScan = b & kCw0DecodedScan;
    applyMode(static_cast<uint8_t>((b & kCw0ModeMask) >> kCw0ModeShift));
    if (ModeSensor) {
        // the sensor matrix holds its switches: no auto-release, no code generator
        panel_.AutoRelease = false;
        CodeGeneratorOn = false;
        SensorRam.fill(0);
        MOZUFill();
    }
    if (ModeStrobed)
        host_.fillDialogListEnabled(false, 3);
    else
        host_.fillDialogListEnabled(true, 0);
    Display16 = b & kCw0Display16;
    RightEntry = b & kCw0RightEntry;

    FifoCount = FifoWritePtr = FifoReadPtr = 0;
    setIntLine(false);
    RamAddress = 0;
    panel_.RgAC = "00";
    EntryOffset = 0;
    FifoWriteEnable = true;
    DebounceCount = 0;
    panel_.CyclC = "0";
    panel_.CtrlChecked = false;
    panel_.ShiftChecked = false;
    reshapePanel();
    SetCW2();
}

void TRavx::applyMode(uint8_t mode)
{
    ModeLockout = mode == kModeLockout;
    ModeRollover = mode == kModeRollover;
    ModeSensor = mode == kModeSensor;
    ModeStrobed = mode == kModeStrobed;
}

void TRavx::handleCw6Clears()
{
    const uint8_t b = BusData;
    LastClearWord = b;
    ClearCountdown = 0;
    if (b & (kCw6ClearDisplay | kCw6ClearAll)) {
        RamAddress = 0;
        panel_.RgAC = "00";
        EntryOffset = 0;
        Clearing = true;
        ClearCountdown = DisplayWidth();
    }
    if (b & (kCw6ClearFifo | kCw6ClearAll))
        clearFifo();
    if (b & kCw6ClearAll)
        ScanCounter = 0;
}

void TRavx::clearFifo()
{
    setIntLine(false);
    RolloverHold = false;
    FifoCount = 0;
    DebounceCount = 0;
    panel_.CyclC = "0";
    DebounceReturn = 0;
    DebounceRow = 0;
    FifoReadPtr = FifoWritePtr = 0;
    SensorChangePending = false;
    ErrorFlag = false;
    UnderrunFlag = false;
    ShowStatus();
    UpdateFifoWriteEnable();
}

void TRavx::handleCw6Frozen()
{
    const uint8_t code = ClearCode();
    OutA = code & 0xF0;
    OutB = code & 0x0F;
    panel_.OUTAC = bin4(OutA >> 4);
    panel_.OutBC = bin4(OutB);
    DisplayFrozen = true;
    for (uint8_t column = 0; column < kDisplayPositions; ++column)
        DrawIndicator(column);
    panel_.BDC = "0";
}

void TRavx::dataWrite()
{
    const uint8_t slot = RamAddress & 0x0F;
    if (!Clearing) {
        uint8_t& entry = DisplayRam[slot];
        if (WriteEnableB)
            entry = static_cast<uint8_t>((entry & 0xF0) | (BusData & 0x0F));
        if (WriteEnableA)
            entry = static_cast<uint8_t>((entry & 0x0F) | (BusData & 0xF0));
        host_.displayRamChanged();
        ShowOzui(slot);
    }
    if (AutoIncrement)
        ++RamAddress;
    // An address loaded beyond the display width (CW4 with 8..15 on an
    // 8-character display) never reaches the wrap point, so it also wraps
    // past the last entry instead of running out of the RAM.
    if (RamAddress == DisplayWidth() || RamAddress > 15)
        RamAddress = 0;
    showRga();
}

// ---- reads -----------------------------------------------------------------

uint8_t RavxState::StatusByte() const
{
    const uint8_t c = FifoCount;
    uint8_t s = c & kStatusCountMask;
    if (c == 0 && !Clearing)
        s |= kStatusEmpty;
    if (c > 7)
        s |= kStatusFull;
    if ((ModeSensor && c != 0) || (ModeRollover && SpecialErrorMode && ErrorFlag))
        s |= kStatusErrorOrSensor;
    if (Clearing || (!WriteEnableA && !WriteEnableB))
        s |= kStatusDisplayUnavailable;
    return s;
}

uint8_t TRavx::ReadPort(PortRegister reg, uint8_t al)
{
    touched();
    CommandAccess = reg == PortRegister::Command;
    panel_.CS = "0";
    const uint8_t value = CommandAccess ? statusRead() : dataRead(al);
    if (PortWatch)
        PortWatch(reg, false, value);
    return value;
}

uint8_t TRavx::statusRead()
{
    const uint8_t s = StatusByte();
    UnderrunFlag = false;
    ShowStatus();
    panel_.D = bin8(s);
    showRga();
    UpdateFifoWriteEnable();
    return s;
}

uint8_t TRavx::dataRead(uint8_t al)
{
    uint8_t result;
    bool underrun = false;
    if (!ReadFifo) {
        ComputeOutputs(RamAddress & 0x0F);
        result = static_cast<uint8_t>(OutA + OutB);
    } else if (!ModeSensor) {
        if (FifoCount > 0) {
            result = SensorRam[FifoReadPtr & 7];
            FifoReadPtr = (FifoReadPtr + 1) & 7;
        } else {
            underrun = true;
            UnderrunFlag = true;
            ShowStatus();
            result = al;
            reportError(kErrFifoEmpty);
            m_.ErrorCode = 0;  // the IN goes on after the window
        }
    } else {
        // CW4 can leave an address of 8..15 behind; the sensor RAM has 8 rows
        result = SensorRam[RamAddress & 7];
    }

    if (ReadFifo) {
        if (ModeSensor && !AutoIncrement) {
            setIntLine(false);
            FifoCount = 0;
            SensorWriteReenable = true;
        } else if (FifoCount > 0) {
            --FifoCount;
            panel_.STk = hex2(FifoCount);
            if (FifoCount == 0)
                setIntLine(false);
        }
    }
    if (AutoIncrement && (!ReadFifo || ModeSensor)) {
        ++RamAddress;
        if (RamAddress > 15 || (ReadFifo && ModeSensor && RamAddress > 7))
            RamAddress = 0;
    }
    panel_.D = bin8(result);
    // A read that found the FIFO empty delivered nothing, so nothing passes
    // the code generator either: AL keeps its value.
    if (CodeGeneratorOn && !underrun) {
        result = Kg[result];
        panel_.KodL = bin8(result);
    }
    showRga();
    UpdateFifoWriteEnable();
    return result;
}

void TRavx::UpdateFifoWriteEnable()
{
    if ((!ModeSensor && FifoCount < 8 && !ErrorFlag) || (ModeSensor && SensorWriteReenable && AutoIncrement) ||
        (ModeSensor && !AutoIncrement && FifoCount == 0))
        FifoWriteEnable = true;
    if ((!ModeSensor && FifoCount >= 8) || (ModeRollover && ErrorFlag) || (ModeSensor && FifoCount != 0 && IntLine))
        FifoWriteEnable = false;
}

// ---- the cycle -------------------------------------------------------------

void TRavx::Tick()
{
    const uint8_t scan = ScanValue();
    ScanRow = ScanRowOf(scan, DecodedScan);
    DisplayPos = scan;
    if (!Display16 || DecodedScan)
        DisplayPos = ScanRow;

    CountKeys();
    if (ModeLockout || ModeRollover)
        Debounce();
    if (Clearing)
        ClearStep();
    if (ModeSensor)
        SensorScan();
    if (ModeStrobed && StrobePending)
        TakeStrobe();
    RefreshDisplayPosition();
    UpdateInt();
    ShowStatus();
}

}  // namespace ravx
