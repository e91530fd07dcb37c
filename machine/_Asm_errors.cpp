#include "machine/_Asm_errors.h"

#include "machine/_Asm.h"
#include "machine/_Asm_text.h"

namespace ravx {

std::array<std::string, 4> ErrorMessage(uint8_t code)
{
    const std::string ramLast = dec(kRamLast).str();
    switch (code) {
    case kErrTooBig:
        return {"Число слишком велико для данного формата",
                "Возможные причины ошибки:", " Попытка занесения в регистр слишком большого числа",
                " Например mov al,0FFFh"};
    case kErrNumberFormat:
        return {"Указан неверный формат числа", "Возможные причины ошибки:", " Наличие недопустимых символов в числе;",
                " Например mov ax,098o"};
    case kErrIndexRegister:
        return {"Использован неверный регистр при индексной адресации",
                "При индексной адресации все операции проводятся с регистром bx", "Например mov [bx+1],al", ""};
    case kErrMemToMem:
        return {"Пересылка типа память-память", "Пересылки данного типа невозможны. Воспользуйтесь:", " mov al,[bx]",
                " mov [dx],al"};
    case kErrRamBound: return {"Попытка обращения за границу ОЗУ", "Максимальный адрес ОЗУ равен " + ramLast, "", ""};
    case kErrReadOnly:
        return {"Попытка записи в ОЗУ только для чтения",
                "Запись возможна только по следующим адресам:", "Минимальный: 0",
                "Максимальный: " + hex4(kRamWritableLast).str() + " (" + dec(kRamWritableLast).str() + ")"};
    case kErrIoRegister:
        return {"Неверный регистр при операции ввода/вывода",
                "При операциях ввода-вывода все операции производятся с al", "out dx,al", "in al,23h"};
    case kErrOperandTypes:
        return {"Несовместимые типы операндов", "Проверьте соответствие операндов. Часто ошибка возникает",
                "из-за попытки занесения в al значения регистра-слова.", "Пример:  mov al,di"};
    case kErrNoCommand:
        return {"Отсутствует команда", "В ячейке ввода нет команды для выполнения. Введите команду.", "", ""};
    case kErrUnknownCommand:
        return {"Неизвестная команда", "Введенная команда неизвестна программе.",
                "Просмотрите список возможных команд в помощи.", ""};
    case kErrNoDestination:
        return {"Не указан приемник результата", "Не указан регистр или ячейка памяти для записи результата.",
                "Возможная причина: указание в качестве приемника числа.", "Пример: add 5,al"};
    case kErrFillTableValue:
        return {"Слишком большое число", "  При заполнении ЗГ(КГ) введено число, превосходящее 377", "  (255 ,0FFh).",
                ""};
    case kErrInterruptAddress:
        return {"Неверный адрес начала ППОП",
                "  Адрес начала ППОП не должен превышать " + hex4(kRowLimit).str() + "h (" + dec(kRowLimit).str() + ")",
                "", ""};
    case kErrStrobeValue:
        return {"Слишком большое число", " Размерность данных, получаемых из клавиатуры без дребезга ",
                " контактов равна одному байту (377 в 8сс)", ""};
    case kErrStackOverflow:
        return {"Переполнение стека", " Сохранение в стеке невозможно из-за его переполнения. ",
                " Требуемые данные не сохранены!!!", ""};
    case kErrStackEmpty: return {"Стек пуст", " Чтение из стека невозможно, так как стек пуст. ", "", ""};
    case kErrProcedure:
        return {"Ошибка при вызове процедуры", " При вызове процедуры указан адрес, больший максимально",
                " допустимого " + hex4(kRamLast).str() + " (" + ramLast + ")", ""};
    case kErrFillRamValue:
        return {"Слишком большое число", "  При заполнении ОЗУ данных введено число, превосходящее",
                "  177777 (65535 ,0FFFFh).", ""};
    case kErrUnknownDestination:
        return {"Неизвестный приемник данных", "  Неверно указан приемник данных. Возможная причина: неверно",
                "  указан адрес записи в ОЗУ. Например:", "    mov 21h,al"};
    case kErrMissingOperand:
        return {"Указаны не все операнды", "  Не указан один из операндов или оба операнда.", "  Например: test al",
                ""};
    case kErrFifoEmpty: return {"Чтение из пустого М-ОЗУ", "  Произведено чтение из пустого М-ОЗУ.", "", ""};
    default: return {"", "", "", ""};
    }
}

void ReportError(MachineState& m, Host& host, uint8_t code)
{
    m.ErrorCode = code;
    ++m.ErrorCounter;  // the window counts its showings
    host.reportError(code);
}

void MachineState::Reset()
{
    AX = BX = CX = DX = DI = SI = IP = 0;
    SP = kStackEmpty;
    IF = true;
    ZF = SF = PF = false;
    ErrorCounter = 0;
    RefreshFlags();
}

}  // namespace ravx
