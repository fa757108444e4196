#include "command_line.h"

#include "base/file_names.h"
#include "ui/services.h"

#include <QCommandLineParser>
#include <QFileInfo>
#include <QUrl>

namespace {

// The toolkit's own options, as Qt 6 takes them from the command line on Linux (the core, GUI
// and widget application objects and the X11 platform); each may be written with one dash or
// two. The program passes over them when it reads its own, so it can refuse an unknown option
// before the toolkit starts, and hands the untouched command line to the toolkit.
enum class Value {
    None,         // a switch
    Next,         // the next argument is its value
    NextOrJoined, // the next argument, or written NAME=VALUE
};
struct ToolkitOption {
    const char* name;
    Value value;
};
constexpr ToolkitOption kToolkitOptions[] = {
    {"platform", Value::Next},
    {"platformpluginpath", Value::Next},
    {"platformtheme", Value::Next},
    {"plugin", Value::Next},
    {"qwindowgeometry", Value::Next},
    {"qwindowtitle", Value::Next},
    {"qwindowicon", Value::Next},
    {"geometry", Value::Next},
    {"title", Value::Next},
    {"icon", Value::Next},
    {"display", Value::Next},
    {"name", Value::Next},
    {"visual", Value::Next},
    {"session", Value::Next},
    {"style", Value::NextOrJoined},
    {"stylesheet", Value::NextOrJoined},
    {"qmljsdebugger", Value::NextOrJoined},
    {"reverse", Value::None},
    {"widgetcount", Value::None},
    {"testability", Value::None},
    {"nograb", Value::None},
    {"dograb", Value::None},
    {"qdevel", Value::None},
    {"qdebug", Value::None},
};

// The toolkit's option `name` (written without its dashes), or null.
const ToolkitOption* FindToolkitOption(const QString& name) {
    for (const ToolkitOption& option : kToolkitOptions) {
        if (name == QLatin1String(option.name)) {
            return &option;
        }
    }
    return nullptr;
}

// The arguments without the toolkit's options and their values. Like the toolkit, it finds
// them anywhere on the line, after a "--" too; a value missing at the end of the line is no
// error.
QStringList WithoutToolkitOptions(const QStringList& arguments) {
    QStringList kept;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        if (i == 0 || !argument.startsWith('-')) {
            kept << argument;
            continue;
        }
        const QString name = argument.mid(argument.startsWith("--") ? 2 : 1);
        if (const ToolkitOption* option = FindToolkitOption(name)) {
            if (option->value != Value::None) {
                ++i;
            }
            continue;
        }
        const qsizetype equals = name.indexOf('=');
        const ToolkitOption* joined = equals > 0 ? FindToolkitOption(name.left(equals)) : nullptr;
        if (joined && joined->value == Value::NextOrJoined) {
            continue;
        }
        kept << argument;
    }
    return kept;
}

std::string VersionText() {
    return AppTitle() + " " + std::to_string(AppMajor()) + "." + std::to_string(AppMinor()) + "\n";
}

// A named file as the bytes of an absolute local path; a "file:" URL gives its local path.
std::string LocalPath(const QString& argument) {
    const QString path = argument.startsWith("file:")
                             ? ArgumentText(LocalFileBytes(QUrl(argument)).c_str())
                             : argument;
    return FileNameBytes(QFileInfo(path).absoluteFilePath());
}

} // namespace

CommandLine ParseCommandLine(const QStringList& arguments) {
    // The program's name as the user typed it, without its folder.
    const QString name =
        arguments.isEmpty() ? QString("tonvexa") : QFileInfo(arguments.constFirst()).fileName();
    QCommandLineParser parser;
    parser.setApplicationDescription("Tonvexa shows how the Fourier transform analyses sound.\n"
                                     "It starts with a short demonstration on its own wave file;\n"
                                     "a FILE.wav named here is opened after it.\n"
                                     "Qt's own options (-platform, -style, -reverse, ...)\n"
                                     "are accepted too.");
    const QCommandLineOption help({"h", "help"}, "Displays this help.");
    parser.addOption(help);
    const QCommandLineOption version = parser.addVersionOption();
    parser.addPositionalArgument("FILE.wav", "A wave file to open after the demonstration.",
                                 "[FILE.wav]");

    CommandLine result;
    const bool parsed = parser.parse(WithoutToolkitOptions(arguments));
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
        arguments << ArgumentText(argv[i]);
    }
    return arguments;
}
