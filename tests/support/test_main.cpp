// Runs the suites from the toolkit layer up inside a headless application.
#include "doubles.h"
#include "test_environment.h"

#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    SetTestEnvironment();
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    // No test may block on a modal window: the recording doubles stand in for the dialogs.
    static RecordingServices services;
    services.Install();
    return RUN_ALL_TESTS();
}
