// The error catalogue and the error routine.
#include <gtest/gtest.h>

#include "Rig.h"
#include "machine/_Asm_errors.h"

namespace ravx::test {
namespace {

TEST(ErrorCatalogue, ComposedLinesAndEmptyLines)
{
    EXPECT_EQ(ErrorMessage(5)[1], "Максимальный адрес ОЗУ равен 3069");
    EXPECT_EQ(ErrorMessage(6)[3], "Максимальный: 07FE (2046)");
    EXPECT_EQ(ErrorMessage(13)[1], "  Адрес начала ППОП не должен превышать 01F3h (499)");
    EXPECT_EQ(ErrorMessage(17)[2], " допустимого 0BFD (3069)");
    const auto e9 = ErrorMessage(9);
    EXPECT_EQ(e9[0], "Отсутствует команда");
    EXPECT_EQ(e9[1], "В ячейке ввода нет команды для выполнения. Введите команду.");
    EXPECT_EQ(e9[2], "");
    EXPECT_EQ(e9[3], "");
    EXPECT_EQ(ErrorMessage(8)[3], "Пример:  mov al,di");  // two blanks, as shown
    EXPECT_EQ(ErrorMessage(14)[1], " Размерность данных, получаемых из клавиатуры без дребезга ");
    EXPECT_EQ(ErrorMessage(21)[0], "Чтение из пустого М-ОЗУ");
    for (int code = kErrFirst; code <= kErrLast; ++code)
        EXPECT_FALSE(ErrorMessage(static_cast<uint8_t>(code))[0].empty()) << code;
    EXPECT_EQ(ErrorMessage(0)[0], "");
    EXPECT_EQ(ErrorMessage(22)[0], "");
}

TEST(ErrorRoutine, SetsCodeCountsAndResetClearsTheCounter)
{
    Rig r;
    ReportError(r.m, r, 12);
    EXPECT_EQ(r.m.ErrorCode, 12);
    EXPECT_EQ(r.m.ErrorCounter, 1);
    EXPECT_EQ(r.errors, std::vector<uint8_t>{12});
    r.exec("pop ax");
    EXPECT_EQ(r.m.ErrorCounter, 2);
    r.sim.ResetKey();
    EXPECT_EQ(r.m.ErrorCounter, 0);
}

}  // namespace
}  // namespace ravx::test
