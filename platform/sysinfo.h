// Starting other programs, and finding the desktop's system-information tool. The program
// starts programs through Programs(); tests install a recording launcher.
#pragma once

#include <optional>
#include <string>
#include <vector>

class ProgramLauncher {
  public:
    virtual ~ProgramLauncher() = default;
    // Starts `program` (a full path, no arguments) in its own process and window, without
    // waiting for it. False when it cannot be started.
    virtual bool StartDetached(const std::string& program) = 0;
};

// The launcher in use: the host's unless InstallLauncher replaced it.
ProgramLauncher& Programs();
// Makes `launcher` the one in use (nullptr: the host's again); returns the previous one.
ProgramLauncher* InstallLauncher(ProgramLauncher* launcher);

// Names of desktop system-information programs, the most fitting first.
const std::vector<std::string>& SystemInfoPrograms();

// Full path of the first of SystemInfoPrograms() found as an executable in `folders`, or in
// the folders of PATH when `folders` is empty; nothing when none is there.
std::optional<std::string> FindSystemInfoTool(const std::vector<std::string>& folders = {});
