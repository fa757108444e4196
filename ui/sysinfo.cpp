#include "sysinfo.h"

#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

namespace {

class HostLauncher : public ProgramLauncher {
  public:
    bool StartDetached(const std::string& program) override {
        if (program.empty()) {
            return false;
        }
        // The path is the program itself, never a command line for a shell to split.
        return QProcess::startDetached(QString::fromStdString(program), QStringList());
    }
};

} // namespace

std::unique_ptr<ProgramLauncher> MakeHostLauncher() {
    return std::make_unique<HostLauncher>();
}

const std::vector<std::string>& SystemInfoPrograms() {
    // System profilers first (they describe the machine as a whole), then the desktops'
    // information centres, then system monitors as the last resort.
    static const std::vector<std::string> programs{
        "hardinfo2",            // HardInfo2 system profiler
        "hardinfo",             // HardInfo system profiler
        "kinfocenter",          // KDE Info Center
        "cpu-x",                // CPU-X hardware overview
        "lshw-gtk",             // graphical lshw
        "gnome-system-monitor", // GNOME
        "mate-system-monitor",  // MATE
        "xfce4-taskmanager",    // Xfce
    };
    return programs;
}

std::optional<std::string> FindSystemInfoTool(const std::vector<std::string>& folders) {
    QStringList paths;
    for (const std::string& folder : folders) {
        paths << QString::fromStdString(folder);
    }
    for (const std::string& name : SystemInfoPrograms()) {
        const QString found = QStandardPaths::findExecutable(QString::fromStdString(name), paths);
        if (!found.isEmpty()) {
            return found.toStdString();
        }
    }
    return std::nullopt;
}
