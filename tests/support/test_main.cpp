// Runs the GoogleTest suites inside a headless application.
#include "doubles.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>

int main(int argc, char** argv) {
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    setenv("XDG_RUNTIME_DIR", TONVEXA_TEST_RUNTIME, 0);
    setenv("TONVEXA_ASSETS", TONVEXA_TEST_ASSETS, 0);
    setenv("TONVEXA_TOOLS", TONVEXA_TEST_TOOLS, 0);
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No test may block on a modal window: the recording doubles stand in for the dialogs.
    static RecordingServices services;
    services.Install();
    return RUN_ALL_TESTS();
}
