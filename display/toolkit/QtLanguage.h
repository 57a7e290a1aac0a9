// Qt's own texts in Russian, for a program with or without windows.
#pragma once

namespace toolkit {

/// Loads Qt's Russian translation (the command-line parser's, the dialogs') and makes
/// Russian the default locale. Without the translation installed Qt's texts stay English.
void UseQtRussian();

}  // namespace toolkit
