// Words for the faults.
#include "core/FpFault.h"

const char* FpFaultText(FpFault fault) {
    switch (fault) {
        case FpFault::None:
            return "нет ошибки";
        case FpFault::InvalidOperation:
            return "недопустимая операция";
        case FpFault::DivisionByZero:
            return "деление на ноль";
        case FpFault::Overflow:
            return "переполнение";
    }
    return "";
}

std::string TickFaultMessage(FpFault fault, long long step) {
    return "Моделирование остановлено на шаге " + std::to_string(step) + ": ошибка вычислений (" +
           FpFaultText(fault) + "). Состояние звезд сохранено таким, каким оно было до этого шага.";
}
