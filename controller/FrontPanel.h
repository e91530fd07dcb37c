// The front panel: what the main window shows of the controller and the
// inputs the models read or change. The models write these texts at the
// moments the controller's behaviour fixes; the windows only display them.
#pragma once

#include <array>
#include <cstdint>

#include "controller/Timer_state.h"
#include "machine/FixedText.h"

namespace ravx {

constexpr int kMatrixSize = 8;

struct FrontPanel {
    // pins and registers of the controller
    Label CS = "1";
    Label D = "ZZZZZZZZ";
    Label RetC = "11111111";
    Label OUTAC = "0000";
    Label OutBC = "0000";
    Label S30C = "0000";
    Label intC = "1";
    Label BDC = "1";
    Label RgAC = "00";
    Label IncLab = "";
    Label STk = "00";
    Label Stg = "00";   // AWR
    Label Sthv = "00";  // ARD
    Label PSWLab = "00000000";
    Label CyclC = "0";
    std::array<Label, 8> C{};  // C0..C7, the command word labels
    Label CWLab = "Загрузка CW0";
    bool CWLabVisible = false;
    bool Cw2CaptionBlue = false;
    bool Cw3CaptionBlue = false;

    // generators
    Label ZGOutL = "00000000";
    Label ZGOutL1 = "";
    bool ZGOutL1Visible = false;
    Label KodL = "отключен";
    Label NumZGL = "Номер знакогенератора:0";

    // FIFO list ("МОЗУ") and its read/write marks (pixels from the top)
    std::array<Label, kFifoSize> Mozu{};
    int ReadPointTop = FifoMarkTop(0);
    int WritePointTop = FifoMarkTop(0);
    // The FIFO list has a line of 13 pixels per entry, the first 3 pixels down.
    static constexpr int FifoMarkTop(int pointer) { return 13 * pointer + 3; }

    // display RAM labels ("ОЗУ индикации")
    std::array<Label, kDisplayPositions> Ozu{};

    // indicator rows: one character per cell
    int DGridCols = 16;
    int DGridRows = 1;
    std::array<std::array<FixedText<8>, kDisplayPositions>, 2> Indicator{};

    // input matrix: '1' released, '0' pressed; cell [row][column]
    std::array<std::array<char, kMatrixSize>, kMatrixSize> Matrix{};
    int MatrixRows = 8;
    bool MatrixVisible = true;
    int MatrixSelectedRow = 0;
    Label Label20 = "0";  // column mark above column 0
    bool SevenVisible = true;
    bool FourVisible = false;
    Label MGridNum = "000";  // preview code

    // modifier boxes and the octal entry box
    bool CtrlChecked = false;
    bool CtrlEnabled = true;
    Label CtrlCaption = "Ctrl";
    bool ShiftChecked = false;
    bool ShiftEnabled = true;
    Label STRInp = "000";
    bool STRInpVisible = false;

    // settings check boxes the models read or change (the generator choice
    // and the code generator are the controller's ConnectedGenerator and
    // CodeGeneratorOn)
    bool AutoRelease = true;  // "Автоотжатие клавиши" (AutoUpC)
    bool OctalStrobe = true;  // "Ввод 8сс числа (ввод по стробу)" (StrbChk)

    FrontPanel()
    {
        for (auto& row : Matrix)
            row.fill('1');
    }

    void ReleaseAllKeys()
    {
        for (auto& row : Matrix)
            row.fill('1');
        CtrlChecked = false;
        ShiftChecked = false;
    }

    friend bool operator==(const FrontPanel&, const FrontPanel&) = default;
};

}  // namespace ravx
