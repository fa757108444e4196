// The environment every suite runs in: offscreen windows, the silent real-time audio driver,
// a private runtime folder, and where the assets and tools are.
#pragma once

#include <cstdlib>

inline void SetTestEnvironment() {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("XDG_RUNTIME_DIR", TONVEXA_TEST_RUNTIME, 0);
    setenv("TONVEXA_ASSETS", TONVEXA_TEST_ASSETS, 0);
    setenv("TONVEXA_TOOLS", TONVEXA_TEST_TOOLS, 0);
}
