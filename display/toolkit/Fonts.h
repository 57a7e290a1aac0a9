// The design's fonts: a narrow sans serif with Cyrillic glyphs, sized in pixels because the
// windows are laid out in pixels (twips ÷ 15), whatever dpi the screen reports.
#pragma once

#include <QFont>
#include <QString>

namespace toolkit {

/// The size of the default font of every window, in points.
inline constexpr double kDefaultFontPoints = 8.25;

/// The preferred face when it is installed with Cyrillic glyphs, else the platform's
/// default face (as resolved, e.g. "DejaVu Sans").
QString DesignFamily(const QString& preferred = QStringLiteral("Liberation Sans"));

/// The size in pixels that a size in points has at 96 dpi: 8.25 pt is 11 px, 12 pt is 16 px.
int DesignPixels(double points);

/// The design face at a size given in points, as pixels at 96 dpi.
QFont DesignFont(double points);

/// Makes DesignFont(kDefaultFontPoints) the default font of every window and dialog.
void UseDesignFonts();

}  // namespace toolkit
