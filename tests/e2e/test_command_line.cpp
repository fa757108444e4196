// The program's command line, run as a user runs it: --help and --version answer without any
// display, a bad command line is refused before the toolkit looks for one, and the toolkit's own
// options (-platform offscreen, -style fusion, ...) are passed over when the program reads its
// own.
#include "shell/command_line.h"

#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

TEST(CommandLine, HelpVersionAndRefusalsNeedNoDisplay) {
    struct Case {
        QStringList arguments;
        const char* platform; // the windowing the program would use if it started; null: none
        int status;
        const char* output; // standard output (standard error, for a refusal)
        bool whole;         // the output is exactly `output`, else it contains it
    };
    const Case cases[] = {
        {{"--version"}, "xcb", 0, "Tonvexa 1.0\n", true},
        {{"-v"}, "xcb", 0, "Tonvexa 1.0\n", true},
        {{"--help"}, "xcb", 0, "[FILE.wav]", false},
        {{"-h", "song.wav"}, "xcb", 0, "--version", false},
        {{"a.wav", "b.wav"}, "offscreen", 2, "give at most one wave file", false},
        // No display and no platform named: the toolkit could not start, the refusal comes first.
        {{"--bogus"},
         nullptr,
         2,
         "tonvexa: Unknown option 'bogus'.\nTry 'tonvexa --help' for more information.\n",
         true},
        {{"-platform", "offscreen", "--style=fusion", "-reverse", "-display", ":7", "--bogus"},
         nullptr,
         2,
         "tonvexa: Unknown option 'bogus'.\nTry 'tonvexa --help' for more information.\n",
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.remove("QT_QPA_PLATFORM");
        if (c.platform) {
            env.insert("QT_QPA_PLATFORM", c.platform);
        }
        program.setProcessEnvironment(env);
        program.start(TONVEXA_EXECUTABLE, c.arguments);
        ASSERT_TRUE(program.waitForFinished(20000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), c.status);
        const QString out = c.status == 0 ? QString::fromLocal8Bit(program.readAllStandardOutput())
                                          : QString::fromLocal8Bit(program.readAllStandardError());
        EXPECT_TRUE(c.whole ? out == c.output : out.contains(c.output)) << out.toStdString();
    }
}

// The toolkit's options take their values with them, so a value is never read as the file.
TEST(CommandLine, TheToolkitsOptionsAndTheirValuesArePassedOver) {
    struct Case {
        QStringList arguments;
        CommandLine::Action action;
        const char* file; // the file's name, empty for none
    };
    using A = CommandLine::Action;
    const Case cases[] = {
        {{"-platform", "offscreen", "song.wav"}, A::Run, "song.wav"},
        {{"--session", "id_key", "-style=fusion", "-reverse", "song.wav"}, A::Run, "song.wav"},
        {{"song.wav", "--", "-qwindowtitle", "Tonvexa", "-stylesheet"}, A::Run, "song.wav"},
        {{"-geometry", "800x600", "-name", "tv", "-style"}, A::Run, ""},
        {{"-stylesheet", "a.qss", "a.wav", "b.wav"}, A::Refuse, ""},
        // Not a form the toolkit takes, so an unknown option.
        {{"-platform=offscreen"}, A::Refuse, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        const CommandLine line = ParseCommandLine(QStringList{"tonvexa"} + c.arguments);
        EXPECT_EQ(line.action, c.action) << line.text;
        EXPECT_EQ(QFileInfo(QString::fromStdString(line.file)).fileName().toStdString(), c.file);
    }
}
