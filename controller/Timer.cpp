// The controller's port side: reset, command words, data and status access,
// and the label texts they write.
#include "Timer.h"

#include "../machine/_Asm.h"
#include "../machine/_Asm_errors.h"
#include "../machine/_Asm_text.h"

namespace ravx {
namespace {
constexpr char kCwLabTexts[8][24] = {"Загрузка CW0", "Загрузка CW1", "Загрузка CW2", "Загрузка CW3",
                                     "Загрузка CW4", "Загрузка CW5", "Загрузка CW6", "Загрузка CW7"};
inline char bit(bool b) { return b ? '1' : '0'; }
}  // namespace

void TRavx::Reset()
{
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
    IntLine = false;
    BlankA = BlankB = false;
    EndInterruptSeen = false;
    ErrorFlag = false;
    SensorIntInService = false;
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

    panel_->CyclC = "0";
    panel_->intC = "0";
    panel_->BDC = "1";
    panel_->DGridCols = 16;
    ShowOzui(255);
    panel_->RgAC = "00";
    panel_->STk = "00";
    host_->displayRamChanged();
    host_->fillDialogListEnabled(true, 0);
}

uint8_t TRavx::ScanValue() const
{
    const unsigned pos = ScanCounter / kScanStep;
    return static_cast<uint8_t>(DecodedScan ? 1u << (pos % 4) : pos % 16);
}

// ---- writes ----------------------------------------------------------------

void TRavx::WritePort(uint8_t al)
{
    BusData = al;
    panel_->CS = "0";
    panel_->D = bin8(BusData);
    if (CommandAccess)
        commandWrite();
    else
        dataWrite();
    Command = 0;
    BusData = 0;
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
        if (b & kCw6ClearFifo) {
            IntLine = false;
            panel_->intC = "0";
            SensorIntInService = false;
        }
        // Every other command word names itself in the load caption; CW6 does too.
        showCwLab(6);
        break;
    case kCw7EndInt:
        if (ModeRollover) {
            SpecialErrorMode = b & kCw7SpecialError;
        } else if (ModeSensor) {
            IntLine = false;
            panel_->intC = "0";
            SensorIntInService = false;
            SensorWriteReenable = true;
            FifoCount = 0;
            EndInterruptSeen = true;
            panel_->C[7] = "  1";
        }
        updateBd();
        showCwLab(7);
        break;
    default: break;
    }
    SetCW(Command);
    panel_->CWLabVisible = true;
    panel_->IncLab = AutoIncrement ? "A" : "";
}

void TRavx::handleCw0()
{
    const uint8_t b = BusData;
    panel_->Label20 = "0";
    showCwLab(0);
    DecodedScan = b & kCw0DecodedScan;
    applyMode(static_cast<uint8_t>((b & kCw0ModeMask) >> kCw0ModeShift));
    if (ModeSensor) {
        panel_->AutoRelease = false;
        panel_->CodeGeneratorChecked = false;
        SensorRam.fill(0);
        MOZUFill();
    }
    if (ModeStrobed)
        host_->fillDialogListEnabled(false, 3);
    else
        host_->fillDialogListEnabled(true, 0);
    Display16 = b & kCw0Display16;
    RightEntry = b & kCw0RightEntry;

    FifoCount = FifoWritePtr = FifoReadPtr = 0;
    IntLine = false;
    panel_->intC = "0";
    SensorIntInService = false;
    RamAddress = 0;
    panel_->RgAC = "00";
    EntryOffset = 0;
    FifoWriteEnable = true;
    DebounceCount = 0;
    panel_->CyclC = "0";
    panel_->CtrlChecked = false;
    panel_->ShiftChecked = false;

    // reshape the matrix, the indicator row and the modifier boxes
    FrontPanel& p = *panel_;
    p.DGridCols = Display16 ? 16 : 8;
    if (DecodedScan) {
        p.MatrixRows = 4;
        p.DGridCols = 4;
        p.SevenVisible = false;
        p.FourVisible = true;
    } else {
        p.MatrixRows = 8;
        p.SevenVisible = true;
        p.FourVisible = false;
    }
    p.CtrlCaption = "Ctrl";
    p.CtrlEnabled = !ModeSensor;
    p.ShiftEnabled = !ModeSensor;
    p.MatrixVisible = true;
    p.STRInpVisible = false;
    if (ModeStrobed) {
        p.SevenVisible = false;
        p.FourVisible = false;
        p.ShiftEnabled = false;
        p.CtrlCaption = "^STB";
        p.Label20 = "7";
        if (p.OctalStrobe) {
            p.STRInpVisible = true;
            p.MatrixVisible = false;
        } else {
            p.MatrixRows = 1;
        }
    }
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
        panel_->RgAC = "00";
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
    IntLine = false;
    panel_->intC = "0";
    SensorIntInService = false;
    RolloverHold = false;
    FifoCount = 0;
    DebounceCount = 0;
    panel_->CyclC = "0";
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
    panel_->OUTAC = bin4(OutA >> 4);
    panel_->OutBC = bin4(OutB);
    DisplayFrozen = true;
    for (uint8_t column = 0; column < kDisplayPositions; ++column)
        DrawIndicator(column);
    panel_->BDC = "0";
}

