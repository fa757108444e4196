// Tonvexa: teaches how the Fourier transform analyses sound.
#include "shell/command_line.h"
#include "shell/program.h"

#include <QApplication>

#include <cstdio>

namespace {

// Prints a text to a stream of the process.
void Print(std::FILE* stream, const std::string& text) {
    std::fputs(text.c_str(), stream);
    std::fflush(stream);
}

// Answers --help, --version and a refused command line; true when the program should start.
bool ShouldRun(const CommandLine& line, int& status) {
    switch (line.action) {
    case CommandLine::Action::Run:
        return true;
    case CommandLine::Action::ShowHelp:
    case CommandLine::Action::ShowVersion:
        Print(stdout, line.text);
        status = 0;
        return false;
    case CommandLine::Action::Refuse:
        Print(stderr, line.text);
        status = kUsageError;
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char** argv) {
    int status = 0;
    // --help, --version and a bad command line answer before the toolkit looks for a display;
    // the toolkit then takes its own options from the untouched command line.
    const CommandLine line = ParseCommandLine(ArgumentsOf(argc, argv));
    if (!ShouldRun(line, status)) {
        return status;
    }
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tonvexa");
    // Ties the windows to the installed menu entry and icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(TONVEXA_APP_ID);
    return RunTonvexa(app, line.file);
}
