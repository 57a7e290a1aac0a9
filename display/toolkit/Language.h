// Qt's own texts and formats in Russian, like the program's, whatever the system locale.
#pragma once

namespace toolkit {

/// Loads Qt's Russian translation (dialog buttons, the file dialog's headers) and makes
/// Russian the default locale (file type names, sizes and dates in the file dialog). Number
/// texts of the program do not depend on it.
void UseRussian();

}  // namespace toolkit