void TRavx::showCwLab(int n) { panel_->CWLab = kCwLabTexts[n]; }

void TRavx::updateBd() { panel_->BDC = BlankA && BlankB ? "0" : "1"; }

void TRavx::showRga() { panel_->RgAC = hex2(RamAddress); }

void TRavx::dataWrite()
{
    const uint8_t slot = RamAddress & 0x0F;
    if (!Clearing) {
        uint8_t& entry = DisplayRam[slot];
        if (WriteEnableB)
            entry = static_cast<uint8_t>((entry & 0xF0) | (BusData & 0x0F));
        if (WriteEnableA)
            entry = static_cast<uint8_t>((entry & 0x0F) | (BusData & 0xF0));
        host_->displayRamChanged();
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

uint8_t TRavx::StatusByte() const
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

uint8_t TRavx::ReadPort(uint8_t al)
{
    panel_->CS = "0";
    return CommandAccess ? statusRead() : dataRead(al);
}

uint8_t TRavx::statusRead()
{
    const uint8_t s = StatusByte();
    UnderrunFlag = false;
    ShowStatus();
    panel_->D = bin8(s);
    showRga();
    UpdateFifoWriteEnable();
    return s;
}

uint8_t TRavx::dataRead(uint8_t al)
{
    uint8_t result;
    if (!ReadFifo) {
        ComputeOutputs(RamAddress & 0x0F);
        result = static_cast<uint8_t>(OutA + OutB);
    } else if (!ModeSensor) {
        if (FifoCount > 0) {
            result = SensorRam[FifoReadPtr & 7];
            FifoReadPtr = (FifoReadPtr + 1) & 7;
        } else {
            UnderrunFlag = true;
            ShowStatus();
            result = al;
            ReportError(*m_, *host_, kErrFifoEmpty);
            m_->ErrorCode = 0;  // the IN goes on after the window
        }
    } else {
        // CW4 can leave an address of 8..15 behind; the sensor RAM has 8 rows
        result = SensorRam[RamAddress & 7];
    }

    if (ReadFifo) {
        if (ModeSensor && !AutoIncrement) {
            IntLine = false;
            panel_->intC = "0";
            SensorIntInService = false;
            FifoCount = 0;
            SensorWriteReenable = true;
        } else if (FifoCount > 0) {
            --FifoCount;
            panel_->STk = hex2(FifoCount);
            if (FifoCount == 0) {
                IntLine = false;
                panel_->intC = "0";
                SensorIntInService = false;
            }
        }
    }
    if (AutoIncrement && (!ReadFifo || ModeSensor)) {
        ++RamAddress;
        if (RamAddress > 15 || (ReadFifo && ModeSensor && RamAddress > 7))
            RamAddress = 0;
    }
    panel_->D = bin8(result);
    if (panel_->CodeGeneratorChecked) {
        result = Kg[result];
        panel_->KodL = bin8(result);
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

// ---- labels ----------------------------------------------------------------

void TRavx::ShowStatus()
{
    char s[8];
    s[0] = bit(Clearing || (!WriteEnableA && !WriteEnableB));
    if (ModeSensor) {
        s[1] = bit(IntLine);
        for (int i = 2; i < 8; ++i)
            s[i] = '0';
    } else {
        s[1] = bit(ModeRollover && SpecialErrorMode && ErrorFlag);
        s[2] = bit(FifoCount >= 8);
        s[3] = bit(UnderrunFlag);
        for (int i = 0; i < 4; ++i)
            s[4 + i] = bit((FifoCount >> (3 - i)) & 1);
    }
    panel_->PSWLab = std::string_view(s, 8);
}

void TRavx::SetCW(int n)
{
    switch (n) {
    case 0: return SetCW0();
    case 1: return SetCW1();
    case 2: return SetCW2();
    case 3: return SetCW3();
    case 4: return SetCW4();
    case 5: return SetCW5();
    case 6: return SetCW6();
    default: return SetCW7();
    }
}

void TRavx::SetCW0()
{
    const uint8_t mode = Mode();
    const char s[8] = {' ', bit(RightEntry), bit(Display16), ' ', bit(mode & 2), bit(mode & 1), ' ', bit(DecodedScan)};
    panel_->C[0] = std::string_view(s, 8);
}

void TRavx::SetCW1()
{
    Label t = "   ";
    t.append(binN(Prescaler, 5).view());
    panel_->C[1] = t;
}

void TRavx::SetCW2()
{
    if (ModeSensor) {
        Label t = "  ";
        const char ai = bit(AutoIncrement);
        t.append(std::string_view(&ai, 1));
        t.append("  ");
        t.append(binN(RamAddress, 3).view());
        panel_->C[2] = t;
        panel_->C[3] = "  . ....";
        panel_->C[4] = "  . ....";
    } else {
        panel_->C[2] = "  .  ...";
    }
    panel_->Cw2CaptionBlue = true;
    panel_->Cw3CaptionBlue = false;
}

// CW3 and CW4 show the same fields: auto-increment and the RAM address.
static Label addressWordText(bool autoIncrement, uint8_t ramAddress)
{
    const char s[3] = {' ', ' ', bit(autoIncrement)};
    Label t(std::string_view(s, 3));
    t.append(" ");
    t.append(bin4(ramAddress).view());
    return t;
}

void TRavx::SetCW3()
{
    panel_->C[3] = addressWordText(AutoIncrement, RamAddress);
    if (ModeSensor) {
        panel_->C[2] = "  .  ...";
        panel_->C[4] = "  . ....";
    }
    panel_->Cw3CaptionBlue = true;
    panel_->Cw2CaptionBlue = false;
}

void TRavx::SetCW4()
{
    panel_->C[4] = addressWordText(AutoIncrement, RamAddress);
    if (ModeSensor) {
        panel_->C[2] = "  .  ...";
        panel_->C[3] = "  . ....";
    }
}

void TRavx::SetCW5()
{
    const char s[6] = {' ', bit(!WriteEnableA), bit(!WriteEnableB), ' ', bit(BlankA), bit(BlankB)};
    Label t = "  ";
    t.append(std::string_view(s, 6));
    panel_->C[5] = t;
}

void TRavx::SetCW6()
{
    const uint8_t w = LastClearWord;
    char s[8] = {bit(Clearing), ' ', bit(w & 0x08), bit(w & 0x04), ' ', bit(w & 0x02), ' ', bit(w & 0x01)};
    if (!Clearing) {
        s[7] = '.';
        if (!SpecialErrorMode)
            s[5] = '.';
    }
    panel_->C[6] = std::string_view(s, 8);
}

void TRavx::SetCW7()
{
    if (!ModeSensor)
        panel_->C[7] = SpecialErrorMode ? "  1" : "  0";
}

void TRavx::MOZUFill()
{
    for (int n = 0; n < kFifoSize; ++n) {
        Label t = dec(static_cast<unsigned>(n)).view();
        t.append(" ");
        t.append(oct3(SensorRam[n]).view());
        t.append(":");
        t.append(hex2(SensorRam[n]).view());
        panel_->Mozu[n] = t;
    }
    panel_->ReadPointTop = 13 * FifoReadPtr + 3;
    panel_->WritePointTop = 13 * FifoWritePtr + 3;
}

void TRavx::ShowOzui(uint8_t position)
{
    auto show = [this](int i) {
        Label t = hex2(static_cast<unsigned>(i)).view();
        t.append(": ");
        t.append(oct3(DisplayRam[i]).view());
        panel_->Ozu[i] = t;
    };
    if (position == 255) {
        for (int i = 0; i < kDisplayPositions; ++i)
            show(i);
    } else {
        show(position & 0x0F);
    }
}

// ---- the cycle -------------------------------------------------------------

void TRavx::Tick()
{
    const uint8_t scan = ScanValue();
    if (DecodedScan)
        ScanRow = static_cast<uint8_t>(scan == 1 ? 0 : scan == 2 ? 1 : scan == 4 ? 2 : 3);
    else
        ScanRow = scan % 8;
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
