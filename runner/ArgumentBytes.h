// Command-line arguments are bytes, and a file name need not be UTF-8. Qt's parser works on
// QStrings, so each argument is carried through it losslessly: UTF-8 as its characters,
// every other byte as a lone surrogate U+DC80..U+DCFF that no UTF-8 text can yield.
#pragma once

#include <QString>
#include <QStringList>
#include <string>
#include <string_view>
#include <vector>

/// The argument as a QString that ArgumentBytes turns back into the same bytes.
QString ArgumentText(std::string_view bytes);

/// The bytes an ArgumentText came from; other texts as UTF-8.
std::string ArgumentBytes(const QString& text);

/// argv as bytes, the program's name first.
std::vector<std::string> ArgumentsOf(int argc, const char* const* argv);
