// The face is chosen once from the font database; sizes are fixed in pixels.
#include "display/toolkit/Fonts.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <cmath>

namespace toolkit {

QString DesignFamily(const QString& preferred) {
    if (QFontDatabase::families().contains(preferred) &&
        QFontDatabase::writingSystems(preferred).contains(QFontDatabase::Cyrillic))
        return preferred;
    // The face that the platform's general font resolves to; Qt still substitutes glyphs.
    return QFontInfo(QFontDatabase::systemFont(QFontDatabase::GeneralFont)).family();
}

int DesignPixels(double points) {
    return static_cast<int>(std::lround(points * 96 / 72));
}

QFont DesignFont(double points) {
    QFont font(DesignFamily());
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(DesignPixels(points));
    return font;
}

void UseDesignFonts() {
    QApplication::setFont(DesignFont(kDefaultFontPoints));
}

}  // namespace toolkit
