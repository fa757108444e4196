// The open dialog: where it starts, and a "*.wav" filter that shows wave files of any case.
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/support/pump.h"

#include "ui/common_dialog.h"
#include "ui/qt_services.h"

#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QRegularExpression>
#include <gtest/gtest.h>

#include <set>

namespace {

const std::string kWaveFilter = "Sound Wave Files (*.wav)|*.wav";

// The names the dialog's file list shows.
std::set<std::string> ListedNames(QFileDialog& dialog) {
    const auto* list = dialog.findChild<QListView*>("listView");
    std::set<std::string> names;
    if (list == nullptr) {
        return names;
    }
    const QAbstractItemModel* model = list->model();
    for (int row = 0; row < model->rowCount(list->rootIndex()); ++row) {
        names.insert(model->index(row, 0, list->rootIndex()).data().toString().toStdString());
    }
    return names;
}

// Whether one of the filter's patterns, compared case-sensitively as the desktop's own file
// dialogs compare them, accepts `name`.
bool PatternsAccept(const QString& qtFilter, const QString& name) {
    const qsizetype open = qtFilter.lastIndexOf('(');
    const QString patterns = qtFilter.mid(open + 1, qtFilter.lastIndexOf(')') - open - 1);
    for (const QString& pattern : patterns.split(' ', Qt::SkipEmptyParts)) {
        if (QRegularExpression(QRegularExpression::wildcardToRegularExpression(pattern))
                .match(name)
                .hasMatch()) {
            return true;
        }
    }
    return false;
}

} // namespace

TEST(OpenDialog, StartsInTheFolderOfTheLastChosenFileAndHomeBefore) {
    auto& files = TestServices().files;
    TestServices().Reset();
    CommonDialog dialog(files);
    dialog.Filter = kWaveFilter;
    dialog.SetFileName("/opt/tonvexa/Demo.wav"); // the program's own file is no choice
    files.answers = {std::string("/home/ana/takes/TAKE01.WAV")};
    dialog.ShowOpen();
    EXPECT_EQ(dialog.FileTitle(), "TAKE01.WAV");
    dialog.ShowOpen(); // cancelled
    dialog.ShowOpen();
    dialog.Choose("/media/usb/song.wav");
    dialog.ShowOpen();
    EXPECT_EQ(files.folders,
              (std::vector<std::string>{"", "/home/ana/takes", "/home/ana/takes", "/media/usb"}));
    EXPECT_EQ(dialog.FileName(), "/media/usb/song.wav");
    TestServices().Reset();

    // No folder yet: the toolkit's dialog opens in the user's home folder.
    EXPECT_EQ(MakeOpenDialog(nullptr, kWaveFilter, "")->directory(), QDir::home());
}

TEST(OpenDialog, WaveFilterShowsUpperAndMixedCaseNames) {
    TempDir dir;
    for (const char* name : {"TAKE01.WAV", "take02.wav", "Take03.Wav", "notes.txt"}) {
        WriteFile(dir.File(name), Bytes{0});
    }
    const auto dialog = MakeOpenDialog(nullptr, kWaveFilter, dir.Path());
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->show();
    const std::set<std::string> waves{"TAKE01.WAV", "Take03.Wav", "take02.wav"};
    EXPECT_TRUE(PumpUntil([&] { return ListedNames(*dialog) == waves; }, 5000))
        << ListedNames(*dialog).size() << " names listed";
    dialog->hide();

    // The same filter handed to a desktop dialog that compares names case-sensitively.
    ASSERT_EQ(dialog->nameFilters().size(), 1);
    const QString filter = dialog->nameFilters().constFirst();
    for (const char* name : {"TAKE01.WAV", "take02.wav", "Take03.Wav"}) {
        EXPECT_TRUE(PatternsAccept(filter, name)) << name;
    }
    for (const char* name : {"notes.txt", "take.wave", "wav"}) {
        EXPECT_FALSE(PatternsAccept(filter, name)) << name;
    }
}
