// Files the user hands the program without its dialog: one named on the command line, loaded
// once the start-up demonstration has finished, and one dropped on the frame. Both load as
// File > Open loads a chosen file, through the same reader and its failure path.
#include "notes_fixture.h"

#include "shell/command_line.h"
#include "waveview/waveform_view.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMainWindow>
#include <QMimeData>
#include <QUrl>

#include <functional>

using HandedFiles = NotesTest;

namespace {

const Bytes kGoodWave = MakeWave(1, 16, 11025, 22050, [](int f, int) { return (f % 50) * 400; });
const Bytes kNoWave = {'R', 'I', 'F', 'X', 0, 0, 0, 0};
const std::string kUnreadable =
    "Cannot open; the file may be corrupted, or\r\nit is written in unsupported format.";

std::unique_ptr<QMimeData> Urls(const QList<QUrl>& urls) {
    auto data = std::make_unique<QMimeData>();
    data->setUrls(urls);
    return data;
}

} // namespace

TEST_F(HandedFiles, TheCommandLineFileLoadsWhenTheDemonstrationHasFinished) {
    struct Case {
        const char* name;
        Bytes bytes;
        bool loads;
    };
    for (const Case& c :
         {Case{"TAKE01.WAV", kGoodWave, true}, Case{"broken.wav", kNoWave, false}}) {
        SCOPED_TRACE(c.name);
        TempDir dir;
        const std::string path = dir.File(c.name);
        WriteFile(path, c.bytes);
        program.reset(); // one program at a time
        Start(folder.Path(), folder.UserPath());
        MDIForm1& main = Frame();
        main.Timer2.SetEnabled(false);
        Form103& wave = Wave();
        main.SetStartFile(path);
        // The file in use when the comparison's note is stopped, the demonstration's last step.
        std::string fileAtDemonstrationEnd;
        const auto noteOff = wave.Timer1.Tick;
        wave.Timer1.Tick = [&] {
            fileAtDemonstrationEnd = main.CommonDialog1().FileName();
            noteOff();
        };

        main.Timer2_Timer();
        main.Timer3_Timer();
        EXPECT_TRUE(main.StartFileTimer.Enabled());
        testing::internal::CaptureStderr();
        const bool named =
            PumpUntil([&] { return main.CommonDialog1().FileName() == path; }, 15000);
        const std::string terminal = testing::internal::GetCapturedStderr();
        ASSERT_TRUE(named);
        EXPECT_EQ(fileAtDemonstrationEnd, folder.File("Demo.wav"));
        EXPECT_FALSE(main.StartFileTimer.Enabled());
        EXPECT_EQ(wave.FileLoaded, c.loads);
        if (c.loads) {
            EXPECT_EQ(main.Caption(), "Tonvexa [Files *.wav - (TAKE01.WAV)]");
            EXPECT_TRUE(TestServices().messages.shown.empty());
            // The demonstration's spectrum stays on show, and the status line says whose it is
            // until the new file is analysed.
            const std::string note = main.StatusText();
            EXPECT_EQ(note.rfind("Spectrum on show: Demo.wav, mono, ", 0), 0u) << note;
            EXPECT_NE(note.find("; select and press FFT to analyse TAKE01.WAV"), std::string::npos)
                << note;
            wave.Picture2_MouseDown(1, 0, 100, 100);
            wave.Picture2_MouseMove(1, 0, 5000, 100);
            wave.Command5_Click();
            // The new file's analysis takes the line over.
            EXPECT_EQ(main.StatusText().rfind("Rectangular window, ", 0), 0u) << main.StatusText();
        } else {
            // The reader's message, then the open dialog again, starting in the file's folder.
            ASSERT_EQ(TestServices().messages.shown.size(), 1u);
            EXPECT_EQ(TestServices().messages.shown[0].text, kUnreadable);
            EXPECT_EQ(TestServices().files.folders, std::vector<std::string>{dir.Path()});
            // The cause goes to the terminal the program was started from too.
            EXPECT_NE(terminal.find("tonvexa: Cannot open broken.wav: not a RIFF/WAVE file\n"),
                      std::string::npos)
                << terminal;
        }
        wave.Timer1.Tick = noteOff;
    }
}

