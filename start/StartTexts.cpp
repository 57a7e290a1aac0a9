// Access to the texts by box, and the box names used in messages.
#include "start/StartTexts.h"

std::string& StartTexts::text(StartBox box) {
    return const_cast<std::string&>(static_cast<const StartTexts&>(*this).text(box));
}

const std::string& StartTexts::text(StartBox box) const {
    switch (box) {
        case StartBox::N:
            return TextN;
        case StartBox::Size1:
            return TextSize1;
        case StartBox::Size2:
            return TextSize2;
        case StartBox::M:
            return TextM;
        case StartBox::IM:
            return TextIM;
        case StartBox::dT:
            return TextdT;
        case StartBox::G:
            return TextG;
        case StartBox::No:
            return TextNo;
    }
    return TextNo;
}

std::string BoxName(StartBox box) {
    switch (box) {
        case StartBox::N:
            return "Количество звезд";
        case StartBox::Size1:
            return "Область пространства";
        case StartBox::Size2:
            return "Область распределения";
        case StartBox::M:
            return "Средняя масса звезд";
        case StartBox::IM:
            return "Средний импульс звезды";
        case StartBox::dT:
            return "Шаг интегрирования";
        case StartBox::G:
            return "Гравитационная постоянная";
        case StartBox::No:
            return "Частота обращения";
    }
    return {};
}
