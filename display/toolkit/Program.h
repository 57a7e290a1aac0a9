// Messages to the user and the end of the program. Tests replace both.
#pragma once

#include <functional>
#include <string>

class QWidget;

namespace toolkit {

/// Shows the message in a modal box and returns when the user has closed it.
void ShowMessage(QWidget* parent, const std::string& text);

/// Ends the process at once: no further event and no close handling of any window.
void EndProgram();

void SetMessagePresenterForTesting(std::function<void(const std::string& text)> present);
void SetProgramEndForTesting(std::function<void()> end);

}  // namespace toolkit
