// The program's command line, run as a user runs it: --help and --version answer without any
// display, and a command line naming two files is refused.
#include <QProcess>
#include <gtest/gtest.h>

TEST(CommandLine, HelpAndVersionNeedNoDisplayAndTwoFilesAreRefused) {
    struct Case {
        QStringList arguments;
        const char* platform; // the windowing the program would use if it started
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
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.arguments.join(' ').toStdString());
        QProcess program;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.remove("DISPLAY");
        env.remove("WAYLAND_DISPLAY");
        env.insert("QT_QPA_PLATFORM", c.platform);
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
