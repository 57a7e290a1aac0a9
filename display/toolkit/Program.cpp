// The message box and the immediate end.
#include "display/toolkit/Program.h"

#include <unistd.h>

#include <QMessageBox>
#include <cstdio>

#include "display/toolkit/FocusReturn.h"

namespace toolkit {

namespace {

std::function<void(const std::string&)>& Presenter() {
    static std::function<void(const std::string&)> present;
    return present;
}

std::function<void()>& Ending() {
    static std::function<void()> end;
    return end;
}

}  // namespace

void ShowMessage(QWidget* parent, const std::string& text) {
    if (Presenter()) {
        Presenter()(text);
        return;
    }
    const FocusReturn back(parent);
    QMessageBox::warning(parent, QStringLiteral("Кворакс"), QString::fromStdString(text));
}

void EndProgram() {
    if (Ending()) {
        Ending()();
        return;
    }
    std::fflush(nullptr);
    ::_exit(0);  // files are written whole when each command ends; nothing is left to close
}

void SetMessagePresenterForTesting(std::function<void(const std::string&)> present) {
    Presenter() = std::move(present);
}

void SetProgramEndForTesting(std::function<void()> end) {
    Ending() = std::move(end);
}

}  // namespace toolkit
