// Access to the texts by box.
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
