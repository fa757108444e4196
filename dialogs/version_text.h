// The version line the splash screen and the About box show.
#pragma once

#include <string>

// "Version " followed by the major number, "." and the minor number: Version 2.0.
inline std::string VersionText(int major, int minor) {
    return "Version " + std::to_string(major) + "." + std::to_string(minor);
}