TEST_F(HandedFiles, OneDroppedWaveFileLoadsAndTheDragCursorRefusesAnythingElse) {
    TempDir dir;
    const std::string path = dir.File("Take02.Wav");
    WriteFile(path, kGoodWave);
    WriteFile(dir.File("notes.txt"), Bytes{0});
    const QUrl wave = QUrl::fromLocalFile(QString::fromStdString(path));
    MDIForm1& main = Frame();
    QMainWindow& frame = main.Window();

    struct Offer {
        const char* what;
        std::unique_ptr<QMimeData> data;
        bool accepted;
    };
    auto text = std::make_unique<QMimeData>();
    text->setText(QString::fromStdString(path));
    Offer offers[] = {
        {"two wave files", Urls({wave, wave}), false},
        {"a text file", Urls({QUrl::fromLocalFile(QString::fromStdString(dir.File("notes.txt")))}),
         false},
        {"a remote wave file", Urls({QUrl("https://example.org/take.wav")}), false},
        {"a folder", Urls({QUrl::fromLocalFile(QString::fromStdString(dir.Path()))}), false},
        {"plain text", std::move(text), false},
        {"one wave file", Urls({wave}), true}, // last: it loads
    };
    for (const Offer& offer : offers) {
        QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, offer.data.get(), Qt::LeftButton,
                              Qt::NoModifier);
        enter.ignore();
        QCoreApplication::sendEvent(&frame, &enter);
        EXPECT_EQ(enter.isAccepted(), offer.accepted) << offer.what;
        QDropEvent drop(QPointF(100, 100), Qt::CopyAction, offer.data.get(), Qt::LeftButton,
                        Qt::NoModifier);
        drop.ignore();
        QCoreApplication::sendEvent(&frame, &drop);
        EXPECT_EQ(drop.isAccepted(), offer.accepted) << offer.what;
        PumpFor(20);
        if (!offer.accepted) {
            EXPECT_NE(main.CommonDialog1().FileName(), path) << offer.what;
        }
    }
    EXPECT_TRUE(PumpUntil([&] { return main.CommonDialog1().FileName() == path; }, 2000));
    EXPECT_TRUE(Wave().FileLoaded);
    EXPECT_EQ(main.Caption(), "Tonvexa [Files *.wav - (Take02.Wav)]");
    EXPECT_TRUE(TestServices().messages.shown.empty());
}

// A name that is not UTF-8 (Latin-1 "café.wav", the byte 0xE9) opens from the command line,
// as a path or a "file:" URL, and from a drop: the bytes reach the system's open call, and the
// caption and the file label show the name readably.
TEST_F(HandedFiles, ALatin1NameOpensFromTheCommandLineAndADrop) {
    TempDir dir;
    const std::string path = dir.File("caf\xE9.wav");
    WriteFile(path, kGoodWave);
    const std::string encodedUrl = QUrl::fromLocalFile(QString::fromStdString(dir.Path()))
                                       .toString(QUrl::FullyEncoded)
                                       .toStdString() +
                                   "/caf%E9.wav";
    MDIForm1& main = Frame();
    const struct {
        const char* way;
        std::function<void()> open;
    } ways[] = {
        {"command line",
         [&] {
             const char* argv[] = {"tonvexa", path.c_str()};
             const CommandLine line = ParseCommandLine(ArgumentsOf(2, argv));
             ASSERT_EQ(line.action, CommandLine::Action::Run) << line.text;
             EXPECT_EQ(line.file, path);
             main.OpenFile(line.file); // as the start file is opened
         }},
        {"command line, file: URL",
         [&] {
             const char* argv[] = {"tonvexa", encodedUrl.c_str()};
             const CommandLine line = ParseCommandLine(ArgumentsOf(2, argv));
             EXPECT_EQ(line.file, path);
             main.OpenFile(line.file); // as the start file is opened
         }},
        {"drop",
         [&] {
             // As a file manager offers it: the URL with the byte escaped.
             auto data = std::make_unique<QMimeData>();
             data->setData("text/uri-list", QByteArray::fromStdString(encodedUrl + "\r\n"));
             QDragEnterEvent enter(QPoint(100, 100), Qt::CopyAction, data.get(), Qt::LeftButton,
                                   Qt::NoModifier);
             enter.ignore();
             QCoreApplication::sendEvent(&main.Window(), &enter);
             EXPECT_TRUE(enter.isAccepted());
             QDropEvent drop(QPointF(100, 100), Qt::CopyAction, data.get(), Qt::LeftButton,
                             Qt::NoModifier);
             drop.ignore();
             QCoreApplication::sendEvent(&main.Window(), &drop);
             EXPECT_TRUE(drop.isAccepted());
             PumpUntil([&] { return main.CommonDialog1().FileName() == path; }, 2000);
         }},
    };
    for (const auto& w : ways) {
        SCOPED_TRACE(w.way);
        TestServices().Reset();
        main.CommonDialog1().SetFileName(folder.File("Demo.wav"));
        Wave().LerFileDad_3();
        w.open();
        EXPECT_EQ(main.CommonDialog1().FileName(), path);
        EXPECT_TRUE(Wave().FileLoaded) << main.StatusText();
        EXPECT_TRUE(TestServices().messages.shown.empty());
        EXPECT_EQ(main.Caption(), "Tonvexa [Files *.wav - (caf\u00E9.wav)]");
        EXPECT_EQ(main.Window().windowTitle().toStdString(),
                  "Tonvexa [Files *.wav - (caf\u00E9.wav)]");
        EXPECT_EQ(Wave().Label1.Caption(), "File: " + path); // the bytes, shown readably
    }
}
