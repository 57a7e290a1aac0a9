// The translations stay installed for the whole run.
#include "display/toolkit/Language.h"

#include "display/toolkit/QtLanguage.h"

#include <QApplication>
#include <QTranslator>
#include <cstring>

namespace toolkit {

namespace {

// Qt's Russian translation lacks the kinds of file that the file dialog's type column shows
// for what is not a regular file; regular files are named by the MIME database.
class FileKindTexts : public QTranslator {
  public:
    bool isEmpty() const override { return false; }

    QString translate(const char* context, const char* source, const char*, int) const override {
        if (std::strcmp(context, "QAbstractFileIconProvider") != 0) return {};
        static const char* const kKinds[][2] = {{"Drive", "Диск"},
                                                {"Folder", "Папка"},
                                                {"Shortcut", "Ярлык"},
                                                {"Unknown", "Неизвестно"}};
        for (const auto& kind : kKinds)
            if (std::strcmp(source, kind[0]) == 0) return QString::fromUtf8(kind[1]);
        return {};
    }
};

}  // namespace

void UseRussian() {
    UseQtRussian();
    static FileKindTexts fileKinds;  // asked first; everything else falls through to Qt's
    QApplication::installTranslator(&fileKinds);
}

}  // namespace toolkit
