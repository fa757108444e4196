// Starting other programs, and finding the desktop's system-information tool. The program
// starts programs through the launcher it is handed; tests hand in a recording one.
#pragma once

#include <memory>
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

// The desktop's own launcher.
std::unique_ptr<ProgramLauncher> MakeHostLauncher();

// Names of desktop system-information programs, the most fitting first.
const std::vector<std::string>& SystemInfoPrograms();

// Full path of the first of SystemInfoPrograms() found as an executable in `folders`, or in
// the folders of PATH when `folders` is empty; nothing when none is there.
std::optional<std::string> FindSystemInfoTool(const std::vector<std::string>& folders = {});
