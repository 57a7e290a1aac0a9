// The real file dialog, answered as a person would: names typed with and without the filter's
// extension in the save and the open dialog, Save As through it, and its list in Russian
// although Qt's system locale is C.
#include <utime.h>

#include <QAbstractItemView>
#include <QCompleter>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QHeaderView>
#include <QTimer>
#include <QTreeView>
#include <algorithm>
#include <ctime>
#include <memory>

#include "display/FileDialog.h"
#include "display/FileListColumns.h"
#include "tests/display/WindowTestSupport.h"

namespace {

// Before any test: the system locale is C, as on a machine without LANG, so Russian in the
// list can only come from the program; Qt keeps the dialog's state in a folder of the test's.
class SystemLocaleC : public ::testing::Environment {
  public:
    void SetUp() override {
        config_ = std::make_unique<TempFolder>();
        ::setenv("XDG_CONFIG_HOME", config_->path().c_str(), 1);
        Application("C");
    }
    void TearDown() override { config_.reset(); }

  private:
    std::unique_ptr<TempFolder> config_;
};
::testing::Environment* const kSystemLocaleC =
    ::testing::AddGlobalTestEnvironment(new SystemLocaleC);

// Acts on the next modal file dialog once it is open; the act must close it.
void WhenDialogOpens(std::function<void(QFileDialog&)> act) {
    QTimer::singleShot(0, [act] {
        QFileDialog* dialog = nullptr;
        if (!QTest::qWaitFor(
                [&] {
                    dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
                    return dialog != nullptr;
                },
                5000)) {
            ADD_FAILURE() << "no file dialog opened";
            return;
        }
        act(*dialog);
        if (dialog->isVisible()) {
            ADD_FAILURE() << "the file dialog stayed open";
            dialog->reject();
        }
    });
}

// In the working folder, types the name into the dialog's name box and presses its accept
// button. (Enter would go to the completion list that typing opens.)
void TypeName(QFileDialog& dialog, const std::string& name) {
    auto* box = dialog.findChild<QLineEdit*>("fileNameEdit");
    auto* buttons = dialog.findChild<QDialogButtonBox*>();
    ASSERT_TRUE(box && buttons);
    dialog.setDirectory(QDir::currentPath());  // a later dialog opens where the last one was
    QTest::keyClicks(box, QString::fromStdString(name));
    for (QAbstractButton* button : buttons->buttons())
        if (buttons->buttonRole(button) == QDialogButtonBox::AcceptRole)
            QTest::mouseClick(button, Qt::LeftButton);
}

std::string Answer(FileDialog& dialog, bool save, const std::string& typed) {
    WhenDialogOpens([typed](QFileDialog& d) { TypeName(d, typed); });
    dialog.SetFilter(kSnapshotFilter);
    save ? dialog.ShowSave() : dialog.ShowOpen();
    return dialog.FileName();
}

class FileDialogTest : public WindowTest {
  protected:
    FileDialog files;
};

TEST_F(FileDialogTest, SaveGivesATypedNameWithoutExtensionTheFiltersOne) {
    EXPECT_EQ(Answer(files, true, "run1"), path("run1.kvx"));
    EXPECT_EQ(Answer(files, true, "run 2"), path("run 2.kvx"));
    // A name with a dot keeps it as typed.
    EXPECT_EQ(Answer(files, true, "run3.dat"), path("run3.dat"));
    EXPECT_EQ(Answer(files, true, "run4.kvx"), path("run4.kvx"));
}

TEST_F(FileDialogTest, OpenTakesTheNameAsTypedAndEscapeChoosesNothing) {
    WriteAll("run1", "no extension");
    EXPECT_EQ(Answer(files, false, "run1"), path("run1"));
    WhenDialogOpens([](QFileDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    files.ShowOpen();
    EXPECT_EQ(files.FileName(), "");
}

// A typed name that starts like a listed file opens the name box's completion list, a
// window of its own; choosing closes the dialog, and the list must go with it, or it stays
// on the screen above the main window and takes every key meant for it.
TEST_F(FileDialogTest, TheCompletionListGoesWithTheDialog) {
    WriteAll("stars.kvx", "");
    QWidget* list = nullptr;
    WhenDialogOpens([&list](QFileDialog& d) {
        auto* box = d.findChild<QLineEdit*>("fileNameEdit");
        ASSERT_TRUE(box && box->completer());
        list = box->completer()->popup();
        d.setDirectory(QDir::currentPath());
        // The folder's list is read in a thread; type once it is there.
        QTest::qWait(300);
        QTest::keyClicks(box, "sta");
        EXPECT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 5000));
        QTest::keyClick(list, Qt::Key_Down);
        QTest::keyClick(list, Qt::Key_Return);  // takes the name from the list
        if (d.isVisible()) QTest::keyClick(box, Qt::Key_Return);
    });
    files.SetFilter(kSnapshotFilter);
    files.ShowOpen();
    EXPECT_EQ(files.FileName(), path("stars.kvx"));
    ASSERT_NE(list, nullptr);
    EXPECT_FALSE(list->isVisible());
    for (QWidget* window : QApplication::topLevelWidgets())
        EXPECT_FALSE(window->isVisible()) << window->metaObject()->className();
}

// The dialog is kept between showings; what was chosen last time must not be chosen again
// by pressing the accept button at once.
TEST_F(FileDialogTest, EachShowingStartsWithNothingChosen) {
    WriteAll("run1.kvx", "");
    EXPECT_EQ(Answer(files, false, "run1.kvx"), path("run1.kvx"));
    WhenDialogOpens([](QFileDialog& d) {
        QTest::qWait(300);  // the folder's list is read in a thread
        EXPECT_EQ(d.findChild<QLineEdit*>("fileNameEdit")->text(), "");
        for (QAbstractItemView* view : d.findChildren<QAbstractItemView*>()) {
            if (view->selectionModel()) {
                EXPECT_FALSE(view->selectionModel()->hasSelection())
                    << view->objectName().toStdString();
            }
        }
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    files.ShowOpen();
    EXPECT_EQ(files.FileName(), "");
}

// Sets the file's modification time to a local date and time.
void SetModified(const std::string& path, int year, int month, int day, int hour, int minute) {
    std::tm local{};
    local.tm_year = year - 1900, local.tm_mon = month - 1, local.tm_mday = day;
    local.tm_hour = hour, local.tm_min = minute, local.tm_isdst = -1;
    const utimbuf times{std::mktime(&local), std::mktime(&local)};
    ASSERT_EQ(::utime(path.c_str(), &times), 0);
}

// The texts of the dialog's detailed list, "name|size|type|date" per row, once every row of
// the expected number has its type (the file model finds types in a thread of its own).
std::vector<std::string> ListRows(QFileDialog& dialog, int expected) {
    auto* list = dialog.findChild<QTreeView*>();
    std::vector<std::string> rows;
    const bool complete = QTest::qWaitFor(
        [&] {
            rows.clear();
            bool typed = true;
            const QAbstractItemModel* model = list->model();
            const QModelIndex folder = list->rootIndex();
            for (int r = 0; r < model->rowCount(folder); ++r) {
                QStringList cells;
                for (int c = kNameColumn; c <= kDateColumn; ++c)
                    cells << model->index(r, c, folder).data().toString();
                typed = typed && !cells[kTypeColumn].isEmpty();
                rows.push_back(cells.join('|').toStdString());
            }
            return typed && int(rows.size()) == expected;
        },
        5000);
    EXPECT_TRUE(complete) << "the list was not filled in time";
    return rows;
}

// Where a column of the list falls short of its header or of one of its cells: "" when none
// does, and none is hidden beyond the list's right edge. A cell needs what the view's own
// size hint for its column says (its text and the style's margins).
std::string ColumnShortfalls(QTreeView& list) {
    std::string shortfalls;
    QHeaderView* header = list.header();
    auto* view = static_cast<QAbstractItemView*>(&list);  // the size hint is public there
    for (int c = kSizeColumn; c <= kDateColumn; ++c) {
        const int needs = std::max(header->sectionSizeHint(c), view->sizeHintForColumn(c));
        if (header->sectionSize(c) < needs)
            shortfalls += "column " + std::to_string(c) + " has " +
                          std::to_string(header->sectionSize(c)) + " of " + std::to_string(needs) +
                          " pixels; ";
    }
    const int end = header->sectionViewportPosition(kDateColumn) + header->sectionSize(kDateColumn);
    if (end > list.viewport()->width())
        shortfalls += "the list ends at " + std::to_string(end) + " beyond its width " +
                      std::to_string(list.viewport()->width());
    return shortfalls;
}

// The kinds come from the file type that the build folder's data folder gives *.kvx
// (XDG_DATA_DIRS), also for an empty file.
TEST_F(FileDialogTest, ListShowsSizesKindsAndDatesInRussianInColumnsWideEnough) {
    std::filesystem::create_directory("runs");
    WriteBodies("five.kvx", {BodyAt(1, 2, 3)});  // 58 bytes
    WriteAll("empty.kvx", "");
    SetModified("five.kvx", 2024, 3, 5, 14, 7);
    SetModified("empty.kvx", 2023, 11, 30, 9, 5);
    SetModified("runs", 2022, 1, 2, 3, 4);
    std::vector<std::string> rows;
    QString dateHeader;
    std::string shortfalls = "not measured";
    WhenDialogOpens([&](QFileDialog& d) {
        d.setDirectory(QString::fromStdString(path("")));
        rows = ListRows(d, 3);
        auto* list = d.findChild<QTreeView*>();
        dateHeader = list->model()->headerData(kDateColumn, Qt::Horizontal).toString();
        shortfalls = ColumnShortfalls(*list);
        QTest::keyClick(&d, Qt::Key_Escape);
    });
    files.SetFilter(kSnapshotFilter);
    files.ShowOpen();
    // In name order (the view sorts later, in its own time).
    std::sort(rows.begin(), rows.end());
    const std::vector<std::string> expected = {"empty.kvx|0 байт|Снимок Кворакса|30.11.2023 09:05",
                                               "five.kvx|58 байт|Снимок Кворакса|05.03.2024 14:07",
                                               "runs||Папка|02.01.2022 03:04"};
    EXPECT_EQ(rows, expected);
    EXPECT_EQ(dateHeader.toStdString(), "Дата изменения");
    EXPECT_EQ(shortfalls, "");
}

TEST(FileListColumnsTest, SizesInRussianWords) {
    const std::pair<qint64, const char*> cases[] = {
        {0, "0 байт"},         {1, "1 байт"},        {2, "2 байта"},   {4, "4 байта"},
        {5, "5 байт"},         {11, "11 байт"},      {12, "12 байт"},  {14, "14 байт"},
        {21, "21 байт"},       {22, "22 байта"},     {58, "58 байт"},  {112, "112 байт"},
        {1023, "1023 байта"},  {1024, "1,0 КБ"},     {5602, "5,5 КБ"}, {1048576, "1,0 МБ"},
        {5LL << 30, "5,0 ГБ"}, {3LL << 40, "3,0 ТБ"}};
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(FileListColumns::SizeText(bytes).toStdString(), text) << bytes;
}

// The kinds a column must have room for: the snapshots' type by its extension; for an
// extension without a type, what the contents name (unknown data, or an empty file).
TEST(FileListColumnsTest, WidestKindsFollowTheFileTypeOfTheExtension) {
    Application("C");
    const QStringList snapshots = FileListColumns::WidestTexts(kTypeColumn, "kvx");
    EXPECT_EQ(snapshots.join('|').toStdString(), "Папка|Снимок Кворакса");
    const QStringList unknown = FileListColumns::WidestTexts(kTypeColumn, "qqqzz");
    EXPECT_EQ(unknown.join('|').toStdString(), "Папка|Неизвестно|Пустой документ");
    const QStringList dates = FileListColumns::WidestTexts(kDateColumn, "kvx");
    EXPECT_EQ(dates.join('|').toStdString(), "28.12.2000 20:58");
}

class SaveAsThroughTheDialogTest : public WindowTest {
  protected:
    void SetUp() override {
        WindowTest::SetUp();
        program = std::make_unique<KvoraxProgram>(files);
    }
    FileDialog files;
};

TEST_F(SaveAsThroughTheDialogTest, TypedNameGetsTheExtensionAndBecomesTheFileName) {
    FormDraw& draw = StartStopped();
    WhenDialogOpens([](QFileDialog& d) { TypeName(d, "run1"); });
    draw.SaveAs_Click();
    EXPECT_EQ(store().FileName, path("run1.kvx"));
    EXPECT_EQ(ReadAll(path("run1.kvx")).size(), SnapshotSize(100));
    EXPECT_FALSE(std::filesystem::exists(path("run1")));
    EXPECT_TRUE(messages.empty());
}

// After the dialog, accepted or cancelled, the main window has the keyboard again.
TEST_F(SaveAsThroughTheDialogTest, TheMainWindowIsActiveAgainAfterEveryShowing) {
    FormDraw& draw = StartStopped();
    const auto active = [&draw] {
        return QTest::qWaitFor([&] { return QApplication::activeWindow() == &draw; }, 2000);
    };
    ASSERT_TRUE(WaitActive(&draw));
    WhenDialogOpens([](QFileDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    draw.SaveAs_Click();
    EXPECT_TRUE(active()) << "after a cancelled Save As";
    WhenDialogOpens([](QFileDialog& d) { TypeName(d, "run1"); });
    draw.SaveAs_Click();
    EXPECT_TRUE(active()) << "after an accepted Save As";
    WhenDialogOpens([](QFileDialog& d) { QTest::keyClick(&d, Qt::Key_Escape); });
    draw.load_Click();
    EXPECT_TRUE(active()) << "after a cancelled Open";
    EXPECT_EQ(store().FileName, path("run1.kvx"));
}

}  // namespace
