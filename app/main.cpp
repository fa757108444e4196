// Tonvexa: teaches how the Fourier transform analyses sound.
#include "shell/program.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationName("Tonvexa");
    // Ties the windows to the installed menu entry and icon (the Wayland app id).
    QGuiApplication::setDesktopFileName(TONVEXA_APP_ID);
    return RunTonvexa(app);
}
