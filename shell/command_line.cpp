#include "command_line.h"

#include "ui/services.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

namespace {

std::string VersionText() {
    return AppTitle() + " " + std::to_string(AppMajor()) + "." + std::to_string(AppMinor()) + "\n";
}

// A named file as an absolute local path; a "file:" URL gives its local path.
std::string LocalPath(const QString& argument) {
    const QString path = argument.startsWith("file:") ? QUrl(argument).toLocalFile() : argument;
    return QFileInfo(path).absoluteFilePath().toStdString();
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    // The program's name as the user typed it, without its folder.
    const QString name =
        arguments.isEmpty() ? QString("tonvexa") : QFileInfo(arguments.constFirst()).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription("Tonvexa shows how the Fourier transform analyses sound.\n"
                                     "It starts with a short demonstration on its own wave file;\n"
                                     "a FILE.wav named here is opened after it.");
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("FILE.wav", "A wave file to open after the demonstration.",
                                 "[FILE.wav]");

    CommandLine result;
    const bool parsed = parser.parse(arguments);
    if (parser.isSet(help)) {
        result.action = CommandLine::Action::ShowHelp;
        // Without an application object the parser cannot know the program's name.
        result.text = parser.helpText().replace("<executable_name>", name).toStdString();
        return result;
    }
    if (parser.isSet(version)) {
        result.action = CommandLine::Action::ShowVersion;
        result.text = VersionText();
        return result;
    }
    const QStringList files = parser.positionalArguments();
    if (!parsed || files.size() > 1) {
        result.action = CommandLine::Action::Refuse;
        result.text =
            (name + ": " + (parsed ? QString("give at most one wave file") : parser.errorText()) +
             "\nTry '" + name + " --help' for more information.\n")
                .toStdString();
        return result;
    }
    if (!files.isEmpty()) {
        result.file = LocalPath(files.constFirst());
    }
    return result;
}

QStringList ArgumentsOf(int argc, const char* const* argv) {
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    return arguments;
}
