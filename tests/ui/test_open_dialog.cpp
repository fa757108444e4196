// The open dialog: where it starts, and a "*.wav" filter that shows wave files of any case.
#include "tests/support/doubles.h"
#include "tests/support/fixtures.h"
#include "tests/support/pump.h"

#include "ui/common_dialog.h"
#include "ui/qt_services.h"

#include <QDir>
#include <QFileDialog>
#include <QListView>
#include <QListWidget>
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

// The toolkit's list leaves out a name that is not in the locale's encoding (Latin-1
// "café.wav"); the dialog lists it below, readably, and choosing it gives the name's bytes.
TEST(OpenDialog, ANameNotInTheLocalesEncodingIsListedAndChosenAsItsBytes) {
    TempDir dir;
    const std::string latin1 = dir.File("caf\xE9.wav");
    for (const std::string& file : {latin1, dir.File("plain.wav"), dir.File("caf\xE9.txt")}) {
        WriteFile(file, Bytes{0});
    }
    const auto dialog = MakeOpenDialog(nullptr, kWaveFilter, dir.Path());
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->show();
    auto* unlisted = dialog->findChild<QListWidget*>("unlistedNames");
    ASSERT_NE(unlisted, nullptr);
    EXPECT_TRUE(PumpUntil([&] { return ListedNames(*dialog).count("plain.wav") == 1; }, 5000));
    ASSERT_EQ(unlisted->count(), 1); // not the text file
    EXPECT_TRUE(unlisted->isVisible());
    EXPECT_EQ(unlisted->item(0)->text().toStdString(), "caf\u00E9.wav");
    emit unlisted->itemActivated(unlisted->item(0));
    EXPECT_EQ(dialog->result(), QDialog::Accepted);
    EXPECT_EQ(ChosenFile(*dialog), latin1);

    // A folder without such names shows no extra list.
    TempDir plain;
    WriteFile(plain.File("take.wav"), Bytes{0});
    const auto other = MakeOpenDialog(nullptr, kWaveFilter, plain.Path());
    other->setOption(QFileDialog::DontUseNativeDialog);
    other->show();
    ASSERT_NE(other->findChild<QListWidget*>("unlistedNames"), nullptr);
    EXPECT_FALSE(other->findChild<QListWidget*>("unlistedNames")->isVisible());
    other->hide();
}
