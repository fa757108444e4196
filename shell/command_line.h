// The program's command line: `tonvexa [FILE.wav]`, --help and --version, beside the toolkit's
// own options. Parsing needs no application object, so the program answers --help and
// --version, and refuses a bad command line, before any window or display exists.
#pragma once

#include <QStringList>

#include <string>

struct CommandLine {
    enum class Action {
        Run,         // start the program (and load `file` after the demonstration)
        ShowHelp,    // print `text` to standard output, end with success
        ShowVersion, // print `text` ("Tonvexa 1.0") to standard output, end with success
        Refuse,      // print `text` (what is wrong, how to ask for help) to standard error
    };
    Action action = Action::Run;
    // The wave file to load after the start-up demonstration, as an absolute path; empty for
    // none.
    std::string file;
    std::string text;
};

// Reads the arguments (the program's name first), as the process received them: the toolkit's
// own options (-platform NAME, -style NAME, -reverse, ...) and their values are passed over,
// for the toolkit takes them itself when it starts. An argument "file:..." names a local file.
// Unknown options and more than one file are refused.
CommandLine ParseCommandLine(const QStringList& arguments);

// The arguments as the process received them, before any application object exists; a file
// name that is not in the locale's encoding keeps its bytes (see ArgumentText).
QStringList ArgumentsOf(int argc, const char* const* argv);

// The exit status for a refused command line.
constexpr int kUsageError = 2;
